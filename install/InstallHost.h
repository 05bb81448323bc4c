// What the copy engine shows and asks of whoever runs it: the wizard answers
// in its window, a run without one by itself, a test in code.
#pragma once
#include <windows.h>

#include <string>

#include "win/MessageBox.h"

// The answer to a question whether to try again what another program stops.
enum class RetryAnswer {
    Retry,
    Cancel, // the user chose to stop
    GiveUp, // a run that asks nothing waited long enough
};

class InstallHost {
public:
    // The bar: `total` files from now on, from none; then one file more.
    virtual void ShowProgress(int total) = 0;
    virtual void StepProgress() = 0;
    // Whether to try again: the file `path` is held by another program, or
    // FrontPage runs, since `since` (GetTickCount).
    virtual RetryAnswer AskRetryFileInUse(const std::string& path, DWORD since) = 0;
    virtual RetryAnswer AskRetryFrontPageRunning(DWORD since) = 0;
    // Shows `text`, with `icon`, until the user has read it.
    virtual void ShowText(const MessageText& text, UINT icon) = 0;
    // Lets the input and the messages waiting meanwhile in; called once per
    // file or folder, so cheap when called again soon.
    virtual void LetInputIn() = 0;
    // The user asked to stop the copy.
    virtual bool StopAsked() = 0;
    // Files are about to change; the copy is over, for good or to be undone.
    virtual void CopyStarting() = 0;
    virtual void CopyEnding() = 0;

protected:
    ~InstallHost() = default;
};

// Work shown in the wizard's window: its text and its bar, and nothing to
// click while the work runs, which starts once the window shows. By itself
// the window closes when the work is done.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "win/Controls.h"
#include "win/Dialog.h"
#include "win/PendingMessages.h"

class CWorkDlg : public Dialog {
public:
    using Progress = std::function<void(int done, int total)>;
    // The work reports its steps to the progress it is given, and returns
    // whether it succeeded.
    using Work = std::function<bool(const Progress& progress)>;

    // Shows `text` while `work` runs.
    CWorkDlg(const std::string& text, Work work);

    // What the work returned, once it is done.
    bool Succeeded() const { return m_succeeded; }

protected:
    void DoDataExchange(bool fromControls) override;
    BOOL OnInitDialog() override;
    bool OnTimer(UINT_PTR id) override;
    // Work cannot be stopped half-way; a window still open after it is closed
    // by "Finish", Enter, Escape or its close box.
    void OnOK() override;
    void OnCancel() override { OnOK(); }
    // Called when the work is done: closes the window.
    virtual void OnWorkDone();
    // Replaces the text above the bar.
    void SetStatusText(const std::string& text);

    Button m_nextButton;
    Button m_finishButton;
    ProgressBar m_progress;

private:
    void ShowProgress(int done, int total);

    std::string m_text;
    Work m_work;
    bool m_done = false;
    bool m_succeeded = false;
    Static m_statusText;
    // Keeps the window drawn while the work holds its thread.
    PendingMessages m_pendingMessages;
};

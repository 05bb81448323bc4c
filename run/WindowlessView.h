// A run without any window (/VERYSILENT): the session's view that shows
// nothing and asks nothing.
#pragma once
#include "run/InstallSession.h"
#include "win/PendingMessages.h"

class WindowlessView : public SessionView {
public:
    explicit WindowlessView(InstallRun& run) : m_run(run) {}

    void ShowStatus(const std::string&) override {}
    bool TakeLogChoice() override { return m_run.WantsLog(); }
    Outcome RunCopy(FileInstaller& installer, const FrontPageTarget& target) override;
    void ShowEnd(const std::string&) override {}
    void ShowProgress(int) override {}
    void StepProgress() override {}
    // No one to ask: it waits a second and tries again, for 30 seconds in all.
    RetryAnswer AskRetryFileInUse(const std::string& path, DWORD since) override;
    RetryAnswer AskRetryFrontPageRunning(DWORD since) override;
    // To the box, which the run's silencer writes to the log.
    void ShowText(const MessageText& text, UINT icon) override;
    void LetInputIn() override { m_pendingMessages.Dispatch(); }
    // No one to ask it.
    bool StopAsked() override { return false; }
    void CopyStarting() override { m_run.MarkCopyStarted(); }
    void CopyEnding() override {}

private:
    RetryAnswer WaitToRetry(DWORD since);

    InstallRun& m_run;
    PendingMessages m_pendingMessages;
};

// Runs the stages of `run` one after the other, with no window at all; what a
// box would say goes to the log. Returns the run's exit code.
int RunWithoutWindow(InstallRun run);

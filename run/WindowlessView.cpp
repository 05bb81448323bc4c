#include "run/WindowlessView.h"

#include "install/Questions.h"

Outcome WindowlessView::RunCopy(FileInstaller& installer, const FrontPageTarget& target)
{
    return installer.InstallFiles(target);
}

RetryAnswer WindowlessView::AskRetryFileInUse(const std::string&, DWORD since)
{
    return WaitToRetry(since);
}

RetryAnswer WindowlessView::AskRetryFrontPageRunning(DWORD since)
{
    return WaitToRetry(since);
}

RetryAnswer WindowlessView::WaitToRetry(DWORD since)
{
    if (::WaitToRetry(since, [this] { m_pendingMessages.DispatchNow(); }, [] { return false; }))
        return RetryAnswer::Retry;
    return RetryAnswer::GiveUp;
}

void WindowlessView::ShowText(const MessageText& text, UINT icon)
{
    ShowMessage(text, MB_OK | icon);
}

int RunWithoutWindow(InstallRun run)
{
    WindowlessView view(run);
    InstallSession session(run, view);
    session.SilenceBoxes();
    session.CollectSystemInfo();
    // Each stage moves on to the next or ends the run.
    while (!run.HasEnded())
        session.RunStage();
    SilenceMessages(nullptr);
    return run.ExitCode();
}

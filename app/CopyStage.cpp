// The copy stage as the wizard shows it: the bar, the questions, the cancel
// command, and the wizard kept drawn while the copy engine works.
#include "app/InstallDlg.h"

#include "install/Questions.h"
#include "res/resource.h"
#include "win/CancelCommand.h"

Outcome CInstallDlg::RunCopy(FileInstaller& installer, const FrontPageTarget& target)
{
    // While files are copied, and while an unattended run waits for
    // FrontPage to end, the cancel command asks whether to stop, and every
    // other click and key is discarded.
    m_copyCancel.Begin();
    m_pendingMessages.SetInputFilter(Hwnd(), [this](MSG& message) { return KeepCancelCommand(Hwnd(), message); });
    const Outcome outcome = installer.InstallFiles(target);
    m_waitCursor.reset();
    // What was clicked or typed until now goes too, a cancel that comes too
    // late included: an Enter must not press "Finish" the moment the final
    // page shows.
    m_pendingMessages.DispatchNow();
    m_pendingMessages.SetInputFilter(nullptr, nullptr);
    m_copyCancel.End();
    m_progress.SetQuiet(false);
    return outcome;
}

void CInstallDlg::CopyStarting()
{
    // From here on a failure or a cancel is one of the copy (its exit code).
    m_run.MarkCopyStarted();
    m_waitCursor.emplace();
    SetStatusText(IDS_COPYING);
}

void CInstallDlg::ShowProgress(int total)
{
    // The whole total as the range, so a kit of more than 65535 files still
    // fills the bar exactly once.
    m_progress.SetRange(total);
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    m_progress.Show(true);
    // Moved at every file, the bar would repaint at every file, which takes
    // about as long as copying it.
    m_progress.SetQuiet(true);
}

void CInstallDlg::ShowText(const MessageText& text, UINT icon)
{
    // While the box waits, the bar shows every file stepped past, the failed one too.
    m_progress.SetQuiet(false);
    ShowMessage(text, MB_OK | icon);
}

RetryAnswer CInstallDlg::AskRetryFileInUse(const std::string& path, DWORD since)
{
    return MayRetry(since, [&path] { return ::AskRetryFileInUse(path); });
}

RetryAnswer CInstallDlg::AskRetryFrontPageRunning(DWORD since)
{
    return MayRetry(since, [] { return ::AskRetryFrontPageRunning(); });
}

RetryAnswer CInstallDlg::MayRetry(DWORD since, const std::function<bool()>& ask)
{
    if (!m_run.IsUnattended())
        return ask() ? RetryAnswer::Retry : RetryAnswer::Cancel;
    // An unattended run waits a second instead, and gives up after 30
    // seconds in all, or when the user chose to stop.
    if (WaitToRetry(since, [this] { m_pendingMessages.DispatchNow(); }, [this] { return StopAsked(); }))
        return RetryAnswer::Retry;
    return RetryAnswer::GiveUp;
}

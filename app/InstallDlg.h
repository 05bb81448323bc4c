// The wizard dialog: the view of one installation session. It shows the
// session's stages and the copy engine's progress, and answers their questions.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/CopyCancel.h"
#include "run/InstallSession.h"
#include "win/Controls.h"
#include "win/Dialog.h"
#include "win/PendingMessages.h"
#include "win/WaitCursor.h"

class CInstallDlg : public Dialog, public SessionView {
public:
    explicit CInstallDlg(const InstallRun& run = InstallRun());
    int ExitCode() const { return m_run.ExitCode(); }
    // The installation the wizard shows: its log, its answers to silenced boxes.
    InstallSession& Session() { return m_session; }

    // The stages and the final page (app/Stages.cpp)
    void OnNext();
    void OnCancel() override;
    void OnOK() override;
    // Both forms replace the whole text of the text area.
    void SetStatusText(UINT id);
    void SetStatusText(std::string text);
    // /SILENT: the stages walk by themselves, one per tick of a timer (app/Unattended.cpp).
    void StartWalking();
    bool OnTimer(UINT_PTR id) override;
    // Window chrome (app/Chrome.cpp)
    bool OnSysCommand(UINT id, LPARAM lParam) override;
    void OnAbout();
    bool OnPaint() override;
    HICON OnQueryDragIcon() override;

    // The session's view (app/Stages.cpp) and the copy engine's host (app/CopyStage.cpp)
    void ShowStatus(const std::string& text) override { SetStatusText(text); }
    bool TakeLogChoice() override;
    Outcome RunCopy(FileInstaller& installer, const FrontPageTarget& target) override;
    void ShowEnd(const std::string& text) override;
    void ShowProgress(int total) override;
    void StepProgress() override { m_progress.StepIt(); }
    RetryAnswer AskRetryFileInUse(const std::string& path, DWORD since) override;
    RetryAnswer AskRetryFrontPageRunning(DWORD since) override;
    void ShowText(const MessageText& text, UINT icon) override;
    void LetInputIn() override { m_pendingMessages.Dispatch(); }
    bool StopAsked() override { return m_copyCancel.IsStopped(); }
    void CopyStarting() override;
    void CopyEnding() override { m_copyCancel.StopAsking(); }

protected:
    void DoDataExchange(bool fromControls) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code) override;

private:
    // Whether to try again what another program stops: the user is asked
    // (`ask`, true for Retry); an unattended run waits instead.
    RetryAnswer MayRetry(DWORD since, const std::function<bool()>& ask);

    InstallRun m_run;
    InstallSession m_session{m_run, *this};
    Button m_aboutButton, m_viewReadmeBox, m_logBox, m_cancelButton, m_nextButton, m_finishButton;
    Static m_statusText;
    ProgressBar m_progress;
    HICON m_hIcon = nullptr;
    // Keeps the wizard drawn and answering while files are counted and copied.
    PendingMessages m_pendingMessages;
    // A stage's work runs: a click sent to the wizard meanwhile must not start another.
    bool m_stageRunning = false;
    CopyCancel m_copyCancel;
    std::optional<WaitCursor> m_waitCursor;
};

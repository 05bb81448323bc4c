// The wizard dialog: the view of one installation. Its stages run the work,
// which knows no window, and it shows the copy engine's progress and answers
// its questions (InstallHost).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "frontpage/Detection.h"
#include "install/CopyCancel.h"
#include "install/FileInstaller.h"
#include "log/LogFile.h"
#include "run/InstallRun.h"
#include "win/Controls.h"
#include "win/Dialog.h"
#include "win/PendingMessages.h"
#include "win/WaitCursor.h"

enum class WizardStage { Start = 0, Licence = 1, Copy = 2 };

class CInstallDlg : public Dialog, public InstallHost {
public:
    // A wizard for `run`.
    explicit CInstallDlg(const InstallRun& run = InstallRun());
    ~CInstallDlg() override;

    // The exit code of how the run ended.
    int ExitCode() const { return m_run.ExitCode(); }

    // Stage machine and final page (app/Stages.cpp)
    void OnNext();
    void OnCancel() override;
    void OnOK() override;
    // Ends the run on the final page, which tells the user `outcome`.
    void Finish(Outcome outcome);
    bool ShowReadyPrompt();
    // Both forms replace the whole text of the text area.
    void SetStatusText(UINT id);
    void SetStatusText(std::string text);
    // The copy stage in this window: `installer` copies the kit into
    // `target`, the bar shows it, and of the user's input only the cancel
    // command is taken meanwhile (app/CopyStage.cpp).
    Outcome CopyStage(FileInstaller& installer, const FrontPageTarget& target);

    // Unattended runs (app/Unattended.cpp)
    // /VERYSILENT: the stages one after the other, without any window.
    void RunWithoutWindow();
    // Answers a box in place of the user (see SilenceMessages): its text to
    // the log; 0 to show it after all.
    int Silenced(const std::string& text, UINT style);
    // /SILENT: the stages walk by themselves, one per tick of a timer.
    void StartWalking();
    bool OnTimer(UINT_PTR id) override;

    // Window chrome (app/Chrome.cpp)
    bool OnSysCommand(UINT id, LPARAM lParam) override;
    void OnAbout();
    bool OnPaint() override;
    HICON OnQueryDragIcon() override;

    // The log (app/InstallDlg.cpp)
    // Opens the log; false when it could not be.
    bool OpenLog();
    void WriteLog(const std::string& text) override;
    void CloseLog();
    // The log's lines from work that knows no log file.
    LogLine Logger();

    // The copy engine's host (app/CopyStage.cpp)
    void ShowProgress(int total) override;
    void StepProgress() override;
    RetryAnswer AskRetryFileInUse(const std::string& path, DWORD since) override;
    RetryAnswer AskRetryFrontPageRunning(DWORD since) override;
    void ShowText(const MessageText& text, UINT icon) override;
    void LetInputIn() override;
    bool StopAsked() override;
    void CopyStarting() override;
    void CopyEnding() override;

protected:
    void DoDataExchange(bool fromControls) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code) override;

private:
    // The work of the current stage, for OnNext.
    void RunStage();
    // What the detection of FrontPage is asked in this run.
    DetectionRequest DetectionFor();
    // Whether to try again what another program stops: the user is asked
    // (`ask`, true for Retry); an unattended run waits instead.
    RetryAnswer MayRetry(DWORD since, const std::function<bool()>& ask);
    void CollectSystemInfo();

    // What the command line asks of this run, and how it ended.
    InstallRun m_run;
    Button m_aboutButton, m_viewReadmeBox, m_logBox, m_cancelButton, m_nextButton, m_finishButton;
    Static m_statusText;
    ProgressBar m_progress;
    HICON m_hIcon = nullptr;
    WizardStage m_stage = WizardStage::Start;
    // Keeps the wizard drawn and answering while files are counted and copied.
    PendingMessages m_pendingMessages;
    // A stage's work is running: a click sent to the wizard meanwhile must
    // not start another.
    bool m_stageRunning = false;
    CopyCancel m_copyCancel;
    std::optional<WaitCursor> m_waitCursor;
    // The run keeps a log, and it is open.
    bool m_logging = false;
    LogFile m_log;
    // The system the log's header tells of.
    LogSystem m_system;
    FrontPageTarget m_target;
    std::unique_ptr<FileInstaller> m_installer;
};

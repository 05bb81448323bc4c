// The wizard dialog: it holds every piece of state of one installation, and every
// step of the installation is one of its operations.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontpage/Detection.h"
#include "install/CopyCancel.h"
#include "install/FileCopy.h"
#include "journal/Journal.h"
#include "log/LogFile.h"
#include "run/InstallRun.h"
#include "win/Controls.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/PendingMessages.h"

enum class WizardStage { Start = 0, Licence = 1, Copy = 2 };

struct PlannedEntry;

// How the copy stage ended: with everything installed, or failed or
// cancelled and undone.
enum class InstallResult { Installed, Failed, Cancelled };

class CInstallDlg : public Dialog {
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
    // Ends the run on the final page with string-table message `id`.
    void Finish(UINT id);
    bool ShowReadyPrompt();
    // Both forms replace the whole text of the text area.
    void SetStatusText(UINT id);
    void SetStatusText(std::string text);

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

    // The log's lines from work that knows no log file.
    LogLine Logger();

    // File installation (install/)
    InstallResult InstallFiles();
    // Counts (copy false) or copies the files of the tree `source` into `target`;
    // the number of files, or -1 after a failure or a cancel. `newTarget`:
    // this installation has just made `target`, which holds nothing yet.
    int CopyFolder(std::string source, std::string target, bool copy, bool newTarget = false);
    // Keeps a file that `source` replaces at `to` (`replaced`) and copies it,
    // with the digest for journal entry `entry`; asks Retry or Cancel while
    // another program holds the target. False after a failure, reported, or
    // a cancel.
    bool InstallFile(const SourceFile& source, const std::string& to, bool replaced, int entry);
    // True once no program named frontpg.exe runs; false when the user cancelled.
    bool WaitWhileFrontPageRuns();
    // Whether to try again what another program stops, which has stopped it
    // since `since` (GetTickCount): the user is asked (`ask`, true for
    // Retry); an unattended run waits a second instead, and gives up after
    // 30 seconds in all, or when the user chose to stop.
    bool MayRetry(DWORD since, const std::function<bool()>& ask);
    // True when `path` exists on return, creating it and its missing parents.
    bool CreateFolder(std::string path);
    // Logs and shows the last system error, after the string-table text
    // `prefixId` and `subject`; call it right after the failed call.
    void ReportSystemError(UINT prefixId, std::string subject);

    // The journal of the installation (install/Undo.cpp)
    // Sets m_kitName and m_dataFolder, the kit's data folder named by its id.
    void FindDataFolder();
    // Undoes every kit's installation that was cut short before, logging its
    // steps; false, after telling the user, when a step failed or a journal
    // cannot be read.
    bool UndoUnfinishedInstallation();
    // Undoes this installation after a failure or a cancel.
    void UndoInstallation();
    // The undo's lines go to the log, the window drawn meanwhile.
    UndoLog UndoLogLine();

    // The log (app/InstallDlg.cpp)
    void OpenLog();
    // Appends `text` as one line (several when it holds line feeds) while the log is open.
    void WriteLog(std::string text);
    void CloseLog();
    void CollectSystemInfo();

protected:
    void DoDataExchange(bool fromControls) override;
    // The work of the current stage, for OnNext.
    void RunStage();
    // What the detection of FrontPage is asked in this run.
    DetectionRequest DetectionFor();
    // The eight copy passes of InstallFiles, each change journaled first.
    InstallResult CopyPasses();
    // The files of the kit tree `source`, for CopyFolder's count.
    int CountFiles(const std::string& source);
    // True when the kit folder `folder`, reached through a link, is one the
    // count is inside of.
    bool LeadsBack(const std::string& folder);
    // Lists the kit folder `source` into `entries`, with what each becomes in
    // `target` (made by this installation when `newTarget`), and adds the
    // changes to the journal for the next commit; with `deep` every folder
    // below as well. False after a failure, reported, or a cancel.
    bool PlanFolder(const std::string& source, const std::string& target, bool newTarget, bool deep,
                    std::vector<PlannedEntry>& entries);
    // Plans the items (folders) of a pass's `entries` for `target` whole,
    // from the one at `first` on, until a group is large enough, and writes
    // what is planned to the journal, in one write and one flush.
    bool PlanItems(const std::string& target, std::vector<PlannedEntry>& entries, size_t first);
    // Makes the changes planned in `entries` in `target`; an item not planned
    // yet is planned first, with the next ones (PlanItems). The number of
    // files copied, or -1 after a failure or a cancel.
    int ApplyPlan(const std::string& target, std::vector<PlannedEntry>& entries);
    // Writes the journal's new entries to disk; reports a failure.
    bool CommitJournal();
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code) override;

public:
    // The copy stage's state, which its unit tests set up and read.
    ProgressBar m_progress;
    // Where the kit's items go.
    FrontPageTarget m_target;
    // The run keeps a log, and it is open.
    bool m_logging = false;
    LogFile m_log;
    // The system the log's header tells of.
    LogSystem m_system;
    // The kit's name, and its data folder, which keeps its journal and backups.
    std::string m_kitName;
    std::string m_dataFolder;

private:
    // What the command line asks of this run, and how it ended.
    InstallRun m_run;
    Button m_aboutButton;
    Button m_viewReadmeBox;
    Button m_logBox;
    Button m_cancelButton;
    Button m_nextButton;
    Button m_finishButton;
    Static m_statusText;
    BOOL m_viewReadme = FALSE;
    HICON m_hIcon = nullptr;
    WizardStage m_stage = WizardStage::Start;
    // Keeps the wizard drawn and answering while files are counted and copied.
    PendingMessages m_pendingMessages;
    // A stage's work is running: a click sent to the wizard meanwhile must
    // not start another.
    bool m_stageRunning = false;
    Journal m_journal;
    // The journal's number of the target folder being copied into.
    int m_journalRoot = 0;
    CopyCancel m_copyCancel;
    // The folders the count is inside of, with their file index on disk once
    // asked for (0 before), so that a link back to one of them is seen as
    // the loop it is.
    struct WalkedFolder {
        std::string path;
        ULONGLONG index;
    };
    std::vector<WalkedFolder> m_walkedFolders;
    // The first link in the kit that leads back to a folder it is in, as the
    // count met it; empty when there is none.
    std::string m_loopFolder;
};

// The copy engine: the kit's eight source trees counted, then copied into the
// target folders, every change in the journal before it is made, a failed or
// cancelled copy undone. It knows no window: it shows and asks through its
// InstallHost.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontpage/Detection.h"
#include "install/FileCopy.h"
#include "install/InstallHost.h"
#include "install/KeepAhead.h"
#include "install/Outcome.h"
#include "journal/Journal.h"
#include "journal/TakeBack.h"
#include "win/LogLine.h"

struct KitEntry;
struct PlannedEntry;

// The kit being installed: its name, and its data folder, which keeps its
// journal and backups.
struct InstalledKit {
    std::string name;
    std::string dataFolder;
};

// The kit in the current folder, and its data folder named by its id below
// Common Files, or below `windowsFolder` when the registry names none.
InstalledKit FindDataFolder(const std::string& windowsFolder);

// Makes `kit`, just installed into `themesFolder`, removable later and logs
// the entry made; false, with the last error set and `subject` naming the
// file or key at fault. The engine says when; the layer that makes it knows how.
using RegisterKit = std::function<bool(const InstalledKit& kit, const std::string& themesFolder, std::string& subject)>;

class FileInstaller {
public:
    // Shows and asks through `host`, logs to `log`, registers the kit
    // installed with `registerKit`.
    FileInstaller(InstallHost& host, LogLine log, InstalledKit kit, RegisterKit registerKit);
    FileInstaller(const FileInstaller&) = delete;
    FileInstaller& operator=(const FileInstaller&) = delete;

    const InstalledKit& Kit() const { return m_kit; }

    // Undoes every kit's installation that was cut short before, logging its
    // steps; false, after telling the user, when a step failed or a journal
    // cannot be read.
    bool UndoUnfinishedInstallation();

    // Copies the kit into `target` once FrontPage no longer runs, and
    // registers it for removal.
    Outcome InstallFiles(const FrontPageTarget& target);
    // Keeps a file that `source` replaces at `to` (`replaced`: one not kept
    // yet) and copies it, with the digest for journal entry `entry`; asks Retry or Cancel while
    // another program holds the target. False after a failure, reported, or
    // a cancel.
    bool InstallFile(const SourceFile& source, const std::string& to, bool replaced, int entry);
    // True once no program named frontpg.exe runs; false when the user
    // cancelled or the host gave up.
    bool WaitWhileFrontPageRuns();
    // True when `path` exists on return, creating it and its missing parents.
    bool CreateFolder(std::string path);
    // Logs and shows the last system error, after the string-table text
    // `prefixId` and `subject`; call it right after the failed call.
    void ReportSystemError(UINT prefixId, std::string subject);

private:
    // The eight copy passes of InstallFiles, each change journaled first.
    Outcome CopyPasses(const FrontPageTarget& target);
    // The number of files of the kit tree `source`, listed into `listed` for
    // the copy; a link back to a folder it is inside of is not followed, and
    // the copy reports it.
    int CountFiles(const std::string& source, KitEntry& listed);
    // In a pass, copies the files of the tree `source`, as `listed`, into
    // `target`; the number of files, or -1 after a failure or a cancel.
    int CopyFolder(const std::string& source, const KitEntry& listed, const std::string& target);
    // The user asked to stop, or cancelled a question.
    bool Stopped() { return m_cancelled || m_host.StopAsked(); }
    // True when the kit folder `folder`, reached through a link, is one the
    // count is inside of.
    bool LeadsBack(const std::string& folder);
    // Plans the kit folder `source`, as the count listed it in `listed`, into
    // `entries`, with what each becomes in `target` (made by this installation
    // when `newTarget`), and adds the changes to the journal for the next
    // commit; with `deep` every folder below as well. False after a failure,
    // reported, or a cancel.
    bool PlanFolder(const std::string& source, const KitEntry& listed, const std::string& target, bool newTarget,
                    bool deep, std::vector<PlannedEntry>& entries);
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
    // Queues the files replaced in `entries` for `target`, and below, that
    // are committed and not queued yet, to be kept ahead of their copies, in
    // the order ApplyPlan copies them.
    void QueueKeeps(const std::string& target, std::vector<PlannedEntry>& entries);
    // Registers the installed kit for removal, or tells the user it could not.
    void Register(const std::string& themesFolder);
    // Undoes this installation after a failure or a cancel.
    void UndoInstallation();
    // The undo's lines go to the log, the input let in meanwhile.
    UndoLog UndoLogLine();
    // Tells the user of the files an undo left as they are.
    void TellKept(const KeptFiles& kept);
    // "Gave up waiting" in the log when the host did.
    RetryAnswer Logged(RetryAnswer answer);

    InstallHost& m_host;
    LogLine m_log;
    InstalledKit m_kit;
    RegisterKit m_registerKit;
    Journal m_journal;
    // Keeps the replaced files, a plan group ahead of the copies.
    std::unique_ptr<KeepAhead> m_keepAhead;
    // The journal's number of the target folder being copied into.
    int m_journalRoot = 0;
    // The user cancelled a question of the copy.
    bool m_cancelled = false;
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

#include "uninstall/KitRemoval.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include "journal/DataFolder.h"
#include "journal/JournalFile.h"
#include "journal/Undo.h"
#include "journal/UndoSteps.h"
#include "uninstall/Registration.h"
#include "win/FileSystem.h"
#include "win/FolderTree.h"
#include "win/Handle.h"
#include "win/Strings.h"
#include "win/SystemError.h"
#include "win/Unicode.h"

namespace {

// A path as the file system compares it: without regard to case.
std::string PathKey(const std::string& path)
{
    return ToLower(path);
}

bool Fail(const RemovalLog& log, const std::string& what, const std::string& path)
{
    DWORD error = GetLastError();
    log(what + ": " + path);
    log("Reason: " + SystemErrorText(error));
    return false;
}

// The journal of another kit, read once: the places where its files and
// backups may hold this kit's.
struct OtherKit {
    std::string folder;
    JournalContents contents;
};

class KitRemoval : public TakeBack {
public:
    KitRemoval(const std::string& dataFolder, const RemovalLog& log, const RemovalProgress& progress,
               const RetryWait& retry, KeptFiles& kept)
        : TakeBack(dataFolder, log, retry, kept), m_progress(progress), m_keptFiles(kept)
    {
    }

    bool Run();
    void Failed(const std::string& what, const std::string& path) override { Fail(Log(), what, path); }

protected:
    bool FindTheirBackup(const std::string& path, const JournalEntry& installed, TheirBackup& theirs) override;
    bool HandOver(const TheirBackup& theirs, const std::wstring& before) override;

private:
    bool ReadOtherKits();
    void Step();
    bool TakeBackFolder(const std::string& path);
    // Hands the folder `folder`, which holds files, to a kit that installed
    // some of them, to be removed with that kit when empty.
    bool HandOverFolder(const std::string& folder);

    RemovalProgress m_progress;
    KeptFiles& m_keptFiles;
    std::vector<OtherKit> m_others;
    // The paths kept as changed: what earlier installations replaced there
    // goes to the kept originals too.
    std::set<std::string> m_keptKeys;
    // The replaced files with nothing to put back (kRecordGone).
    std::set<std::string> m_goneKeys;
    int m_done = 0;
    int m_total = 0;
};

bool KitRemoval::Run()
{
    JournalContents contents;
    if (!Open(contents) || !ReadOtherKits())
        return false;
    for (const std::string& gone : contents.goneFiles)
        m_goneKeys.insert(PathKey(gone));

    for (const JournalSession& session : contents.sessions)
        m_total += (int)session.entries.size();
    m_total += (int)contents.handedFolders.size();
    if (m_progress)
        m_progress(0, m_total);

    bool done = true;
    for (auto session = contents.sessions.rbegin(); done && session != contents.sessions.rend(); ++session) {
        const std::vector<JournalEntry>& entries = session->entries;
        // A file copied twice in one installation (a version's item and a
        // common one of the same name) is one step, taken at its last entry.
        std::map<std::string, std::vector<size_t>> groups;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].kind != JournalEntry::Folder)
                groups[PathKey(entries[i].path)].push_back(i);
        }
        for (size_t i = entries.size(); done && i-- > 0;) {
            const JournalEntry& entry = entries[i];
            Step();
            if (entry.kind == JournalEntry::Folder) {
                if (entry.undone)
                    continue;
                done = TakeBackFolder(entry.path);
                if (done)
                    MarkUndone(session->number, i);
                continue;
            }
            const std::string key = PathKey(entry.path);
            const std::vector<size_t>& group = groups[key];
            if (group.back() != i)
                continue;
            const size_t keptBefore = m_keptFiles.changed.size();
            done = File(*session, group, m_goneKeys.count(key) > 0, m_keptKeys.count(key) > 0);
            if (m_keptFiles.changed.size() > keptBefore)
                m_keptKeys.insert(key);
        }
    }
    // Folders of kits removed before, deepest first.
    std::vector<std::string> handed = contents.handedFolders;
    std::sort(handed.begin(), handed.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (size_t i = 0; done && i < handed.size(); ++i) {
        Step();
        done = TakeBackFolder(handed[i]);
    }
    return Flush() && done;
}

bool KitRemoval::ReadOtherKits()
{
    for (const std::string& folder : KitDataFolders(ParentFolder(DataFolder()))) {
        const std::string journal = folder + "\\" + kJournalFile;
        if (PathKey(folder) == PathKey(DataFolder()) || !FileExists(journal))
            continue;
        // Only a journal that passes the data folder's checks is believed;
        // one that does not may name a path this removal touches.
        ScopedFile file(OpenJournal(folder, JournalAccess::Read));
        OtherKit other;
        other.folder = folder;
        if (!file.IsValid() || !ReadJournal(file.Get(), other.contents))
            return Fail(Log(), "Failed to read journal", JournalPlace(journal, other.contents));
        m_others.push_back(other);
    }
    return true;
}

void KitRemoval::Step()
{
    ++m_done;
    if (m_progress)
        m_progress(m_done, m_total);
}

bool KitRemoval::TakeBackFolder(const std::string& path)
{
    bool stays = false;
    if (!Folder(path, stays))
        return false;
    // It holds files of someone else, or changed ones that were kept.
    return !stays || HandOverFolder(path);
}

bool KitRemoval::FindTheirBackup(const std::string& path, const JournalEntry& installed, TheirBackup& theirs)
{
    const std::string key = PathKey(path);
    for (const OtherKit& other : m_others) {
        for (const JournalSession& session : other.contents.sessions) {
            if (!session.closed)
                continue;
            for (const JournalEntry& entry : session.entries) {
                if (entry.undone || entry.kind != JournalEntry::ReplacedFile || PathKey(entry.path) != key)
                    continue;
                const std::string backup = other.folder + "\\" + entry.backup;
                State state = State::Missing;
                if (!Compare(backup, installed, true, state) || state != State::Same)
                    continue;
                theirs = {other.folder, entry.path, backup};
                return true;
            }
        }
    }
    return false;
}

bool KitRemoval::HandOver(const TheirBackup& theirs, const std::wstring& before)
{
    // Nothing stood there before this kit: the other kit's removal is told
    // so first, then the backup goes.
    if (before.empty() && !AppendJournalRecord(theirs.dataFolder, {kRecordGone, theirs.path}))
        return Failing("Failed to write journal", theirs.dataFolder + "\\" + kJournalFile);
    bool changed = false;
    const bool given =
        before.empty() ? RemoveFile(LongPath(theirs.backup), changed) : RestoreFile(before, LongPath(theirs.backup));
    return given || Failing("Failed to restore file", theirs.backup);
}

bool KitRemoval::HandOverFolder(const std::string& folder)
{
    const std::string below = PathKey(folder) + "\\";
    for (OtherKit& other : m_others) {
        bool holds = false;
        for (const JournalSession& session : other.contents.sessions) {
            for (const JournalEntry& entry : session.entries)
                holds = holds || (!entry.undone && PathKey(entry.path).compare(0, below.size(), below) == 0);
        }
        for (const std::string& handed : other.contents.handedFolders)
            holds = holds || PathKey(handed).compare(0, below.size(), below) == 0;
        if (!holds)
            continue;
        if (!AppendJournalRecord(other.folder, {kRecordHanded, folder}))
            return Fail(Log(), "Failed to write journal", other.folder + "\\" + kJournalFile);
        other.contents.handedFolders.push_back(folder);
        return true;
    }
    return true;
}

} // namespace

bool TakeBackInstallations(const std::string& dataFolder, const RemovalLog& log, const RemovalProgress& progress,
                           const RetryWait& retry, KeptFiles& kept)
{
    // Installations cut short, of this kit or any other, are undone first,
    // as the wizard would undo them.
    if (!UndoUnfinishedInstallations(dataFolder, log, kept, retry))
        return false;
    // Nothing else was installed: the undo took the journal with it.
    if (!FileExists(dataFolder + "\\" + kJournalFile))
        return true;
    KitRemoval removal(dataFolder, log, progress, retry, kept);
    return removal.Run();
}

bool RemoveWhatIsLeft(const std::string& dataFolder, const std::string& kitId, const std::string& program,
                      const RemovalLog& log)
{
    const std::string key = "HKEY_LOCAL_MACHINE\\" + RemovalKeyPath(kitId);
    // The entry goes last, once nothing else can fail; that it can go is
    // made sure of first.
    if (!CanRemoveRegistration(kitId))
        return Fail(log, "Failed to remove registration", key);
    // Names no kit id has (in parentheses), so no kit's data folder is ever
    // in their way, nor they taken for one.
    const std::string parent = ParentFolder(dataFolder);
    const std::string parked = parent + "\\" + kitId + " (removed)";
    const std::string removing = parent + "\\" + kitId + " (removing)";
    // Left by an earlier removal of a kit of this id, whose program has ended.
    if (PathExists(removing) && !RemoveFolderTree(removing))
        return Fail(log, "Failed to remove folder", removing);
    // The running program's file can be renamed, not deleted: it leaves the
    // data folder for the folder above, and goes when Windows next starts.
    const bool running = PathKey(ParentFolder(program)) == PathKey(dataFolder);
    if (running && !MoveFileExW(Wide(program).c_str(), Wide(parked).c_str(), MOVEFILE_REPLACE_EXISTING))
        return Fail(log, "Failed to remove file", program);
    // The whole data folder leaves in one rename, or stays as it was, with
    // the program back in it, for the removal to run again.
    if (!MoveFileExW(Wide(dataFolder).c_str(), Wide(removing).c_str(), 0)) {
        DWORD error = GetLastError();
        if (running)
            MoveFileExW(Wide(parked).c_str(), Wide(program).c_str(), 0);
        SetLastError(error);
        return Fail(log, "Failed to remove folder", dataFolder);
    }
    if (!RemoveRegistration(kitId))
        return Fail(log, "Failed to remove registration", key);
    // What the folder held is no kit's any more: anything that cannot go
    // now goes with the next removal of a kit of this id.
    RemoveFolderTree(removing);
    if (running) {
        MoveFileExW(Wide(parked).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        // The folder above goes with it when no other kit is left by then.
        MoveFileExW(Wide(parent).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return true;
}

std::string RecordedKitName(const std::string& dataFolder)
{
    ScopedFile file(OpenJournal(dataFolder, JournalAccess::Read));
    JournalContents contents;
    if (!file.IsValid() || !ReadJournal(file.Get(), contents))
        return std::string();
    return contents.kitName;
}

#include "uninstall/KitRemoval.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include "digest/FileDigest.h"
#include "digest/Sha256.h"
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
    log(Format("%s: %s\nReason: %s", what.c_str(), path.c_str(), SystemErrorText(error).c_str()));
    return false;
}

enum class FileState { Missing, Same, Different };

// Whether the file `path` is the one `entry` recorded as installed. False,
// with the last error set, when it cannot be told.
bool Compare(const std::string& path, const JournalEntry& entry, FileState& state)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
        state = FileState::Missing;
        return IsMissing(GetLastError());
    }
    const unsigned long long size = (unsigned long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
    state = FileState::Different;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !entry.hasDigest || size != entry.size)
        return true;
    unsigned long long read = 0;
    std::string digest;
    if (!DigestFile(path, read, digest))
        return false;
    if (read == entry.size && Sha256::Hex(digest) == entry.digest)
        state = FileState::Same;
    return true;
}

// The journal of another kit, read once: the places where its files and
// backups may hold this kit's.
struct OtherKit {
    std::string folder;
    JournalContents contents;
};

class KitRemoval {
public:
    KitRemoval(const std::string& dataFolder, const RemovalLog& log, const RemovalProgress& progress,
               std::vector<std::string>& kept)
        : m_folder(dataFolder), m_log(log), m_progress(progress), m_kept(kept)
    {
    }

    bool Run();

private:
    void ReadOtherKits();
    void Step();
    void Mark(int session, size_t entry);
    // The entries `group` of `session`, all of one path, in the order written.
    bool TakeBackFile(const JournalSession& session, const std::vector<size_t>& group);
    bool TakeBackFolder(const std::string& path);
    // Gives what this kit replaced at `path` (the file `before`, or nothing
    // when empty) to a later kit whose backup holds this kit's file as
    // `installed` recorded it. `handed` when there was one.
    bool HandOverFile(const std::string& path, const JournalEntry& installed, const std::wstring& before,
                      bool& handed);
    // Hands the folder `folder`, which holds files, to a kit that installed
    // some of them, to be removed with that kit when empty.
    bool HandOverFolder(const std::string& folder);

    std::string m_folder;
    const RemovalLog& m_log;
    const RemovalProgress& m_progress;
    std::vector<std::string>& m_kept;
    ScopedFile m_file;
    std::vector<OtherKit> m_others;
    // The paths kept as changed: what earlier installations did there stays.
    std::set<std::string> m_keptKeys;
    // The replaced files with nothing to put back (kRecordGone).
    std::set<std::string> m_goneKeys;
    int m_done = 0;
    int m_total = 0;
};

bool KitRemoval::Run()
{
    const std::string journal = m_folder + "\\" + kJournalFile;
    // An installation cut short is undone as the wizard would undo it.
    if (UnfinishedSessionWaits(m_folder) && !UndoUnfinishedSession(m_folder, m_log))
        return false;
    // Nothing else was installed: the undo took the journal with it.
    if (GetFileAttributesW(Wide(journal).c_str()) == INVALID_FILE_ATTRIBUTES && IsMissing(GetLastError()))
        return true;
    m_file.Reset(OpenJournal(m_folder, JournalAccess::Write));
    JournalContents contents;
    if (!m_file.IsValid() || !ReadJournal(m_file.Get(), contents))
        return Fail(m_log, "Failed to read journal", journal);
    // The marks of what is taken back follow the whole lines.
    if (!CutJournal(m_file.Get(), contents.end))
        return Fail(m_log, "Failed to write journal", journal);
    ReadOtherKits();
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
                    Mark(session->number, i);
                continue;
            }
            const std::vector<size_t>& group = groups[PathKey(entry.path)];
            if (group.back() != i)
                continue;
            bool undone = true;
            for (size_t member : group)
                undone = undone && entries[member].undone;
            if (undone)
                continue;
            done = TakeBackFile(*session, group);
            if (done) {
                for (size_t member : group)
                    Mark(session->number, member);
            }
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
    FlushFileBuffers(m_file.Get());
    return done;
}

void KitRemoval::ReadOtherKits()
{
    const std::string parent = ParentFolder(m_folder);
    WIN32_FIND_DATAW found;
    ScopedFind find(FindFirstFileW(Wide(parent + "\\*").c_str(), &found));
    for (bool more = find.IsValid(); more; more = FindNextFileW(find.Get(), &found)) {
        const std::string name = Utf8(found.cFileName, wcslen(found.cFileName));
        const std::string folder = parent + "\\" + name;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == ".." ||
            PathKey(folder) == PathKey(m_folder))
            continue;
        // Only a journal that passes the data folder's checks is believed.
        ScopedFile file(OpenJournal(folder, JournalAccess::Read));
        OtherKit other;
        other.folder = folder;
        if (file.IsValid() && ReadJournal(file.Get(), other.contents))
            m_others.push_back(other);
    }
}

void KitRemoval::Step()
{
    ++m_done;
    if (m_progress)
        m_progress(m_done, m_total);
}

void KitRemoval::Mark(int session, size_t entry)
{
    // Not flushed: a mark lost only makes a later run repeat a step, which
    // then changes nothing.
    const std::string mark = JournalLine({kRecordUndone, std::to_string(session), std::to_string(entry + 1)});
    DWORD written = 0;
    WriteFile(m_file.Get(), mark.data(), (DWORD)mark.size(), &written, nullptr);
}

bool KitRemoval::TakeBackFile(const JournalSession& session, const std::vector<size_t>& group)
{
    const JournalEntry& first = session.entries[group.front()];
    const JournalEntry& installed = session.entries[group.back()];
    const std::string& path = installed.path;
    if (m_keptKeys.count(PathKey(path)))
        return true;
    // What stood there before: nothing, when the installation made the file
    // or the kit whose file it replaced is gone; else the backup of the first
    // entry that replaced it. A later entry's backup is only this
    // installation's own copy.
    const bool made = first.kind == JournalEntry::NewFile || m_goneKeys.count(PathKey(path)) > 0;
    std::wstring backup;
    if (!made) {
        backup = LongPath(m_folder + "\\" + first.backup);
        if (GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES)
            backup.clear();
    }
    FileState state;
    if (!Compare(path, installed, state))
        return Fail(m_log, "Failed to read file", path);
    bool changed = false;
    if (state == FileState::Different) {
        bool handed = false;
        if (!HandOverFile(path, installed, backup, handed))
            return false;
        // A file replaced and its backup gone: put back by a removal that was
        // cut short.
        if (handed || (!made && backup.empty()))
            return true;
        m_log("Kept changed file: " + path);
        m_kept.push_back(path);
        m_keptKeys.insert(PathKey(path));
        return true;
    }
    if (!backup.empty()) {
        if (!RestoreFile(backup, LongPath(path), changed))
            return Fail(m_log, "Failed to restore file", path);
        if (changed)
            m_log("Restored file: " + path);
        return true;
    }
    if (state == FileState::Missing)
        return true;
    if (!RemoveFile(LongPath(path), changed))
        return Fail(m_log, "Failed to remove file", path);
    if (changed)
        m_log("Removed file: " + path);
    return true;
}

bool KitRemoval::TakeBackFolder(const std::string& path)
{
    bool changed = false;
    if (RemoveFolder(LongPath(path), changed)) {
        if (changed)
            m_log("Removed folder: " + path);
        return true;
    }
    // It holds files of someone else, or changed ones that were kept.
    if (GetLastError() == ERROR_DIR_NOT_EMPTY)
        return HandOverFolder(path);
    return Fail(m_log, "Failed to remove folder", path);
}

bool KitRemoval::HandOverFile(const std::string& path, const JournalEntry& installed, const std::wstring& before,
                              bool& handed)
{
    handed = false;
    const std::string key = PathKey(path);
    for (OtherKit& other : m_others) {
        for (const JournalSession& session : other.contents.sessions) {
            if (!session.closed)
                continue;
            for (const JournalEntry& entry : session.entries) {
                if (entry.undone || entry.kind != JournalEntry::ReplacedFile || PathKey(entry.path) != key)
                    continue;
                const std::string theirs = other.folder + "\\" + entry.backup;
                FileState state;
                if (!Compare(theirs, installed, state) || state != FileState::Same)
                    continue;
                // Nothing stood there before this kit: the other kit's removal
                // is told so first, then the backup goes.
                bool changed = false;
                if (before.empty() && !AppendJournalRecord(other.folder, {kRecordGone, entry.path}))
                    return Fail(m_log, "Failed to write journal", other.folder + "\\" + kJournalFile);
                const bool given = before.empty() ? RemoveFile(LongPath(theirs), changed)
                                                  : RestoreFile(before, LongPath(theirs), changed);
                if (!given)
                    return Fail(m_log, "Failed to restore file", theirs);
                handed = true;
                return true;
            }
        }
    }
    return true;
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
            return Fail(m_log, "Failed to write journal", other.folder + "\\" + kJournalFile);
        other.contents.handedFolders.push_back(folder);
        return true;
    }
    return true;
}

} // namespace

bool TakeBackInstallations(const std::string& dataFolder, const RemovalLog& log, const RemovalProgress& progress,
                           std::vector<std::string>& kept)
{
    KitRemoval removal(dataFolder, log, progress, kept);
    return removal.Run();
}

bool RemoveWhatIsLeft(const std::string& dataFolder, const std::string& kitId, const std::string& program,
                      const RemovalLog& log)
{
    const std::string backups = dataFolder + "\\backup";
    if (GetFileAttributesW(LongPath(backups).c_str()) != INVALID_FILE_ATTRIBUTES && !RemoveFolderTree(backups))
        return Fail(log, "Failed to remove folder", backups);
    if (!RemoveRegistration(kitId))
        return Fail(log, "Failed to remove registration",
                    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                        RemovalKeyName(kitId));
    // The running program's file can be renamed, not deleted: it leaves the
    // data folder for the folder above, whose files no kit reads, and goes
    // when Windows next starts; a kit installed again before then gets a
    // data folder, and a program, of its own.
    if (PathKey(ParentFolder(program)) == PathKey(dataFolder)) {
        const std::string parked = ParentFolder(dataFolder) + "\\" + kitId + ".removed";
        if (!MoveFileExW(Wide(program).c_str(), Wide(parked).c_str(), MOVEFILE_REPLACE_EXISTING))
            return Fail(log, "Failed to remove file", program);
        if (!MoveFileExW(Wide(parked).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            return Fail(log, "Failed to remove file", parked);
        // The folder above goes with it when no other kit is left by then.
        MoveFileExW(Wide(ParentFolder(dataFolder)).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    const std::string journal = dataFolder + "\\" + kJournalFile;
    bool changed = false;
    if (!RemoveFile(Wide(journal), changed))
        return Fail(log, "Failed to remove file", journal);
    if (!RemoveFolder(Wide(dataFolder), changed))
        return Fail(log, "Failed to remove folder", dataFolder);
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

#include "journal/TakeBack.h"

#include "digest/FileDigest.h"
#include "digest/Sha256.h"
#include "journal/DataFolder.h"
#include "journal/UndoSteps.h"
#include "win/FileSystem.h"
#include "win/Strings.h"
#include "win/SystemError.h"
#include "win/Unicode.h"

namespace {

// A path as the file system compares it: without regard to case.
std::string PathKey(const std::string& path)
{
    return ToLower(path);
}

bool IsBelowKey(const std::string& pathKey, const std::string& folderKey)
{
    return pathKey.size() > folderKey.size() + 1 && pathKey.compare(0, folderKey.size(), folderKey) == 0 &&
           pathKey[folderKey.size()] == '\\';
}

bool IsInUse(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The full path `path` as a relative one, its drive letter (or "UNC") the
// first folder: "C\FrontPage\themes\...".
std::string Mirrored(const std::string& path)
{
    if (path.size() > 2 && path[1] == ':')
        return path.substr(0, 1) + path.substr(2);
    return "UNC" + path.substr(1);
}

// `path` with " (<n>)" after its name, before its extension.
std::string Numbered(const std::string& path, int n)
{
    const size_t slash = path.find_last_of('\\');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= slash + 1)
        dot = path.size();
    return path.substr(0, dot) + Format(" (%d)", n) + path.substr(dot);
}

} // namespace

TakeBack::TakeBack(const std::string& dataFolder, UndoLog log, RetryWait retry, KeptFiles& kept)
    : m_folder(dataFolder), m_log(log), m_retry(retry), m_kept(kept)
{
}

std::string TakeBack::JournalPath() const
{
    return m_folder + "\\" + kJournalFile;
}

bool TakeBack::Open(JournalContents& contents)
{
    m_journal.Reset(OpenJournal(m_folder, JournalAccess::Write));
    if (!m_journal.IsValid() || !ReadJournal(m_journal.Get(), contents)) {
        DWORD error = GetLastError();
        m_log("Failed to read journal: " + JournalPlace(JournalPath(), contents));
        m_log("Reason: " + SystemErrorText(error));
        m_journal.Reset();
        return false;
    }
    if (CutJournal(m_journal.Get(), contents.end))
        return true;
    Failed("Failed to write journal", JournalPath());
    return false;
}

bool TakeBack::Forget(LONGLONG offset)
{
    const bool cut = CutJournal(m_journal.Get(), offset) && FlushFileBuffers(m_journal.Get());
    DWORD error = GetLastError();
    m_journal.Reset();
    SetLastError(error);
    return cut;
}

bool TakeBack::File(const JournalSession& session, const std::vector<size_t>& group, bool nothingBefore, bool keptLater)
{
    return Retrying([&] { return TryFile(session, group, nothingBefore, keptLater); });
}

bool TakeBack::Folder(const std::string& path, bool& stays)
{
    return Retrying([&] {
        bool changed = false;
        stays = false;
        if (RemoveFolder(LongPath(path), changed)) {
            if (changed)
                m_log("Removed folder: " + path);
            return true;
        }
        stays = GetLastError() == ERROR_DIR_NOT_EMPTY;
        return stays || Failing("Failed to remove folder", path);
    });
}

bool TakeBack::Retrying(const std::function<bool()>& step)
{
    DWORD since = 0;
    bool waiting = false;
    for (;;) {
        if (step())
            return true;
        const DWORD error = GetLastError();
        if (IsInUse(error) && m_retry) {
            if (!waiting)
                m_log("File in use: " + m_failedPath);
            since = waiting ? since : GetTickCount();
            waiting = true;
            if (m_retry(since))
                continue;
            m_log("Gave up waiting");
        }
        SetLastError(error);
        Failed(m_failedWhat, m_failedPath);
        return false;
    }
}

void TakeBack::MarkUndone(int session, size_t entry)
{
    Mark({kRecordUndone, std::to_string(session), std::to_string(entry + 1)}, false);
}

bool TakeBack::Flush()
{
    return FlushFileBuffers(m_journal.Get()) != FALSE;
}

bool TakeBack::HoldsKept(const std::string& folder) const
{
    const std::string key = PathKey(folder);
    for (const std::vector<std::string>* files : {&m_kept.changed, &m_kept.unrestored}) {
        for (const std::string& file : *files) {
            if (IsBelowKey(PathKey(file), key))
                return true;
        }
    }
    return false;
}

void TakeBack::Failed(const std::string&, const std::string& path)
{
    DWORD error = GetLastError();
    m_log("Undo failed: " + path);
    m_log("Reason: " + SystemErrorText(error));
}

bool TakeBack::FindTheirBackup(const std::string&, const JournalEntry&, TheirBackup&)
{
    return false;
}

bool TakeBack::HandOver(const TheirBackup&, const std::wstring&)
{
    return true;
}

bool TakeBack::Failing(const char* what, const std::string& path)
{
    m_failedWhat = what;
    m_failedPath = path;
    return false;
}

bool TakeBack::Compare(const std::string& path, const JournalEntry& installed, bool closed, State& state)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
        state = State::Missing;
        return IsMissing(GetLastError());
    }
    state = State::Different;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return true;
    // Copied by an installation cut short before its digest reached the
    // disk: no one can have changed it since, as far as can be told.
    if (!installed.hasDigest) {
        state = closed ? State::Different : State::Same;
        return true;
    }
    const unsigned long long size = (unsigned long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
    if (size != installed.size)
        return true;
    unsigned long long read = 0;
    std::string digest;
    if (!DigestFile(path, read, digest))
        return false;
    if (read == installed.size && Sha256::Hex(digest) == installed.digest)
        state = State::Same;
    return true;
}

bool TakeBack::TryFile(const JournalSession& session, const std::vector<size_t>& group, bool nothingBefore,
                       bool keptLater)
{
    const JournalEntry& first = session.entries[group.front()];
    const JournalEntry& installed = session.entries[group.back()];
    const std::string& path = installed.path;
    const std::string last = std::to_string(group.back() + 1);
    const std::string number = std::to_string(session.number);
    bool undone = true;
    bool restoring = false;
    bool unrestored = false;
    bool copied = false;
    const JournalEntry* kept = nullptr;
    for (size_t member : group) {
        const JournalEntry& entry = session.entries[member];
        copied = copied || entry.hasDigest;
        undone = undone && entry.undone;
        restoring = restoring || entry.restoring;
        unrestored = unrestored || entry.unrestored;
        kept = entry.kept ? &entry : kept;
    }
    const bool nothing = nothingBefore || first.kind == JournalEntry::NewFile;
    const std::string backup = nothing ? std::string() : m_folder + "\\" + first.backup;
    const bool backupThere = !nothing && Exists(backup);

    // Dealt with by a run before, which may have been cut short: what it
    // kept is told again, and its original finishes its way.
    if (kept) {
        const std::string& original = kept->original;
        if (!original.empty() && !IsBelowKey(PathKey(original), PathKey(KeptOriginalsFolder(m_folder)))) {
            SetLastError(ERROR_INVALID_DATA);
            return Failing("Failed to read journal", JournalPath());
        }
        if (!original.empty() && backupThere && !MoveOriginal(backup, original))
            return Failing("Failed to keep file", backup);
        ReportKept(path, original, !keptLater);
        return true;
    }
    if (unrestored) {
        ReportUnrestored(path, backup);
        return true;
    }
    if (undone)
        return true;
    const std::wstring before = backupThere ? LongPath(backup) : std::wstring();
    if (restoring) {
        // Begun by a run cut short: finished, whatever stands there now; never
        // taken for a change of the user's.
        TheirBackup theirs;
        if (FindTheirBackup(path, installed, theirs)) {
            if (!HandOver(theirs, before))
                return false;
        } else if (backupThere) {
            if (!RestoreFile(before, LongPath(path)))
                return Failing("Failed to restore file", path);
            m_log("Restored file: " + path);
        }
        MarkGroup(session, group);
        return true;
    }

    State state = State::Different;
    if (!keptLater && !Compare(path, installed, session.closed, state))
        return Failing("Failed to read file", path);
    TheirBackup theirs;
    if (state == State::Different && !keptLater && FindTheirBackup(path, installed, theirs)) {
        if (!Mark({kRecordRestore, number, last}, true))
            return Failing("Failed to write journal", JournalPath());
        if (!HandOver(theirs, before))
            return false;
        MarkGroup(session, group);
        return true;
    }
    if (state == State::Different) {
        const std::string original = backupThere ? NewOriginalPath(session.number, path) : std::string();
        std::vector<std::string> mark = {kRecordKept, number, last};
        if (!original.empty())
            mark.push_back(original);
        if (!Mark(mark, true))
            return Failing("Failed to write journal", JournalPath());
        if (backupThere && !MoveOriginal(backup, original))
            return Failing("Failed to keep file", backup);
        ReportKept(path, original, !keptLater);
        return true;
    }
    if (backupThere) {
        if (!Mark({kRecordRestore, number, last}, true))
            return Failing("Failed to write journal", JournalPath());
        if (!RestoreFile(before, LongPath(path)))
            return Failing("Failed to restore file", path);
        m_log("Restored file: " + path);
        MarkGroup(session, group);
        return true;
    }
    if (nothing) {
        bool changed = false;
        if (state == State::Same && !RemoveFile(LongPath(path), changed))
            return Failing("Failed to remove file", path);
        if (changed)
            m_log("Removed file: " + path);
        MarkGroup(session, group);
        return true;
    }
    // An installation cut short before it kept the file, and so before it
    // copied anything there: the file is what it replaced.
    if (!session.closed && !copied) {
        MarkGroup(session, group);
        return true;
    }
    // Its backup went (deleted by hand, by a cleaner): the installed file is
    // all there is, and stays.
    Mark({kRecordUnrestored, number, last}, false);
    ReportUnrestored(path, backup);
    return true;
}

bool TakeBack::Mark(const std::vector<std::string>& fields, bool flush)
{
    return AppendToJournal(m_journal.Get(), JournalLine(fields), flush);
}

void TakeBack::MarkGroup(const JournalSession& session, const std::vector<size_t>& group)
{
    for (size_t member : group)
        MarkUndone(session.number, member);
}

bool TakeBack::MoveOriginal(const std::string& backup, const std::string& original)
{
    return MakeFolderPath(ParentFolder(original)) &&
           MoveFileExW(LongPath(backup).c_str(), LongPath(original).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
}

std::string TakeBack::NewOriginalPath(int session, const std::string& path) const
{
    const std::string first = KeptOriginalsFolder(m_folder) + "\\" + std::to_string(session) + "\\" + Mirrored(path);
    std::string original = first;
    for (int n = 2; Exists(original); ++n)
        original = Numbered(first, n);
    return original;
}

void TakeBack::ReportKept(const std::string& path, const std::string& original, bool changedHere)
{
    if (changedHere) {
        m_log("Kept changed file: " + path);
        m_kept.changed.push_back(path);
    }
    if (original.empty())
        return;
    m_log("Original kept as: " + original);
    m_kept.originals.push_back(original);
}

void TakeBack::ReportUnrestored(const std::string& path, const std::string& backup)
{
    m_log("Original not restored: " + path);
    m_log("Backup missing: " + backup);
    m_kept.unrestored.push_back(path);
}

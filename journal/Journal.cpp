#include "journal/Journal.h"

#include <windows.h>

#include <algorithm>

#include "digest/Sha256.h"
#include "journal/JournalFile.h"
#include "journal/UndoSteps.h"
#include "win/FileSystem.h"
#include "win/RenameFile.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

// The time in UTC, for the people reading the journal.
std::string UtcNow()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return Format("%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
}

} // namespace

bool Journal::Begin(const std::string& dataFolder, const std::vector<std::string>& roots)
{
    m_folder = dataFolder;
    m_pending.clear();
    m_entries = 0;
    m_roots = roots;
    m_madeFolder.clear();
    m_madeFolderHandle.Reset();
    m_file.Reset(OpenJournal(dataFolder, JournalAccess::Create));
    if (!m_file.IsValid())
        return false;
    JournalContents contents;
    if (!ReadJournal(m_file.Get(), contents)) {
        DWORD error = GetLastError();
        m_file.Reset();
        SetLastError(error);
        return false;
    }
    if (!contents.sessions.empty() && !contents.sessions.back().closed) {
        m_file.Reset();
        SetLastError(ERROR_BUSY);
        return false;
    }
    // A write cut short at the end goes, so that the new lines follow whole ones.
    if (!CutJournal(m_file.Get(), contents.end))
        return false;

    // A number no installation in this journal had, nor any backup folder left behind.
    m_session = 1;
    for (const JournalSession& session : contents.sessions)
        m_session = std::max(m_session, session.number + 1);
    while (PathExists(Format("%s\\backup\\%d", m_folder.c_str(), m_session)))
        ++m_session;

    std::string start = contents.end == 0 ? JournalLine({kJournalHeader}) : std::string();
    std::vector<std::string> begin = {kRecordBegin, std::to_string(m_session), UtcNow()};
    begin.insert(begin.end(), roots.begin(), roots.end());
    start += JournalLine(begin);
    return AppendToJournal(m_file.Get(), start, true);
}

int Journal::AddFolder(const std::string& path)
{
    return Add({kRecordFolder, path});
}

int Journal::AddNewFile(const std::string& path)
{
    return Add({kRecordFile, path});
}

int Journal::AddReplacedFile(int root, const std::string& path)
{
    std::string backup = BackupPath(root, path);
    if (backup.empty())
        return 0;
    return Add({kRecordReplace, path, backup});
}

bool Journal::Commit()
{
    bool written = m_pending.empty() || AppendToJournal(m_file.Get(), m_pending, true);
    m_pending.clear();
    return written;
}

bool Journal::Keep(int root, const std::string& path)
{
    std::wstring to;
    if (MoveToBackup(root, path, to))
        return true;
    // Kept before in this installation: what stands at `path` now is its own
    // copy. The move, which never replaces, tells without a look of its own.
    DWORD error = GetLastError();
    if (!to.empty() && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
                        GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES))
        return true;
    if (error != ERROR_NOT_SAME_DEVICE) {
        SetLastError(error);
        return false;
    }
    // Copied whole under a name of its own first, on disk, then renamed: a
    // backup is never half written, even when the process is killed or the
    // power fails in the middle, and the original is replaced only then.
    const std::wstring copying = LongPath(Format("%s\\backup\\%d\\copying", m_folder.c_str(), m_session));
    return CopyFileToDisk(Wide(path), copying) && MoveFileExW(copying.c_str(), to.c_str(), 0);
}

void Journal::AddDigest(int entry, unsigned long long size, const std::string& digest)
{
    m_pending += JournalLine({kRecordDigest, std::to_string(entry), std::to_string(size), Sha256::Hex(digest)});
}

bool Journal::End()
{
    m_pending += JournalLine({kRecordEnd, std::to_string(m_session)});
    bool written = AppendToJournal(m_file.Get(), m_pending, true);
    m_pending.clear();
    m_file.Reset();
    m_madeFolderHandle.Reset();
    return written;
}

bool Journal::Undo(const UndoLog& log, KeptFiles& kept)
{
    m_pending.clear();
    m_file.Reset();
    m_madeFolder.clear();
    m_madeFolderHandle.Reset();
    return UndoUnfinishedSession(m_folder, log, kept);
}

int Journal::Add(const std::vector<std::string>& fields)
{
    m_pending += JournalLine(fields);
    return ++m_entries;
}

bool Journal::MoveToBackup(int root, const std::string& path, std::wstring& backup)
{
    const std::string relative = BackupPath(root, path);
    if (relative.empty()) {
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }
    const std::string full = m_folder + "\\" + relative;
    backup = LongPath(full);
    if (!MakeFolders(ParentFolder(full)))
        return false;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    ScopedFile file(CreateFileW(Wide(path).c_str(), DELETE | SYNCHRONIZE, share, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.IsValid() && RenameFileInto(file.Get(), m_madeFolderHandle.Get(), Wide(LastPart(full)));
}

std::string Journal::BackupPath(int root, const std::string& path) const
{
    if (root < 1 || root > (int)m_roots.size())
        return std::string();
    const std::string& folder = m_roots[root - 1];
    if (path.size() <= folder.size() + 1 || path.compare(0, folder.size(), folder) != 0 || path[folder.size()] != '\\')
        return std::string();
    return Format("backup\\%d\\%d\\", m_session, root) + path.substr(folder.size() + 1);
}

bool Journal::MakeFolders(const std::string& folder)
{
    if (folder == m_madeFolder)
        return true;
    m_madeFolder.clear();
    m_madeFolderHandle.Reset();
    if (!MakeFolderPath(folder))
        return false;
    m_madeFolderHandle.Reset(CreateFileW(LongPath(folder).c_str(), FILE_TRAVERSE | SYNCHRONIZE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!m_madeFolderHandle.IsValid())
        return false;
    m_madeFolder = folder;
    return true;
}

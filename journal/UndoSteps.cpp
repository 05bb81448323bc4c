#include "journal/UndoSteps.h"

#include "journal/JournalFile.h"
#include "win/FileSystem.h"
#include "win/Handle.h"

namespace {

// Clears the read-only attribute of the file `path`: the kit's files keep
// theirs when copied, and the system refuses to delete or replace such a
// file. False, with the last error left as it was, when it has none.
bool ClearReadOnly(const std::wstring& path)
{
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        return true;
    SetLastError(error);
    return false;
}

// Renames `from` over `to`, read-only or not.
bool MoveOver(const std::wstring& from, const std::wstring& to)
{
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) ||
           (GetLastError() == ERROR_ACCESS_DENIED && ClearReadOnly(to) &&
            MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
}

// Flushes the file `path` to disk; a read-only one can only be opened to
// write without that attribute.
bool FlushFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly && !SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const bool flushed = file.IsValid() && FlushFileBuffers(file.Get());
    file.Reset();
    return flushed && (!readOnly || SetFileAttributesW(path.c_str(), attributes));
}

} // namespace

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool MakeFolderPath(const std::string& folder)
{
    if (GetFileAttributesW(LongPath(folder).c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const std::string parent = ParentFolder(folder);
    if (parent.empty() || !MakeFolderPath(parent))
        return false;
    return CreateDirectoryW(LongPath(folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyFileToDisk(const std::wstring& from, const std::wstring& to)
{
    // A copy left by a run cut short goes first: copied over, it would keep
    // its own attributes.
    bool changed = false;
    if (!RemoveFile(to, changed))
        return false;
    if (CopyFileW(from.c_str(), to.c_str(), TRUE) && FlushFile(to))
        return true;
    DWORD error = GetLastError();
    RemoveFile(to, changed);
    SetLastError(error);
    return false;
}

bool RemoveFile(const std::wstring& path, bool& changed)
{
    changed = DeleteFileW(path.c_str()) ||
              (GetLastError() == ERROR_ACCESS_DENIED && ClearReadOnly(path) && DeleteFileW(path.c_str()));
    return changed || IsMissing(GetLastError());
}

bool RemoveFolder(const std::wstring& path, bool& changed)
{
    changed = RemoveDirectoryW(path.c_str()) != FALSE;
    return changed || IsMissing(GetLastError());
}

bool RestoreFile(const std::wstring& backup, const std::wstring& path)
{
    if (MoveOver(backup, path))
        return true;
    if (GetLastError() != ERROR_NOT_SAME_DEVICE)
        return false;
    // The target is never half written: a restore cut short leaves it as
    // installed, and the copy beside it goes when the restore runs again.
    const std::wstring copy = path + L".fernwick-restoring";
    if (!CopyFileToDisk(backup, copy))
        return false;
    if (MoveOver(copy, path))
        return true;
    DWORD error = GetLastError();
    bool changed = false;
    RemoveFile(copy, changed);
    SetLastError(error);
    return false;
}

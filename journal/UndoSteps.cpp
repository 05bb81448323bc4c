#include "journal/UndoSteps.h"

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

} // namespace

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
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

bool RestoreFile(const std::wstring& backup, const std::wstring& path, bool& changed)
{
    changed = false;
    if (GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES)
        return IsMissing(GetLastError());
    // Across volumes the backup goes only once the copy is whole.
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    changed = MoveFileExW(backup.c_str(), path.c_str(), flags) ||
              (GetLastError() == ERROR_ACCESS_DENIED && ClearReadOnly(path) &&
               MoveFileExW(backup.c_str(), path.c_str(), flags));
    return changed;
}

#include "win/FolderTree.h"

#include <windows.h>

#include "win/FileSystem.h"
#include "win/Unicode.h"

namespace {

bool RemoveTree(const std::wstring& path)
{
    bool removed = true;
    DWORD firstError = ERROR_SUCCESS;
    auto failed = [&]() {
        if (removed)
            firstError = GetLastError();
        removed = false;
    };
    FindEntries(path + L"\\*", [&](const WIN32_FIND_DATAW& entry) {
        const std::wstring full = path + L"\\" + entry.cFileName;
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
            !SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL))
            failed();
        bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        bool gone = !folder ? DeleteFileW(full.c_str()) != FALSE
                    : link  ? RemoveDirectoryW(full.c_str()) != FALSE
                            : RemoveTree(full);
        if (!gone)
            failed();
        return true;
    });
    if (!RemoveDirectoryW(path.c_str()))
        failed();
    SetLastError(firstError);
    return removed;
}

} // namespace

bool RemoveFolderTree(const std::string& path)
{
    return RemoveTree(Wide(path));
}

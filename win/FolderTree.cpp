#include "win/FolderTree.h"

#include <windows.h>

#include "win/Handle.h"
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
    WIN32_FIND_DATAW entry;
    ScopedFind find(FindFirstFileW((path + L"\\*").c_str(), &entry));
    if (find.IsValid()) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = path + L"\\" + name;
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
        } while (FindNextFileW(find.Get(), &entry));
    }
    find.Reset();
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

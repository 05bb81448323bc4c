#include "win/FileSystem.h"

#include <windows.h>

#include <cwchar>

#include "win/Handle.h"
#include "win/Unicode.h"

bool SystemPath(const std::string& path, std::wstring& wide)
{
    wide = Wide(path);
    if (wide.size() < MAX_PATH)
        return true;
    wide.clear();
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

bool PathExists(const std::string& path)
{
    std::wstring wide;
    return SystemPath(path, wide) && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::string& path)
{
    std::wstring wide;
    if (!SystemPath(path, wide))
        return false;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    std::wstring wide;
    if (!SystemPath(path, wide))
        return false;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFullPath(const std::string& path)
{
    return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
}

std::vector<std::string> SubFolders(const std::string& folder)
{
    std::vector<std::string> names;
    std::wstring pattern;
    if (!SystemPath(folder + "\\*.*", pattern))
        return names;
    WIN32_FIND_DATAW entry;
    ScopedFind find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find.IsValid())
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0)
            continue;
        names.push_back(Utf8(entry.cFileName));
    } while (FindNextFileW(find.Get(), &entry));
    return names;
}

std::string ParentFolder(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string LastPart(const std::string& path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

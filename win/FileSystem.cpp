#include "win/FileSystem.h"

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

Listing FindEntries(const std::wstring& pattern, const std::function<bool(const WIN32_FIND_DATAW& entry)>& each)
{
    WIN32_FIND_DATAW entry;
    ScopedFind find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find.IsValid())
        return Listing::Failed;
    do {
        if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0)
            continue;
        if (!each(entry))
            return Listing::Stopped;
    } while (FindNextFileW(find.Get(), &entry));
    // Kept past the closing of the search.
    const DWORD error = GetLastError();
    find.Reset();
    SetLastError(error);
    return error == ERROR_NO_MORE_FILES ? Listing::Whole : Listing::Failed;
}

std::vector<std::string> SubFolders(const std::string& folder)
{
    std::vector<std::string> names;
    std::wstring pattern;
    if (!SystemPath(folder + "\\*.*", pattern))
        return names;
    FindEntries(pattern, [&names](const WIN32_FIND_DATAW& entry) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            names.push_back(Utf8(entry.cFileName));
        return true;
    });
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

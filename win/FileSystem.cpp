#include "win/FileSystem.h"

#include <windows.h>

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

std::string ParentFolder(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string LastPart(const std::string& path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

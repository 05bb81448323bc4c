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

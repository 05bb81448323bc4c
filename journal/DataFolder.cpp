#include "journal/DataFolder.h"

#include <windows.h>

#include "win/ProtectedFolder.h"
#include "win/Unicode.h"

namespace {

std::string Parent(const std::string& folder)
{
    size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::string DataFolderPath(const std::string& commonFiles, const std::string& windowsFolder,
                           const std::string& kitId)
{
    return (commonFiles.empty() ? windowsFolder : commonFiles) + "\\Fernwick\\" + kitId;
}

bool CreateDataFolder(const std::string& folder)
{
    // Another run may make either folder in the meantime: one that exists
    // when it is made counts as found.
    const std::string parent = Parent(folder);
    if (!Exists(parent) && !CreateProtectedFolder(parent, true) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    if (!Exists(folder) && !CreateDirectoryW(Wide(folder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    if (!IsDataFolderTrusted(folder)) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return false;
    }
    return true;
}

bool IsDataFolderTrusted(const std::string& folder)
{
    return IsProtected(Parent(folder)) && IsProtected(folder);
}

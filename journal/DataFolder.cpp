#include "journal/DataFolder.h"

#include <windows.h>

#include "win/FileSystem.h"
#include "win/ProtectedFolder.h"
#include "win/Unicode.h"

std::string DataFolderPath(const std::string& commonFiles, const std::string& windowsFolder,
                           const std::string& kitId)
{
    return (commonFiles.empty() ? windowsFolder : commonFiles) + "\\Fernwick\\" + kitId;
}

bool CreateDataFolder(const std::string& folder)
{
    // Another run may make either folder in the meantime: one that exists
    // when it is made counts as found.
    const std::string parent = ParentFolder(folder);
    if (!PathExists(parent) && !CreateProtectedFolder(parent, true) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    if (!PathExists(folder) && !CreateDirectoryW(Wide(folder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    if (!IsDataFolderTrusted(folder)) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return false;
    }
    return true;
}

bool IsDataFolderTrusted(const std::string& folder)
{
    return IsProtected(ParentFolder(folder)) && IsProtected(folder);
}

#include "journal/DataFolder.h"

#include <windows.h>

#include "journal/KitId.h"
#include "win/FileSystem.h"
#include "win/Handle.h"
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

std::vector<std::string> KitDataFolders(const std::string& parent)
{
    std::vector<std::string> folders;
    FindEntries(Wide(parent + "\\*"), [&](const WIN32_FIND_DATAW& found) {
        const std::string name = Utf8(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && KitId(name) == name)
            folders.push_back(parent + "\\" + name);
        return true;
    });
    return folders;
}

std::string KeptOriginalsFolder(const std::string& dataFolder)
{
    // Parentheses are no part of any kit id.
    return ParentFolder(dataFolder) + "\\(Kept originals)\\" + LastPart(dataFolder);
}

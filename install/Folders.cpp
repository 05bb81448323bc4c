// Folder creation and the report of a failed system call.
#include "install/FileInstaller.h"
#include "log/LogText.h"
#include "res/resource.h"
#include "win/FileSystem.h"

bool FileInstaller::CreateFolder(std::string path)
{
    const size_t slash = path.size() > 1 ? path.find_last_of('\\', path.size() - 1) : std::string::npos;
    if (slash == std::string::npos || slash == 0)
        return PathExists(path);
    // Made first and asked after: a look for a name that is not there costs
    // as much as making it (the file system searches the folder for it in
    // any case), and most folders made have their parent already.
    std::wstring wide;
    if (SystemPath(path, wide) && CreateDirectoryW(wide.c_str(), nullptr)) {
        m_log("Created folder " + path);
        return true;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS || PathExists(path))
        return true;
    if (!CreateFolder(path.substr(0, slash)))
        return false;
    if (!SystemPath(path, wide) || !CreateDirectoryW(wide.c_str(), nullptr)) {
        ReportSystemError(IDS_CREATE_FOLDER_FAILED, path);
        return false;
    }
    m_log("Created folder " + path);
    return true;
}

void FileInstaller::ReportSystemError(UINT prefixId, std::string subject)
{
    // The system's reason too in the wizard's language, where the system has it.
    const MessageText message = SystemErrorMessage(prefixId, subject, GetLastError());
    m_log(message.logged);
    m_host.ShowText(message, MB_ICONEXCLAMATION);
}

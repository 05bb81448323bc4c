// Folder creation and the report of a failed system call.
#include "app/InstallDlg.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/MessageBox.h"
#include "win/Strings.h"
#include "win/SystemError.h"

bool CInstallDlg::CreateFolder(std::string path)
{
    const size_t slash = path.size() > 1 ? path.find_last_of('\\', path.size() - 1) : std::string::npos;
    if (slash == std::string::npos || slash == 0)
        return PathExists(path);
    // Made first and asked after: a look for a name that is not there costs
    // as much as making it (the file system searches the folder for it in
    // any case), and most folders made have their parent already.
    std::wstring wide;
    if (SystemPath(path, wide) && CreateDirectoryW(wide.c_str(), nullptr)) {
        WriteLog("Created folder " + path);
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
    WriteLog("Created folder " + path);
    return true;
}

void CInstallDlg::ReportSystemError(UINT prefixId, std::string subject)
{
    // The system's reason too in the wizard's language, where the system has it.
    const DWORD error = GetLastError();
    MessageText message;
    message.shown = Format(LoadResString(IDS_SYSTEM_ERROR).c_str(), LoadResString(prefixId).c_str(), subject.c_str(),
                           SystemErrorText(error, UiLanguage()).c_str());
    message.logged = Format(LoadLogString(IDS_SYSTEM_ERROR).c_str(), LoadLogString(prefixId).c_str(),
                            subject.c_str(), SystemErrorText(error).c_str());
    WriteLog(message.logged);
    // While the box waits, the bar shows every file stepped past, the failed one too.
    m_progress.SetQuiet(false);
    ShowMessage(message, MB_ICONEXCLAMATION | MB_OK);
}

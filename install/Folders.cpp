// Folder creation and the report of a failed system call.
#include "app/InstallDlg.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/MessageBox.h"
#include "win/Strings.h"
#include "win/SystemError.h"

bool CInstallDlg::CreateFolder(std::string path)
{
    if (PathExists(path))
        return true;
    size_t n = path.size();
    if (n <= 1)
        return false;
    size_t slash = path.find_last_of('\\', n - 1);
    if (slash == std::string::npos || slash == 0)
        return false;
    if (!CreateFolder(path.substr(0, slash)))
        return false;
    std::wstring wide;
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

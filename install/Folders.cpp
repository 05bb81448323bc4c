// Folder creation and the report of a failed system call.
#include "app/InstallDlg.h"
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
        ReportSystemError("Failed to create folder:", path);
        return false;
    }
    WriteLog("Created folder " + path);
    return true;
}

void CInstallDlg::ReportSystemError(std::string prefix, std::string subject)
{
    std::string reason = SystemErrorText(GetLastError());
    std::string message = Format("%s: %s\nReason: %s", prefix.c_str(), subject.c_str(), reason.c_str());
    WriteLog(message);
    // While the box waits, the bar shows every file stepped past, the failed one too.
    m_progress.SetQuiet(false);
    ShowMessage(message, MB_ICONEXCLAMATION | MB_OK);
}

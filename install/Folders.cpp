// Folder creation and the report of a failed system call.
#include "app/InstallDlg.h"
#include "win/FileSystem.h"
#include "win/MessageBox.h"
#include "win/Strings.h"
#include "win/Unicode.h"

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
    DWORD code = GetLastError();
    // The system's own text, with its markers left alone: no inserts are given.
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (wchar_t*)&text,
                                  0, nullptr);
    std::string systemText = length > 0 && text ? Utf8(text, length) : "Unknown error";
    LocalFree(text);

    std::string reason = Format("(%lu) %s", code, systemText.c_str());
    std::string message = Format("%s: %s\nReason: %s", prefix.c_str(), subject.c_str(), reason.c_str());
    WriteLog(message);
    // While the box waits, the bar shows every file stepped past, the failed one too.
    m_progress.SetQuiet(false);
    ShowMessage(message, MB_ICONEXCLAMATION | MB_OK);
}

// The installation log: a plain-text file in the temporary-files folder, in
// the system's ANSI code page, as it always was.
#include <ctime>

#include "app/InstallDlg.h"
#include "frontpage/Registry.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

// The date and time of the log's header and closing line, e.g. 06-Dec-2001 17:05:09.
void Now(std::string& date, std::string& time)
{
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[64];
    date = std::strftime(text, sizeof text, "%d-%b-%Y", local) ? text : "";
    time = std::strftime(text, sizeof text, "%H:%M:%S", local) ? text : "";
}

const char* OsName(int platform)
{
    switch (platform) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return "Windows 95/98";
    case VER_PLATFORM_WIN32_NT:
        return "Windows NT/2000";
    }
    return "Unsupported";
}

// The text of a query that fills a 260-character buffer, or empty when it fails.
std::string BufferText(const wchar_t* buffer, DWORD length)
{
    return length > 0 && length < MAX_PATH ? Utf8(buffer, length) : std::string();
}

} // namespace

void CInstallDlg::OpenLog()
{
    // The file the command line names (a full path), else fernwick.log in the temporary folder.
    m_logPath = m_run.Line().logFile;
    if (m_logPath.empty()) {
        if (!ReadRegistryString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, m_logPath)) {
            wchar_t folder[MAX_PATH];
            m_logPath = BufferText(folder, GetTempPathW(MAX_PATH, folder));
            if (!m_logPath.empty() && m_logPath.back() == '\\')
                m_logPath.pop_back();
        }
        if (m_logPath.empty()) {
            m_logging = false;
            return;
        }
        m_logPath += "\\fernwick.log";
    }

    // Others may read the log while the wizard writes it, but not change it.
    std::wstring path;
    m_logFile.Reset(SystemPath(m_logPath, path) ? CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                                                : INVALID_HANDLE_VALUE);
    if (!m_logFile.IsValid()) {
        m_logging = false;
        return;
    }
    m_logFailed = false;
    m_lastLogText.clear();

    std::string date, time;
    Now(date, time);
    WriteLog(Format("%s\n%s\nLog file opened on %s at %s", LoadResString(IDS_VERSION).c_str(),
                    LoadResString(IDS_VENDOR).c_str(), date.c_str(), time.c_str()));
    WriteLog(Format("Operating system: %s V%d.%d %s", OsName(m_osPlatform), m_osMajorVersion,
                    m_osMinorVersion, m_osServicePack.c_str()));
    WriteLog("User name: " + m_userName);
    WriteLog("Windows folder: " + m_windowsFolder);
    if (!m_run.Line().arguments.empty())
        WriteLog("Command line: " + m_run.Line().arguments);
}

void CInstallDlg::WriteLog(std::string text)
{
    if (!m_logging || m_logFailed)
        return;
    // A failed system call is logged and then shown; a failure's box is
    // followed by the final message saying the same: where the boxes go to
    // the log, each says it once.
    if (m_run.IsUnattended()) {
        if (text == m_lastLogText)
            return;
        m_lastLogText = text;
    }
    // One write per call, line feeds as CR LF, so the file on disk is complete
    // after every line even if the process dies.
    std::string line;
    line.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            line += '\r';
        line += text[i];
    }
    line += "\r\n";
    line = AnsiCodePage(line);
    LARGE_INTEGER end = {};
    SetFilePointerEx(m_logFile.Get(), end, &end, FILE_CURRENT);
    DWORD written = 0;
    if (WriteFile(m_logFile.Get(), line.data(), (DWORD)line.size(), &written, nullptr) && written == line.size())
        return;
    // Part of a line, or a later line after a gap, would make the log lie
    // about what happened: it ends with the last line written whole.
    SetFilePointerEx(m_logFile.Get(), end, nullptr, FILE_BEGIN);
    SetEndOfFile(m_logFile.Get());
    m_logFailed = true;
}

void CInstallDlg::CloseLog()
{
    if (!m_logging)
        return;
    std::string date, time;
    Now(date, time);
    WriteLog(Format("Log file closed on %s at %s\n", date.c_str(), time.c_str()));
    m_logFile.Reset();
    m_logging = false;
}

void CInstallDlg::CollectSystemInfo()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) {
        ReportSystemError("Failed to get system information", "");
    } else {
        m_osPlatform = (int)version.dwPlatformId;
        m_osMajorVersion = (int)version.dwMajorVersion;
        m_osMinorVersion = (int)version.dwMinorVersion;
        m_osServicePack = Utf8(version.szCSDVersion, wcsnlen(version.szCSDVersion, 128));
    }

    wchar_t buffer[MAX_PATH];
    DWORD size = MAX_PATH;
    m_userName = GetUserNameW(buffer, &size) ? Utf8(buffer, wcsnlen(buffer, MAX_PATH)) : std::string();
    m_windowsFolder = BufferText(buffer, GetWindowsDirectoryW(buffer, MAX_PATH));
}

// The installation log: a plain-text file in the temporary-files folder, in
// the system's ANSI code page, as it always was.
#include "app/InstallDlg.h"
#include "frontpage/Registry.h"
#include "log/LogText.h"
#include "res/resource.h"
#include "win/FileSystem.h"

void CInstallDlg::OpenLog()
{
    // The file the command line names (a full path), else fernwick.log in the temporary folder.
    m_logPath = m_run.Line().logFile;
    if (m_logPath.empty()) {
        if (!ReadRegistryString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, m_logPath))
            m_logPath = DefaultLogFolder();
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

    LogSystem system;
    system.platform = m_osPlatform;
    system.majorVersion = m_osMajorVersion;
    system.minorVersion = m_osMinorVersion;
    system.servicePack = m_osServicePack;
    system.userName = m_userName;
    system.windowsFolder = m_windowsFolder;
    WriteLog(LogHeader(system, m_run.Line().arguments));
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
    // One write per call, so the file on disk is complete after every line
    // even if the process dies. Part of a line, or a later line after a gap,
    // would make the log lie about what happened: it ends with the last line
    // written whole.
    if (!AppendWhole(m_logFile.Get(), LogLineBytes(text)))
        m_logFailed = true;
}

void CInstallDlg::CloseLog()
{
    if (!m_logging)
        return;
    WriteLog(LogClosing());
    m_logFile.Reset();
    m_logging = false;
}

void CInstallDlg::CollectSystemInfo()
{
    LogSystem system;
    if (!ReadLogSystem(system))
        ReportSystemError(IDS_SYSTEM_INFO_FAILED, "");
    m_osPlatform = system.platform;
    m_osMajorVersion = system.majorVersion;
    m_osMinorVersion = system.minorVersion;
    m_osServicePack = system.servicePack;
    m_userName = system.userName;
    m_windowsFolder = system.windowsFolder;
}

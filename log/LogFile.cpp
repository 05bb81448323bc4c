#include "log/LogFile.h"

#include "win/FileSystem.h"

LogFile::~LogFile()
{
    CloseLog();
}

bool LogFile::OpenLog(const std::string& path, const LogSystem& system, const std::string& arguments)
{
    m_path = path;
    m_failed = false;
    m_last.clear();
    std::wstring systemPath;
    m_file.Reset(SystemPath(path, systemPath) ? CreateFileW(systemPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                                              : INVALID_HANDLE_VALUE);
    if (!m_file.IsValid())
        return false;
    WriteLog(LogHeader(system, arguments));
    return true;
}

void LogFile::WriteLog(const std::string& text)
{
    if (!m_file.IsValid() || m_failed)
        return;
    if (m_skipRepeats) {
        if (text == m_last)
            return;
        m_last = text;
    }
    // One write per call, so the file on disk is complete after every line
    // even if the process dies. Part of a line, or a later line after a gap,
    // would make the log lie about what happened: it ends with the last line
    // written whole.
    if (!AppendWhole(m_file.Get(), LogLineBytes(text)))
        m_failed = true;
}

void LogFile::CloseLog()
{
    if (!m_file.IsValid())
        return;
    WriteLog(LogClosing());
    m_file.Reset();
}

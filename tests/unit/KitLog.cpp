#include "KitLog.h"

KitLog::KitLog()
{
    m_file.OpenLog(logFolder / "fernwick.log", LogSystem(), "");
}

LogLine KitLog::Line()
{
    return [this](const std::string& line) { m_file.WriteLog(line); };
}

std::string KitLog::Log() const
{
    std::string log = ReadFileBytes(m_file.Path());
    size_t start = 0;
    for (int line = 0; line < 6 && start != std::string::npos; ++line) {
        start = log.find("\r\n", start);
        if (start != std::string::npos)
            start += 2;
    }
    return start == std::string::npos ? "(no log header)" : log.substr(start);
}

bool KitLog::Check(const std::string& versionRoot)
{
    kit = CheckKit(versionRoot, Line());
    if (kit)
        status = KitSummary(*kit, Line());
    return kit.has_value();
}

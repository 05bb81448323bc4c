// A log for kit tests, in a scratch folder, written as the wizard writes its
// own; and the kit check of the wizard's first "Next >" into it.
#pragma once
#include <optional>
#include <string>

#include "Support.h"
#include "kit/KitCheck.h"
#include "log/LogFile.h"

class KitLog {
public:
    KitLog();

    LogLine Line();
    // The log lines written after the six header lines.
    std::string Log() const;

    // Checks the kit for version root `versionRoot` as the wizard does: true
    // when the kit is taken, `kit` then holding its items and `status` its summary.
    bool Check(const std::string& versionRoot);

    TempFolder logFolder;
    std::optional<KitContents> kit;
    std::string status;

private:
    LogFile m_file;
};

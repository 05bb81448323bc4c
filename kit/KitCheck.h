// The kit check at the first "Next >": the scan of both roots, the summary and its log lines.
#pragma once
#include <optional>
#include <string>

#include "kit/KitContents.h"
#include "win/LogLine.h"

// The items of the kit's root for the version, `versionRoot`, and of its
// common root. Empty after a root could not be read, which the user has been
// told of.
std::optional<KitContents> CheckKit(const std::string& versionRoot, const LogLine& log);

// What the wizard shows of `kit` before the copy; logs each item.
std::string KitSummary(const KitContents& kit, const LogLine& log);

// Removing a kit: what "fernwick.exe /UNINSTALL", the command its entry in
// Programs and Features runs, does (README: "Removing a kit").
#pragma once
#include <functional>
#include <string>

#include "cmdline/CommandLine.h"
#include "uninstall/KitRemoval.h"

// The exit codes of a removal.
enum RemovalExitCode {
    kExitRemoved = 0,
    kExitRemovalRefused = 1, // not started from a kit's data folder
    kExitRemovalDeclined = 2,
    kExitRemovalFailed = 4,
};

// Shows `text` and the progress of `work` in a window while the work runs;
// returns what the work returned.
using RemovalWindow =
    std::function<bool(const std::string& text, const std::function<bool(const RemovalProgress&)>& work)>;

// Removes the kit whose data folder holds this program: asks first (unless
// the run is unattended), takes back its installations with the progress in
// `window` (none in /VERYSILENT runs), then tells the outcome and which
// changed files were kept. Writes fernwick-uninstall.log, always. Returns one
// of RemovalExitCode.
int RunUninstall(const CommandLine& line, const RemovalWindow& window);

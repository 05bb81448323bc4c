// Removing a kit: what "fernwick.exe /UNINSTALL", the command its entry in
// Programs and Features runs, does (README: "Removing a kit").
#pragma once
#include <functional>
#include <string>

#include "cmdline/CommandLine.h"
#include "journal/TakeBack.h"
#include "uninstall/KitRemoval.h"
#include "win/MessageBox.h"

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

// What a box tells of the files a walk back left as they are: the changed
// ones kept (the first few named, all counted), where what they replaced
// went (the kept originals' folder beside `dataFolder`), and the ones whose
// original could not be put back. Empty when there are none.
MessageText KeptText(const KeptFiles& kept, const std::string& dataFolder);

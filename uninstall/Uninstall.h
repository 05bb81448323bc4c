// Removing a kit: what "fernwick.exe /UNINSTALL", the command its entry in
// Programs and Features runs, does (README: "Removing a kit").
#pragma once
#include <string>

#include "journal/TakeBack.h"
#include "run/InstallRun.h"
#include "win/MessageBox.h"

// The exit codes of a removal.
enum RemovalExitCode {
    kExitRemoved = 0,
    kExitRemovalRefused = 1, // not started from a kit's data folder
    kExitRemovalDeclined = 2,
    kExitRemovalFailed = 4,
};

// Removes the kit whose data folder holds this program: asks first (unless
// the run is unattended), takes back its installations with the progress in
// the wizard's window (none in /VERYSILENT runs), then tells the outcome and
// which changed files were kept. Writes fernwick-uninstall.log, always.
// Returns one of RemovalExitCode.
int RunUninstall(const InstallRun& run);

// What a box tells of the files a walk back left as they are: the changed
// ones kept (the first few named, all counted), where what they replaced
// went (the kept originals' folder beside `dataFolder`), and the ones whose
// original could not be put back. Empty when there are none.
MessageText KeptText(const KeptFiles& kept, const std::string& dataFolder);

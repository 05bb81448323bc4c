// Packing the kit of the current folder into one setup program, as
// "/PACK [/OUT=<file>]" asks (README: "One-file kits").
#pragma once
#include <string>

#include "run/InstallRun.h"

// Where a setup of the kit `kitFolder` goes unless /OUT says otherwise: the
// kit folder's parent (a drive root for itself), named "<kit id>-setup.exe".
std::string DefaultSetupPath(const std::string& kitFolder);

// Packs this program with the kit of the current folder, in the wizard's
// window unless the run has none. Returns kExitPacked or kExitPackFailed.
int RunPacking(const InstallRun& run);

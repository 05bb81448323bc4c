// Whether a program is running, told by the name of its program file.
#pragma once
#include <string>

// True when a process runs whose program file is named `name` (a file name
// without folder, in any letter case). False when none does, or the system
// cannot list its processes.
bool IsProgramRunning(const std::string& name);

#pragma once
#include <windows.h>

// The application: it does what its command line asks, which is to run the
// wizard unless it asks for the help or is at fault, and ends with an exit code.
class CInstallApp {
public:
    // The process's exit code (ExitCode in run/InstallRun.h).
    int Run();
};

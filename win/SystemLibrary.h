// Libraries taken from the system folder only, whatever lies beside the
// program or in its current folder.
#pragma once
#include <windows.h>

// From now on, libraries that this process or the system's own libraries load
// are looked for in the system folder only, where Windows offers the means
// (SetDefaultDllDirectories); the current folder is never searched
// (SetDllDirectory). Call it before anything else.
void RestrictLibrarySearch();


// Libraries taken from the system folder only, whatever lies beside the
// program or in its current folder, and functions looked up in them by name.
#pragma once
#include <windows.h>

// From now on, libraries that this process or the system's own libraries load
// are looked for in the system folder only, where Windows offers the means
// (SetDefaultDllDirectories); the current folder is never searched
// (SetDllDirectory). Call it before anything else.
void RestrictLibrarySearch();

// The library `name` of the system folder, loaded by its full path, so that
// no file of that name elsewhere is ever taken; null when the system folder
// has no such file (a library of a later Windows) or it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// The function `name` of the loaded library `module`, as a pointer of type Fn;
// null when the library is not loaded or lacks it (an older Windows).
template <class Fn>
Fn LibraryFunction(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

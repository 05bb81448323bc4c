#include "win/SystemLibrary.h"

namespace {

// Windows XP lacks the first and early XP the second: both are looked up.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

} // namespace

void RestrictLibrarySearch()
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = LibraryFunction<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
    if (setDefault)
        setDefault(kSearchSystem32);
    auto setDirectory = LibraryFunction<SetDllDirectoryFn>(kernel, "SetDllDirectoryW");
    if (setDirectory)
        setDirectory(L"");
}


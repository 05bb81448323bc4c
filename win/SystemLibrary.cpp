#include "win/SystemLibrary.h"

#include <string>

#include "win/Unicode.h"

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

HMODULE LoadSystemLibrary(const char* name)
{
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::wstring path = std::wstring(folder, length) + L"\\" + Wide(name);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    // The libraries it needs in turn are looked for beside it, in the system folder.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

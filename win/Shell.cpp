#include "win/Shell.h"

namespace {

using ShellExecuteProc = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// ShellExecuteA of the system's shell32.dll, never of a namesake beside the kit.
ShellExecuteProc LoadShellExecute()
{
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    HMODULE shell = LoadLibraryA((std::string(folder, length) + "\\shell32.dll").c_str());
    if (!shell)
        return nullptr;
    return reinterpret_cast<ShellExecuteProc>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
}

} // namespace

bool ShellOpen(HWND owner, const std::string& program, const std::string& parameters)
{
    ShellExecuteProc execute = LoadShellExecute();
    if (!execute)
        return false;
    // Values above 32 mean success.
    return (INT_PTR)execute(owner, "open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL) > 32;
}

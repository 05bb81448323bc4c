// Stands in for a program lying beside the wizard or in the kit under a name
// the system uses (notepad.exe, cmd.exe, ...), which the wizard must never
// start. When run, it leaves a mark beside itself, its own name with ".ran"
// appended, and ends; started with the argument "stay", it then keeps
// running until it is ended, as a program the wizard looks for would.
#include <windows.h>

#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    char path[MAX_PATH];
    std::string mark = std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH)) + ".ran";
    HANDLE file = CreateFileA(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (std::strcmp(commandLine, "stay") == 0)
        Sleep(INFINITE);
    return 0;
}

// Stands in for a library lying beside the wizard or in the kit under the
// name of a system library, which the wizard must never load. When loaded, it
// leaves a mark beside itself, its own name with ".loaded" appended.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH];
    std::string mark = std::string(path, GetModuleFileNameA(self, path, MAX_PATH)) + ".loaded";
    HANDLE file = CreateFileA(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}

// Stands in for a program named notepad.exe lying beside the wizard, which the
// wizard must never start. When run, it leaves a mark beside itself and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    std::string mark = self.substr(0, self.find_last_of('\\')) + "\\planted-notepad-ran.txt";
    HANDLE file = CreateFileA(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return 0;
}

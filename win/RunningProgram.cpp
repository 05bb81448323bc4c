#include "win/RunningProgram.h"

#include <windows.h>
#include <tlhelp32.h>

#include "win/Handle.h"
#include "win/Unicode.h"

namespace {

std::wstring Lower(std::wstring text)
{
    if (!text.empty())
        CharLowerBuffW(&text[0], (DWORD)text.size());
    return text;
}

} // namespace

bool IsProgramRunning(const std::string& name)
{
    // A process list of the whole system, in kernel32 since Windows 2000.
    ScopedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return false;
    const std::wstring wanted = Lower(Wide(name));
    PROCESSENTRY32W process = {};
    process.dwSize = sizeof process;
    for (BOOL found = Process32FirstW(snapshot.Get(), &process); found;
         found = Process32NextW(snapshot.Get(), &process)) {
        // Some Windows versions give the full path: only its last part counts.
        std::wstring file = process.szExeFile;
        size_t slash = file.find_last_of(L"\\/");
        if (slash != std::wstring::npos)
            file.erase(0, slash + 1);
        if (Lower(file) == wanted)
            return true;
    }
    return false;
}

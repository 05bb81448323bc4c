// Linked into a test build of the program (fernwick_crashpoint.exe), never
// into fernwick.exe: it counts every change the program makes to the disk or
// the registry, and stops the process dead at the chosen one, before it is
// made, as a crash or a power cut would (TerminateProcess: no clean-up, no
// destructor, nothing flushed that was not).
//
//   FERNWICK_CRASH_AT=<n>     stop at the n-th change (none, or 0: never)
//   FERNWICK_CHANGES=<file>   on a normal exit, write how many changes the run
//                             made to <file>
//
// The program is linked statically: every call it makes to kernel32 and
// advapi32 goes through its own import address table, which this object,
// at start, points at counting wrappers of the calls that change something;
// a function it looks up by name (GetProcAddress) that changes something gets
// a counting wrapper too. No code of the program is changed for it.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The exit code of a run stopped at its crash point.
const UINT kCrashed = 77;

volatile LONG g_changes = 0;
LONG g_crashAt = 0;

decltype(&::CopyFileW) g_copyFile;
decltype(&::CreateDirectoryW) g_createDirectory;
decltype(&::CreateFileW) g_createFile;
decltype(&::DeleteFileW) g_deleteFile;
decltype(&::MoveFileExW) g_moveFileEx;
decltype(&::RemoveDirectoryW) g_removeDirectory;
decltype(&::SetEndOfFile) g_setEndOfFile;
decltype(&::SetFileAttributesW) g_setFileAttributes;
decltype(&::SetFileTime) g_setFileTime;
decltype(&::WriteFile) g_writeFile;
decltype(&::RegCreateKeyExW) g_regCreateKeyEx;
decltype(&::RegDeleteKeyW) g_regDeleteKey;
decltype(&::RegSetValueExW) g_regSetValueEx;
decltype(&::GetProcAddress) g_getProcAddress;
using SetInformationFile = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, int);
SetInformationFile g_setInformationFile;

// One more change is about to be made: the chosen one is not.
void Change()
{
    if (InterlockedIncrement(&g_changes) == g_crashAt)
        TerminateProcess(GetCurrentProcess(), kCrashed);
}

BOOL WINAPI CopyFileCounted(LPCWSTR from, LPCWSTR to, BOOL failIfExists)
{
    Change();
    return g_copyFile(from, to, failIfExists);
}

BOOL WINAPI CreateDirectoryCounted(LPCWSTR path, LPSECURITY_ATTRIBUTES security)
{
    Change();
    return g_createDirectory(path, security);
}

HANDLE WINAPI CreateFileCounted(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model)
{
    // Opening an existing file changes nothing; making or emptying one does.
    if (disposition != OPEN_EXISTING)
        Change();
    return g_createFile(path, access, share, security, disposition, flags, model);
}

BOOL WINAPI DeleteFileCounted(LPCWSTR path)
{
    Change();
    return g_deleteFile(path);
}

BOOL WINAPI MoveFileExCounted(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    Change();
    return g_moveFileEx(from, to, flags);
}

BOOL WINAPI RemoveDirectoryCounted(LPCWSTR path)
{
    Change();
    return g_removeDirectory(path);
}

BOOL WINAPI SetEndOfFileCounted(HANDLE file)
{
    Change();
    return g_setEndOfFile(file);
}

BOOL WINAPI SetFileAttributesCounted(LPCWSTR path, DWORD attributes)
{
    Change();
    return g_setFileAttributes(path, attributes);
}

BOOL WINAPI SetFileTimeCounted(HANDLE file, const FILETIME* created, const FILETIME* accessed, const FILETIME* written)
{
    Change();
    return g_setFileTime(file, created, accessed, written);
}

BOOL WINAPI WriteFileCounted(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    Change();
    return g_writeFile(file, data, size, written, overlapped);
}

LSTATUS WINAPI RegCreateKeyExCounted(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                                     REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                     LPDWORD disposition)
{
    Change();
    return g_regCreateKeyEx(key, subKey, reserved, className, options, access, security, result, disposition);
}

LSTATUS WINAPI RegDeleteKeyCounted(HKEY key, LPCWSTR subKey)
{
    Change();
    return g_regDeleteKey(key, subKey);
}

LSTATUS WINAPI RegSetValueExCounted(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    Change();
    return g_regSetValueEx(key, name, reserved, type, data, size);
}

// A rename through a file's handle: the program finds the function by name.
LONG WINAPI SetInformationFileCounted(HANDLE file, void* status, void* information, ULONG size, int kind)
{
    Change();
    return g_setInformationFile(file, status, information, size, kind);
}

FARPROC WINAPI GetProcAddressCounted(HMODULE module, LPCSTR name)
{
    const FARPROC function = g_getProcAddress(module, name);
    if (!HIWORD(name) || std::strcmp(name, "NtSetInformationFile") != 0 || !function)
        return function;
    g_setInformationFile = (SetInformationFile)(void*)function;
    return (FARPROC)(void*)&SetInformationFileCounted;
}

struct Hook {
    const char* name;
    void* counted;
    void** system;
};

const Hook kHooks[] = {
    {"CopyFileW", (void*)&CopyFileCounted, (void**)&g_copyFile},
    {"CreateDirectoryW", (void*)&CreateDirectoryCounted, (void**)&g_createDirectory},
    {"CreateFileW", (void*)&CreateFileCounted, (void**)&g_createFile},
    {"DeleteFileW", (void*)&DeleteFileCounted, (void**)&g_deleteFile},
    {"MoveFileExW", (void*)&MoveFileExCounted, (void**)&g_moveFileEx},
    {"RemoveDirectoryW", (void*)&RemoveDirectoryCounted, (void**)&g_removeDirectory},
    {"SetEndOfFile", (void*)&SetEndOfFileCounted, (void**)&g_setEndOfFile},
    {"SetFileAttributesW", (void*)&SetFileAttributesCounted, (void**)&g_setFileAttributes},
    {"SetFileTime", (void*)&SetFileTimeCounted, (void**)&g_setFileTime},
    {"WriteFile", (void*)&WriteFileCounted, (void**)&g_writeFile},
    {"RegCreateKeyExW", (void*)&RegCreateKeyExCounted, (void**)&g_regCreateKeyEx},
    {"RegDeleteKeyW", (void*)&RegDeleteKeyCounted, (void**)&g_regDeleteKey},
    {"RegSetValueExW", (void*)&RegSetValueExCounted, (void**)&g_regSetValueEx},
    {"GetProcAddress", (void*)&GetProcAddressCounted, (void**)&g_getProcAddress},
};

// Points each import slot of this executable named in kHooks at its counted
// wrapper, keeping the system's function for the wrapper to call.
void PatchImports()
{
    BYTE* base = (BYTE*)GetModuleHandleW(nullptr);
    auto* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports.VirtualAddress); dll->Name; ++dll) {
        auto* names = (IMAGE_THUNK_DATA*)(base + dll->OriginalFirstThunk);
        auto* slots = (IMAGE_THUNK_DATA*)(base + dll->FirstThunk);
        for (; dll->OriginalFirstThunk && names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const char* name = (const char*)((IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData))->Name;
            for (const Hook& hook : kHooks) {
                if (std::strcmp(name, hook.name) != 0)
                    continue;
                DWORD protection = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
                *hook.system = (void*)slots->u1.Function;
                slots->u1.Function = (DWORD_PTR)hook.counted;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            }
        }
    }
}

std::wstring Variable(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = L"";
    DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

// Through the system's own functions: the count is the program's changes alone.
void WriteCount()
{
    const std::wstring path = Variable(L"FERNWICK_CHANGES");
    if (path.empty() || !g_createFile || !g_writeFile)
        return;
    HANDLE file = g_createFile(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string count = std::to_string(g_changes);
    DWORD written = 0;
    g_writeFile(file, count.data(), (DWORD)count.size(), &written, nullptr);
    CloseHandle(file);
}

struct CrashPoints {
    CrashPoints()
    {
        g_crashAt = (LONG)std::wcstol(Variable(L"FERNWICK_CRASH_AT").c_str(), nullptr, 10);
        PatchImports();
        std::atexit(WriteCount);
    }
} g_crashPoints;

} // namespace

#include "Measure.h"

#include <psapi.h>

#include "Files.h"
#include "Wait.h"
#include "Window.h"

namespace bench {

namespace {

// Long enough for a program's first start after the build, under load.
const DWORD kStartTimeoutMs = 60000;
// Fine enough to tell start-up times of a tenth of a second apart.
const DWORD kStartPollMs = 1;
// A large kit takes xcopy minutes.
const DWORD kCopyTimeoutMs = 30 * 60 * 1000;

const char kDialogClass[] = "#32770";

struct DialogSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindShownDialog(HWND hwnd, LPARAM param)
{
    auto* search = (DialogSearch*)param;
    DWORD id = 0;
    GetWindowThreadProcessId(hwnd, &id);
    if (id != search->processId)
        return TRUE;
    e2e::Window window(hwnd);
    if (window.IsVisible() && window.ClassName() == kDialogClass && window.Answers()) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool ShowsDialog(DWORD processId)
{
    DialogSearch search = {processId, false};
    EnumWindows(FindShownDialog, (LPARAM)&search);
    return search.found;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Runs one program to its end; true when it exits with 0.
bool Run(const std::string& exe, std::string commandLine, const std::string& folder, HANDLE output)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = output;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &started))
        return false;
    CloseHandle(started.hThread);
    e2e::Handle process(started.hProcess);
    DWORD code = 1;
    return WaitForSingleObject(process.Get(), kCopyTimeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process.Get(), &code) && code == 0;
}

} // namespace

double Stopwatch::Seconds() const
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)(now.QuadPart - m_start.QuadPart) / (double)frequency.QuadPart;
}

double SecondsToFirstDialog(const std::string& exe, const std::string& folder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::string commandLine = Quoted(exe);
    Stopwatch clock;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started))
        return -1;
    CloseHandle(started.hThread);
    e2e::Handle process(started.hProcess);
    const bool shown =
        e2e::WaitUntil([&] { return ShowsDialog(started.dwProcessId); }, kStartTimeoutMs, kStartPollMs);
    const double seconds = clock.Seconds();
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), kStartTimeoutMs);
    return shown ? seconds : -1;
}

double SecondsOfXcopy(const std::string& folder, const std::vector<Copy>& copies)
{
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, MAX_PATH);
    const std::string xcopy = std::string(system, length) + "\\xcopy.exe";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    e2e::Handle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr));
    Stopwatch clock;
    for (const Copy& copy : copies) {
        std::string commandLine = "xcopy " + Quoted(copy.source) + " " + Quoted(copy.target) + " /e /i /y /q";
        if (!Run(xcopy, commandLine, folder, nul.Get()))
            return -1;
    }
    return clock.Seconds();
}

double SecondsOfCopyLoop(const std::string& folder, const std::vector<Copy>& copies)
{
    const std::string loop = e2e::ExeFolder() + "\\bench_copyloop.exe";
    std::string commandLine = Quoted(loop);
    for (const Copy& copy : copies)
        commandLine += " " + Quoted(copy.source) + " " + Quoted(copy.target);
    Stopwatch clock;
    if (!Run(loop, commandLine, folder, nullptr))
        return -1;
    return clock.Seconds();
}

bool ReadPeakMemory(DWORD processId, PeakMemory& peak)
{
    e2e::Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!process.Get() || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters))
        return false;
    const double mib = 1024.0 * 1024.0;
    peak.workingSetMiB = (double)counters.PeakWorkingSetSize / mib;
    peak.pagefileMiB = (double)counters.PeakPagefileUsage / mib;
    return true;
}

} // namespace bench

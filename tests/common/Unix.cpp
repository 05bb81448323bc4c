#include "Unix.h"

#include <winioctl.h>

#include <fstream>

#include "Text.h"

namespace {

// One argument of a Windows command line, quoted so that the program gets it
// back whole (quotes and the backslashes before them escaped).
std::string QuoteArgument(const std::string& text)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            backslashes = backslashes * 2 + 1;
        quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

// Starts a Unix program. Wine runs it without a Windows process and returns no
// handles: the PROCESS_INFORMATION it fills holds numbers that are not ours,
// and closing them would close whichever handle of this process has that
// number (once, the cached HKEY_CURRENT_USER root, which silently undid every
// later scratch registry). So nothing is closed.
bool StartUnixProgram(const std::string& program, std::string commandLine, const char* folder)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring wideLine = WideOf(commandLine);
    return CreateProcessW(WideOf(program).c_str(), &wideLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder ? WideOf(folder).c_str() : nullptr, &startup, &process) != FALSE;
}

std::string UniqueTempName(const char* prefix)
{
    static int counter = 0;
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    return std::string(folder, length) + prefix + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

// The request of Wine's mount manager that maps a drive letter to a Unix
// folder, or removes the mapping (no folder): what Wine's own configuration sends.
struct UnixDriveRequest {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

bool DefineUnixDrive(char letter, const std::string& unixFolder, UINT type)
{
    std::string request(sizeof(UnixDriveRequest), '\0');
    if (!unixFolder.empty())
        request.append(unixFolder.c_str(), unixFolder.size() + 1);
    auto* drive = (UnixDriveRequest*)&request[0];
    drive->size = (ULONG)request.size();
    drive->type = type;
    drive->letter = (WCHAR)tolower(letter);
    drive->mountPointOffset = unixFolder.empty() ? 0 : sizeof(UnixDriveRequest);
    HANDLE manager = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const DWORD define = CTL_CODE(0x6d, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    BOOL done = DeviceIoControl(manager, define, &request[0], drive->size, nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return done;
}

} // namespace

std::string UnixPath(const std::string& windowsPath)
{
    using Convert = char*(CDECL*)(const WCHAR*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    char* unix = convert ? convert(WideOf(windowsPath).c_str()) : nullptr;
    if (!unix)
        return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool StartShell(const std::string& script, const std::string& folder)
{
    return StartUnixProgram("Z:\\bin\\sh", "sh -c " + QuoteArgument(script), folder.c_str());
}

bool RunShell(const std::string& script, DWORD timeoutMs)
{
    const std::string status = UniqueTempName("fw-shell-");
    DeleteFileA(status.c_str());
    const std::string unixStatus = ShellQuote(UnixPath(status));
    // Written whole, then renamed: the status file never shows half written.
    std::string wrapped = "(" + script + "); echo $? > " + unixStatus + ".part; mv " + unixStatus + ".part " +
                          unixStatus;
    if (!StartUnixProgram("Z:\\bin\\sh", "sh -c " + QuoteArgument(wrapped), nullptr))
        return false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
        if (GetFileAttributesA(status.c_str()) != INVALID_FILE_ATTRIBUTES) {
            int code = -1;
            std::ifstream(status) >> code;
            DeleteFileA(status.c_str());
            return code == 0;
        }
        Sleep(10);
    }
    return false;
}

bool SignProgram(const std::string& folder, const std::string& in, const std::string& out)
{
    return RunShell("cd " + ShellQuote(UnixPath(folder)) +
                        " && openssl req -x509 -newkey rsa:2048 -nodes -subj '/CN=Fernwick test' -days 2"
                        " -keyout key.pem -out cert.pem 2>/dev/null && osslsigncode sign -certs cert.pem -key key.pem"
                        " -n 'Fernwick test' -in " +
                        ShellQuote(in) + " -out " + ShellQuote(out) + " >/dev/null && osslsigncode verify -CAfile cert.pem -in " +
                        ShellQuote(out) + " >/dev/null",
                    60000);
}

MappedDrive::MappedDrive(const std::string& folder, UINT type)
{
    DWORD used = GetLogicalDrives();
    for (char letter = 'D'; letter <= 'Y' && !m_letter; ++letter)
        if (!(used & (1u << (letter - 'A'))))
            m_letter = letter;
    m_mapped = m_letter && DefineUnixDrive(m_letter, UnixPath(folder), type);
}

MappedDrive::~MappedDrive()
{
    if (m_mapped)
        DefineUnixDrive(m_letter, std::string(), DRIVE_NO_ROOT_DIR);
}

SmallDisk::SmallDisk(const std::string& folder, const std::string& size) : m_folder(folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    m_unixFolder = UnixPath(folder);
    m_mounted = !m_unixFolder.empty() &&
                RunShell("mount -t tmpfs -o size=" + size + " fernwick-test " + ShellQuote(m_unixFolder));
}

SmallDisk::~SmallDisk()
{
    // Lazily: a handle Wine still holds must not keep the mount behind.
    if (m_mounted)
        RunShell("umount -l " + ShellQuote(m_unixFolder));
}

bool SmallDisk::MakeReadOnly()
{
    return m_mounted && RunShell("mount -o remount,ro " + ShellQuote(m_unixFolder));
}

FileLock::FileLock(const std::string& path, bool othersMayRead)
{
    static int locks = 0;
    std::string eventName = "FernwickTestLock-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++locks);
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    std::string commandLine = QuoteArgument(TestProgramFolder() + "\\file_locker.exe") + " " + QuoteArgument(path) +
                              " " + QuoteArgument(eventName) + (othersMayRead ? " read" : "");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (held && CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &m_process)) {
        // Held once the locker says so; it ends at once when it cannot open the file.
        HANDLE either[] = {held, m_process.hProcess};
        m_held = WaitForMultipleObjects(2, either, FALSE, 30000) == WAIT_OBJECT_0;
    }
    if (held)
        CloseHandle(held);
}

FileLock::~FileLock()
{
    if (!m_process.hProcess)
        return;
    TerminateProcess(m_process.hProcess, 0);
    WaitForSingleObject(m_process.hProcess, 30000);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

std::string TestProgramFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

#include "log/LogText.h"

#include <ctime>

#include "frontpage/Registry.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/Handle.h"
#include "win/Language.h"
#include "win/Strings.h"
#include "win/SystemError.h"
#include "win/Unicode.h"

namespace {

// The date and time of the log's header and closing line, e.g. 06-Dec-2001 17:05:09.
void Now(std::string& date, std::string& time)
{
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[64];
    date = std::strftime(text, sizeof text, "%d-%b-%Y", local) ? text : "";
    time = std::strftime(text, sizeof text, "%H:%M:%S", local) ? text : "";
}

const char* OsName(int platform)
{
    switch (platform) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return "Windows 95/98";
    case VER_PLATFORM_WIN32_NT:
        return "Windows NT/2000";
    }
    return "Unsupported";
}

// The text of a query that fills a 260-character buffer, or empty when it fails.
std::string BufferText(const wchar_t* buffer, DWORD length)
{
    return length > 0 && length < MAX_PATH ? Utf8(buffer, length) : std::string();
}

} // namespace

bool ReadLogSystem(LogSystem& system)
{
    wchar_t buffer[MAX_PATH];
    DWORD size = MAX_PATH;
    system.userName = GetUserNameW(buffer, &size) ? Utf8(buffer, wcsnlen(buffer, MAX_PATH)) : std::string();
    system.windowsFolder = BufferText(buffer, GetWindowsDirectoryW(buffer, MAX_PATH));

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version))
        return false;
    system.platform = (int)version.dwPlatformId;
    system.majorVersion = (int)version.dwMajorVersion;
    system.minorVersion = (int)version.dwMinorVersion;
    system.servicePack = Utf8(version.szCSDVersion, wcsnlen(version.szCSDVersion, 128));
    return true;
}

std::string LogHeader(const LogSystem& system, const std::string& arguments)
{
    std::string date, time;
    Now(date, time);
    std::string header = Format("%s\n%s\nLog file opened on %s at %s\n", LoadLogString(IDS_VERSION).c_str(),
                                LoadLogString(IDS_VENDOR).c_str(), date.c_str(), time.c_str());
    header += Format("Operating system: %s V%d.%d %s\n", OsName(system.platform), system.majorVersion,
                     system.minorVersion, system.servicePack.c_str());
    header += "User name: " + system.userName + "\n";
    header += "Windows folder: " + system.windowsFolder;
    if (!arguments.empty())
        header += "\nCommand line: " + arguments;
    return header;
}

std::string LogClosing()
{
    std::string date, time;
    Now(date, time);
    return Format("Log file closed on %s at %s\n", date.c_str(), time.c_str());
}

std::string DefaultLogFolder()
{
    std::string folder;
    if (ReadMachineString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, folder) == ERROR_SUCCESS)
        return folder;
    wchar_t buffer[MAX_PATH];
    folder = BufferText(buffer, GetTempPathW(MAX_PATH, buffer));
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string InstallLogPath(const std::string& named)
{
    if (!named.empty())
        return named;
    std::string folder;
    if (ReadRegistryString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, folder) != RegistryRead::Read)
        folder = DefaultLogFolder();
    return folder.empty() ? std::string() : folder + "\\fernwick.log";
}

bool CanWriteLogFile(const std::string& path)
{
    std::wstring wide;
    if (!SystemPath(path, wide))
        return false;
    ScopedFile existing(
        CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing.IsValid() || GetLastError() != ERROR_FILE_NOT_FOUND)
        return existing.IsValid();
    ScopedFile made(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return made.IsValid();
}

std::string LogLineBytes(const std::string& text)
{
    std::string line;
    line.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            line += '\r';
        line += text[i];
    }
    line += "\r\n";
    return AnsiCodePage(line);
}

bool AppendWhole(HANDLE file, const std::string& bytes)
{
    LARGE_INTEGER end = {};
    SetFilePointerEx(file, end, &end, FILE_CURRENT);
    DWORD written = 0;
    if (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size())
        return true;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    return false;
}

MessageText SystemErrorMessage(UINT prefixId, const std::string& subject, DWORD error)
{
    MessageText message;
    message.shown = Format(LoadResString(IDS_SYSTEM_ERROR).c_str(), LoadResString(prefixId).c_str(), subject.c_str(),
                           SystemErrorText(error, UiLanguage()).c_str());
    message.logged = Format(LoadLogString(IDS_SYSTEM_ERROR).c_str(), LoadLogString(prefixId).c_str(), subject.c_str(),
                            SystemErrorText(error).c_str());
    return message;
}

#include <gtest/gtest.h>

#include <regex>

#include "Support.h"
#include "frontpage/Registry.h"
#include "log/LogFile.h"
#include "log/LogText.h"
#include "win/Handle.h"

namespace {

const std::string kTempFilesKey = std::string(g_regExplorer) + g_regTempFilesCache;

// A wizard whose log goes to `folder`, as the system's temporary-files setting says.
void PointLogAt(ScratchRegistry& registry, const std::string& folder)
{
    registry.SetString(kTempFilesKey, g_regFolder, folder);
}

// Opens `log` where the installation's log goes, with the header of `system`;
// false when it cannot be opened there.
bool OpenInstallLog(LogFile& log, const LogSystem& system = LogSystem())
{
    const std::string path = InstallLogPath("");
    return !path.empty() && log.OpenLog(path, system, "");
}

TEST(Log, ExactBytesOfAWholeLog)
{
    ScratchRegistry registry;
    TempFolder folder;
    PointLogAt(registry, folder.Path() + "\\");
    LogFile log;
    LogSystem system;
    system.platform = 2;
    system.majorVersion = 5;
    system.minorVersion = 0;
    system.servicePack = "Service Pack 2";
    system.userName = "Ann";
    system.windowsFolder = "C:\\WINDOWS";
    const bool open = OpenInstallLog(log, system);
    ASSERT_TRUE(open);
    EXPECT_EQ(folder.Path() + "\\fernwick.log", log.Path());
    log.WriteLog("one\ntwo");
    log.WriteLog("");
    log.WriteLog("ends in CR LF\r\n");
    // On disk at once, before the log is closed.
    EXPECT_NE(std::string::npos, ReadFileBytes(log.Path()).find("one\r\ntwo\r\n"));
    log.CloseLog();

    const std::regex expected(
        "Fernwick V2\\.1\r\n"
        "Copyright \\(C\\) 2026 The Fernwick developers\r\n"
        "Log file opened on [0-3][0-9]-[A-Z][a-z][a-z]-20[0-9][0-9] at [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\r\n"
        "Operating system: Windows NT/2000 V5\\.0 Service Pack 2\r\n"
        "User name: Ann\r\n"
        "Windows folder: C:\\\\WINDOWS\r\n"
        "one\r\ntwo\r\n"
        "\r\n"
        "ends in CR LF\r\n\r\n"
        "Log file closed on [0-3][0-9]-[A-Z][a-z][a-z]-20[0-9][0-9] at [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\r\n"
        "\r\n");
    std::string bytes = ReadFileBytes(folder / "fernwick.log");
    EXPECT_TRUE(std::regex_match(bytes, expected)) << bytes;

    // Closed: nothing more is written.
    log.WriteLog("late");
    log.CloseLog();
    EXPECT_EQ(bytes, ReadFileBytes(folder / "fernwick.log"));
}

// Where boxes go to the log, a failure is logged and then its box says the
// same: a log that skips repeats says it once, and only right after itself.
TEST(LogFile, RepeatsSkippedOnlyWhereAsked)
{
    for (bool skip : {false, true}) {
        TempFolder folder;
        LogFile log;
        if (skip)
            log.SkipRepeats();
        ASSERT_TRUE(log.OpenLog(folder / "fernwick.log", LogSystem(), ""));
        for (const char* line : {"Failed", "Failed", "Other", "Failed", "Failed"})
            log.WriteLog(line);
        log.CloseLog();
        const std::string written = skip ? "Failed\r\nOther\r\nFailed\r\n"
                                         : "Failed\r\nFailed\r\nOther\r\nFailed\r\nFailed\r\n";
        EXPECT_NE(std::string::npos, ReadFileBytes(folder / "fernwick.log").find("\r\n" + written + "Log file closed"))
            << skip;
    }
}

TEST(Log, OperatingSystemLine)
{
    struct Case {
        int platform, major, minor;
        const char* servicePack;
        const char* line;
    };
    const Case cases[] = {
        {2, 5, 0, "Service Pack 2", "Operating system: Windows NT/2000 V5.0 Service Pack 2"},
        {1, 4, 10, "", "Operating system: Windows 95/98 V4.10 "},
        {0, 0, 0, "", "Operating system: Unsupported V0.0 "},
        {3, 10, 0, "", "Operating system: Unsupported V10.0 "},
    };
    for (const Case& c : cases) {
        ScratchRegistry registry;
        TempFolder folder;
        PointLogAt(registry, folder.Path());
        LogFile log;
        LogSystem system;
        system.platform = c.platform;
        system.majorVersion = c.major;
        system.minorVersion = c.minor;
        system.servicePack = c.servicePack;
        ASSERT_TRUE(OpenInstallLog(log, system)) << c.line;
        log.CloseLog();
        EXPECT_NE(std::string::npos, ReadFileBytes(folder / "fernwick.log").find(std::string("\r\n") + c.line + "\r\n"))
            << c.line;
    }
}

TEST(Log, FallsBackToTheTemporaryFolder)
{
    ScratchRegistry registry;
    TempFolder folder;
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", saved, MAX_PATH);
    SetEnvironmentVariableA("TMP", (folder.Path() + "\\").c_str());
    LogFile log;
    LogSystem system;
    const bool open = OpenInstallLog(log, system);
    SetEnvironmentVariableA("TMP", saved);
    EXPECT_TRUE(open);
    EXPECT_EQ(folder.Path() + "\\fernwick.log", log.Path());
    log.CloseLog();
    EXPECT_NE(std::string::npos, ReadFileBytes(folder / "fernwick.log").find("Fernwick V2.1\r\n"));
}

TEST(Log, ReplacesAnEarlierLog)
{
    ScratchRegistry registry;
    TempFolder folder;
    PointLogAt(registry, folder.Path());
    folder.Write("fernwick.log", std::string(5000, 'x'));
    LogFile log;
    ASSERT_TRUE(OpenInstallLog(log));
    log.CloseLog();
    std::string bytes = ReadFileBytes(folder / "fernwick.log");
    EXPECT_EQ(0u, bytes.find("Fernwick V2.1\r\n"));
    EXPECT_EQ(std::string::npos, bytes.find('x'));
}

TEST(Log, UnusableFolderTurnsLoggingOff)
{
    ScratchRegistry registry;
    TempFolder folder;
    PointLogAt(registry, folder / "missing\\deeper");
    LogFile log;
    LogSystem system;
    const bool open = OpenInstallLog(log, system);
    EXPECT_FALSE(open);
    log.WriteLog("nothing");
    log.CloseLog();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder / "missing").c_str()));
}

// A log file the command line names is tried before the run changes
// anything: as the log opens it, an existing one left as it is, a new one
// made and gone again.
TEST(Log, NamedLogFileTriedAndLeftAsItWas)
{
    TempFolder folder;
    folder.Write("earlier.log", "an earlier log");
    folder.MakeDir("a folder.log");
    const std::string held = folder.Write("held.log", "held");
    ScopedFile holder(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.IsValid());
    const struct {
        std::string path;
        DWORD error; // 0: it can be written
    } cases[] = {
        {folder / "new.log", 0},
        {folder / "earlier.log", 0},
        {folder / "missing\\new.log", ERROR_PATH_NOT_FOUND},
        {folder / "a folder.log", ERROR_ACCESS_DENIED},
        {folder / (std::string(MAX_PATH, 'x') + ".log"), ERROR_FILENAME_EXCED_RANGE},
        {held, ERROR_SHARING_VIOLATION},
    };
    const std::map<std::string, std::string> before = Tree(folder.Path());
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(c.error == 0, CanWriteLogFile(c.path)) << c.path;
        if (c.error != 0) {
            EXPECT_EQ(c.error, GetLastError()) << c.path;
        }
    }
    EXPECT_EQ(before, Tree(folder.Path()));
}

TEST(Log, NotLoggingWritesNothing)
{
    ScratchRegistry registry;
    TempFolder folder;
    PointLogAt(registry, folder.Path());
    LogFile log;
    log.WriteLog("nothing");
    log.CloseLog();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder / "fernwick.log").c_str()));
}

TEST(Log, CollectsSystemInformation)
{
    LogSystem system;
    EXPECT_TRUE(ReadLogSystem(system));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    char user[MAX_PATH];
    DWORD size = MAX_PATH;
    GetUserNameA(user, &size);
    EXPECT_EQ(VER_PLATFORM_WIN32_NT, system.platform);
    EXPECT_GT(system.majorVersion, 4);
    EXPECT_EQ(std::string(windows), system.windowsFolder);
    EXPECT_EQ(std::string(user), system.userName);
    EXPECT_FALSE(system.userName.empty());
}

} // namespace

namespace {

TEST(Log, NoFolderAtAllMeansNoLog)
{
    ScratchRegistry registry;
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", saved, MAX_PATH);
    // A temporary folder longer than any path: the query has no answer that fits.
    SetEnvironmentVariableA("TMP", ("C:\\" + std::string(300, 't')).c_str());
    LogFile log;
    LogSystem system;
    const bool open = OpenInstallLog(log, system);
    SetEnvironmentVariableA("TMP", saved);
    EXPECT_FALSE(open);
    EXPECT_EQ(std::string::npos, log.Path().find("ttt"));
}

} // namespace

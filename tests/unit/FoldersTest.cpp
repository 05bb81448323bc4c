#include <gtest/gtest.h>

#include "InstallWorld.h"
#include "Support.h"
#include "res/resource.h"
#include "win/Language.h"

namespace {

// The copy engine logging into `folder`, so tests can read what it reports.
struct LoggingEngine {
    explicit LoggingEngine(const TempFolder& folder)
    {
        LogSystem system;
        ReadLogSystem(system);
        host.log.OpenLog(folder / "engine.log", system, "");
    }
    // The lines written after the six header lines.
    std::string Body()
    {
        std::string log = ReadFileBytes(host.log.Path());
        size_t start = 0;
        for (int line = 0; line < 6; ++line)
            start = log.find("\r\n", start) + 2;
        return log.substr(start);
    }
    CodeHost host;
    FileInstaller engine{host, host.Logger(), InstalledKit(), RemovalRegistration(host.Logger())};
};

TEST(CreateFolder, ExistingFolderOrFileNeedsNothing)
{
    TempFolder folder;
    LoggingEngine log(folder);
    std::string file = folder.Write("plain.txt", "x");
    EXPECT_TRUE(log.engine.CreateFolder(folder.Path()));
    EXPECT_TRUE(log.engine.CreateFolder(file));
    EXPECT_TRUE(log.engine.CreateFolder("C:"));
    EXPECT_EQ("", log.Body());
}

TEST(CreateFolder, MissingLevelsAreCreatedOutermostFirst)
{
    TempFolder folder;
    LoggingEngine log(folder);
    std::string top = folder / "Top";
    CreateDirectoryA(top.c_str(), nullptr);
    EXPECT_TRUE(log.engine.CreateFolder(top + "\\One\\Two\\Three"));
    EXPECT_EQ("Created folder " + top + "\\One\r\n" + "Created folder " + top + "\\One\\Two\r\n" +
                  "Created folder " + top + "\\One\\Two\\Three\r\n",
              log.Body());
    DWORD attributes = GetFileAttributesA((top + "\\One\\Two\\Three").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

TEST(CreateFolder, DriveRootChildIsCreated)
{
    TempFolder folder;
    LoggingEngine log(folder);
    // The scratch folder lies below C:\fwtest; a folder right below a drive root must work too.
    std::string path = "C:\\fwtest_root_" + std::to_string(GetCurrentProcessId());
    EXPECT_TRUE(log.engine.CreateFolder(path + "\\inner"));
    EXPECT_EQ("Created folder " + path + "\r\nCreated folder " + path + "\\inner\r\n", log.Body());
    RemoveDirectoryA((path + "\\inner").c_str());
    RemoveDirectoryA(path.c_str());
}

TEST(CreateFolder, PathsWithoutParentFailSilently)
{
    TempFolder folder;
    LoggingEngine log(folder);
    for (const char* path : {"", "x", "Q:", "nofolder"})
        EXPECT_FALSE(log.engine.CreateFolder(path)) << path;
    EXPECT_EQ("", log.Body());
    EXPECT_TRUE(log.host.boxes.empty());
}

TEST(CreateFolder, RefusedCreationIsReported)
{
    TempFolder folder;
    LoggingEngine log(folder);
    std::string file = folder.Write("file.htm", "x");
    // A file stands where a folder should be: its sub-folder cannot be made.
    EXPECT_FALSE(log.engine.CreateFolder(file + "\\sub"));
    std::string body = log.Body();
    std::string first = "Failed to create folder:: " + file + "\\sub\r\nReason: (";
    EXPECT_EQ(0u, body.find(first)) << body;
    ASSERT_EQ(1u, log.host.boxes.size());
    const std::string& shown = log.host.boxes[0];
    EXPECT_EQ(0u, shown.find("Failed to create folder:: " + file + "\\sub\nReason: (")) << shown;
}

// Logged in English; shown in the wizard's language, the system's reason too
// where the system has it in that language.
TEST(ReportSystemError, ReasonFromTheSystem)
{
    const LANGID german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    struct Case {
        DWORD code;
        UINT prefix;
        const char* subject;
        std::string start;    // what the logged message starts with
        const char* contains; // a piece of the system's text, if any
        LANGID language = kEnglish;
        std::string shownStart = std::string(); // when it differs from what is logged
        const char* shownContains = nullptr;
    };
    const Case cases[] = {
        {ERROR_ACCESS_DENIED, IDS_COPY_FAILED, "D:\\x\\y.htm", "File copy failed:: D:\\x\\y.htm\nReason: (5) ",
         "denied"},
        {ERROR_FILE_NOT_FOUND, IDS_SYSTEM_INFO_FAILED, "",
         "Failed to get system information: \nReason: (2) ", nullptr},
        // The system's text holds insert markers; none are supplied, so they stay as they are.
        {ERROR_BAD_EXE_FORMAT, IDS_COPY_FAILED, "A:\\f", "File copy failed:: A:\\f\nReason: (193) ", "%1"},
        // No text at all for this code: the reason still names it.
        {0x20001234, IDS_COPY_FAILED, "C:\\f", "File copy failed:: C:\\f\nReason: (536875572) ",
         "Unknown error"},
        {ERROR_ACCESS_DENIED, IDS_COPY_FAILED, "D:\\x\\y.htm", "File copy failed:: D:\\x\\y.htm\nReason: (5) ",
         "denied", german, "Fehler beim Kopieren der Datei: D:\\x\\y.htm\nUrsache: (5) ", "verweigert"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        LoggingEngine log(folder);
        SetUiLanguage(c.language);
        SetLastError(c.code);
        log.engine.ReportSystemError(c.prefix, c.subject);
        SetUiLanguage(kEnglish);
        ASSERT_EQ(1u, log.host.boxes.size());
        const std::string& shown = log.host.boxes[0];
        const std::string shownStart = c.shownStart.empty() ? c.start : c.shownStart;
        const char* shownContains = c.shownContains ? c.shownContains : c.contains;
        EXPECT_EQ(0u, shown.find(shownStart)) << shown;
        if (shownContains) {
            EXPECT_NE(std::string::npos, shown.find(shownContains)) << shown;
        }
        std::string logged = c.start;
        logged.replace(logged.find('\n'), 1, "\r\n");
        EXPECT_EQ(0u, log.Body().find(logged)) << log.Body();
        if (c.contains) {
            EXPECT_NE(std::string::npos, log.Body().find(c.contains)) << log.Body();
        }
    }
}

} // namespace

// Runs for administrators' deployments: the exit code of every end, /SILENT
// walking its pages by itself, the kit folder named on the command line, a
// command line at fault, the help, and one wizard at a time.
#include "WizardTest.h"

#include <memory>

#include "Unix.h"

namespace e2e {
namespace {

const char kFailedText[] = "Installation failed. Please check the log file.";
const char kAlreadyRunning[] = "FrontPage Fernwick is already running.";
const char kUsage[] = "Usage: fernwick.exe [/SILENT | /VERYSILENT] [/LOG[=<file>] | /NOLOG] "
                      "[/VERSION=98|2000|2002|2003] [/ACCEPTLICENCE] [/KIT=<folder>] [/LANG=<code>]";
const char kUsageEnd[] = "fernwick.exe /? tells what each switch does.";
const char kLicenceLine[] = "Harbour Lights licence: use it as you like.\r\n";

std::vector<std::string> UsageLines(const std::string& fault)
{
    return {"The command line is not valid: " + fault, "", kUsage, "", kUsageEnd};
}

// How many times `text` occurs in `log`.
size_t Occurrences(const std::string& log, const std::string& text)
{
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
        ++count;
    return count;
}

// One way an unattended run ends. The world has FrontPage 98 and the kit.
struct EndCase {
    const char* name;
    // What the world gets besides; false when it cannot be made.
    bool (*arrange)(const World& world);
    const char* arguments;
    DWORD exitCode;
    // The log's lines before its closing line; each line of a text with
    // line ends is one line of the log.
    std::vector<std::string> (*logEnd)(const World& world);
    // Whether the kit's themes reach FrontPage.
    bool installs;
};

void PrintTo(const EndCase& end, std::ostream* out)
{
    *out << end.name;
}

bool Nothing(const World&)
{
    return true;
}

bool AddLicence(const World& world)
{
    return world.WriteFile("kit\\license.txt", kLicenceLine);
}

// The line before the usage when a /KIT folder holds no kit.
std::string NotAKit(const std::string& folder)
{
    return "The folder " + folder + " holds no kit: it has no intro.txt and no common, fp98, fp2000 or fp2003 folder.";
}

std::vector<std::string> NotAKitLines(const std::string& folder, const std::string& fault)
{
    std::vector<std::string> lines = {NotAKit(folder), ""};
    for (const std::string& line : UsageLines(fault))
        lines.push_back(line);
    return lines;
}

// A kit with items for FrontPage 2000 and 2002 only, where 98 is installed.
bool AddKitForAnotherVersion(const World& world)
{
    return world.WriteFile("kit\\moor\\intro.txt", "Moor themes\r\n") &&
           world.WriteFile("kit\\moor\\fp2000\\Themes\\heather\\theme.css", "body { color: purple; }\r\n");
}

// A file where the kit's first theme folder must go.
bool BlockThemes(const World& world)
{
    return world.WriteFile("FrontPage\\themes", "a file where a folder must go\r\n");
}

const EndCase kEnds[] = {
    {"Installed", Nothing, "/VERYSILENT", 0, [](const World&) { return std::vector<std::string>{kDoneText}; },
     true},
    {"UnknownSwitch", Nothing, "/QUIET /VERYSILENT", 1, [](const World&) { return UsageLines("/QUIET"); }, false},
    {"KitFolderMissing", Nothing, "/VERYSILENT \"/KIT=no such kit\"", 1,
     [](const World&) { return UsageLines("/KIT=no such kit"); }, false},
    // The usual slips: an empty folder, the folder above the kit's.
    {"KitFolderEmpty", [](const World& world) { return MakeFolders(world.Path("kit\\empty")); },
     "/VERYSILENT /KIT=empty", 1,
     [](const World& world) { return NotAKitLines(world.Path("kit\\empty"), "/KIT=empty"); }, false},
    {"KitFolderAboveTheKit", Nothing, "/VERYSILENT /KIT=..", 1,
     [](const World& world) {
         const std::string kit = world.KitFolder();
         return NotAKitLines(kit.substr(0, kit.rfind('\\')), "/KIT=..");
     },
     false},
    // Nothing to copy: a success, with nothing to remove later.
    {"KitWithoutFilesForTheVersion", AddKitForAnotherVersion, "/VERYSILENT /KIT=moor", 0,
     [](const World&) { return std::vector<std::string>{"Copying common frame templates...", kDoneText}; }, false},
    {"LicenceNotAccepted", AddLicence, "/VERYSILENT", 2,
     [](const World&) {
         return std::vector<std::string>{"Licence not accepted on the command line", kCancelledText};
     },
     false},
    {"VersionNotInstalled", Nothing, "/VERYSILENT /VERSION=2002", 3,
     [](const World&) { return std::vector<std::string>{"FrontPage 2002 is not installed", kFailedText}; }, false},
    {"Version2003NotInstalled", Nothing, "/VERYSILENT /VERSION=2003", 3,
     [](const World&) { return std::vector<std::string>{"FrontPage 2003 is not installed", kFailedText}; }, false},
    // The box's text, logged before it is shown, and the final message after
    // the failure's box are each written once.
    {"CopyFailed", BlockThemes, "/VERYSILENT", 4,
     [](const World& world) {
         return std::vector<std::string>{"Failed to create folder:: " + world.Path("FrontPage\\themes\\Breeze"),
                                         "Reason: (" + std::to_string(ERROR_PATH_NOT_FOUND) + ") " +
                                             SystemText(ERROR_PATH_NOT_FOUND),
                                         "Undoing the installation...", "Installation undone", kFailedText};
     },
     false},
};

class UnattendedEnd : public WizardTest, public testing::WithParamInterface<EndCase> {};

TEST_P(UnattendedEnd, ExitCodeAndLog)
{
    const EndCase& end = GetParam();
    ASSERT_TRUE(end.arrange(world));

    ASSERT_TRUE(RunToEnd(end.arguments)) << app->Describe();

    EXPECT_EQ(exitCode, end.exitCode);
    EXPECT_FALSE(showedWindow);
    EXPECT_EQ(PathExists(world.Path("FrontPage\\themes\\harbour\\theme.css")), end.installs);
    // Registered for removal, with its data folder, only what was installed.
    EXPECT_EQ(end.installs, !World::RemovalEntries().empty());
    EXPECT_EQ(end.installs, !FolderEntries(World::DataFolders()).empty());
    std::vector<std::string> lines;
    for (const std::string& text : end.logEnd(world)) {
        for (size_t start = 0, stop = 0; stop != std::string::npos; start = stop + 1) {
            // The system's texts end in a line end of their own.
            stop = text.find('\n', start);
            lines.push_back(text.substr(start, stop == std::string::npos ? stop : stop - start));
            if (!lines.back().empty() && lines.back().back() == '\r')
                lines.back().pop_back();
        }
    }
    const std::string log = Log();
    EXPECT_TRUE(LogEndsWith(log, lines));
    // Once each: what a box would have said is not logged again where the
    // log says it already.
    for (const std::string& line : lines) {
        if (!line.empty()) {
            EXPECT_EQ(Occurrences(log, line + "\r\n"), 1u) << line << "\n" << log;
        }
    }
    EXPECT_EQ(Occurrences(log, "Command line: " + std::string(end.arguments) + "\r\n"), 1u) << log;
}

INSTANTIATE_TEST_SUITE_P(Ends, UnattendedEnd, testing::ValuesIn(kEnds),
                         [](const testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// What a person would be asked to close stops an unattended run: FrontPage
// running, or a theme another program holds open, for good or released while
// the run waits for it.
struct WaitCase {
    const char* name;
    bool frontPage;
    bool released;
    DWORD exitCode;
};

void PrintTo(const WaitCase& wait, std::ostream* out)
{
    *out << wait.name;
}

const WaitCase kWaits[] = {
    {"FrontPageRunsOn", true, false, 3},
    {"FileHeldOn", false, false, 4},
    {"FileReleased", false, true, 0},
};

class UnattendedWait : public WizardTest, public testing::WithParamInterface<WaitCase> {};

TEST_P(UnattendedWait, TriesAgainEachSecondForThirtySeconds)
{
    const WaitCase& wait = GetParam();
    const std::string theme = world.Path("FrontPage\\themes\\harbour\\theme.css");
    ASSERT_TRUE(world.WriteFile("FrontPage\\themes\\harbour\\theme.css", "the earlier harbour theme"));
    std::unique_ptr<RunningProgram> frontPage;
    std::unique_ptr<FileLock> lock;
    if (wait.frontPage) {
        ASSERT_TRUE(MakeFolders(world.Path("Program")));
        ASSERT_TRUE(world.PlantProgram("Program", "frontpg.exe"));
        frontPage = std::make_unique<RunningProgram>(world.Path("Program\\frontpg.exe"));
        ASSERT_TRUE(frontPage->IsRunning());
    } else {
        lock = std::make_unique<FileLock>(theme);
        ASSERT_TRUE(lock->IsHeld());
    }

    Launch("/VERYSILENT");
    const std::string waitsFor = wait.frontPage ? "FrontPage is running" : "File in use: " + theme;
    ASSERT_TRUE(WaitUntil([&] { return Log().find("\r\n" + waitsFor + "\r\n") != std::string::npos; }));
    const DWORD since = GetTickCount();
    if (wait.released)
        lock.reset();
    // Thirty seconds of waiting, then the failure and its undo.
    ASSERT_TRUE(WaitUntil([&] { return app->HasExited(); }, 3 * kTimeoutMs));

    EXPECT_EQ(wait.exitCode, app->ExitCode());
    const std::string log = Log();
    if (wait.released) {
        EXPECT_LT(GetTickCount() - since, 10000u) << "not tried again soon after the release";
        EXPECT_EQ(std::string::npos, log.find("Gave up waiting")) << log;
        EXPECT_TRUE(LogEndsWith(log, {kDoneText}));
        EXPECT_EQ(ReadFileBytes(world.Path("kit\\common\\Themes\\harbour\\theme.css")), ReadFileBytes(theme));
        return;
    }
    EXPECT_GE(GetTickCount() - since, 29000u) << "gave up before thirty seconds";
    EXPECT_NE(std::string::npos, log.find("\r\n" + waitsFor + "\r\nGave up waiting\r\n")) << log;
    EXPECT_EQ(std::string::npos, log.find("User cancelled installation")) << log;
    if (wait.frontPage) {
        EXPECT_TRUE(LogEndsWith(log, {"FrontPage is running", "Gave up waiting", kFailedText}));
    } else {
        EXPECT_NE(std::string::npos, log.find("Gave up waiting\r\nFile copy failed:: " + theme + "\r\n")) << log;
        EXPECT_TRUE(LogEndsWith(log, {"Installation undone", kFailedText}));
    }
    // Nothing is left of the run.
    lock.reset();
    EXPECT_EQ("the earlier harbour theme", ReadFileBytes(theme));
    EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes\\Breeze")));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
}

INSTANTIATE_TEST_SUITE_P(Waits, UnattendedWait, testing::ValuesIn(kWaits),
                         [](const testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

using Unattended = WizardTest;

// Its pages and its progress are shown while it walks through them by itself,
// and it closes itself at the end.
TEST_F(Unattended, SilentShowsItsPagesAndEndsByItself)
{
    // Enough files for the copy to take a while.
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\Themes\\harbour\\part" + std::to_string(i) + ".css", "p {}\r\n"));
    ASSERT_TRUE(world.AddReadme());
    Launch("/SILENT");

    bool copyShown = false;
    bool barShown = false;
    bool ended = WaitUntil(
        [&] {
            if (app->Wizard() && app->StatusText() == kCopyingText) {
                copyShown = true;
                barShown = app->Control(IDC_PROGRESS).IsVisible() || barShown;
            }
            return app->HasExited();
        },
        kTimeoutMs, 1);

    ASSERT_TRUE(ended) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 0u);
    EXPECT_TRUE(copyShown);
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(PathExists(world.Path("FrontPage\\themes\\harbour\\part299.css")));
    EXPECT_TRUE(LogEndsWith(Log(), {kDoneText}));
    // The readme is never opened in an unattended run.
    EXPECT_TRUE(app->Children("notepad.exe").empty());
}

// A person watching a /SILENT run may cancel it before it copies.
TEST_F(Unattended, SilentCancelledBeforeTheCopy)
{
    // An agreement that takes a while to read, so that the cancel comes
    // before the copy.
    std::string agreement;
    while (agreement.size() < 8 * 1024 * 1024)
        agreement += kLicenceLine;
    ASSERT_TRUE(world.WriteFile("kit\\license.txt", agreement));
    Launch("/SILENT /ACCEPTLICENCE");
    ASSERT_TRUE(WaitUntil([&] { return Log().find("Will install frame template banner\r\n") != std::string::npos; }))
        << app->Describe();

    app->RequestCancel(CancelBy::Button);

    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 2u);
    EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes")));
    EXPECT_TRUE(LogEndsWith(Log(), {"User cancelled installation", kCancelledText}));
}

// Deployment tools start programs in folders of their own: the kit is where
// /KIT says, and a /LOG file named relative is where the program started.
TEST_F(Unattended, KitFolderFromAnotherFolder)
{
    const std::string elsewhere = world.Path("elsewhere");
    ASSERT_TRUE(MakeFolders(elsewhere));

    ASSERT_TRUE(RunToEnd("/VERYSILENT \"/KIT=" + world.KitFolder() + "\" /LOG=deploy.log", elsewhere))
        << app->Describe();

    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(PathExists(world.Path("FrontPage\\themes\\harbour\\theme.css")));
    EXPECT_TRUE(LogEndsWith(ReadFileBytes(elsewhere + "\\deploy.log"), {kDoneText}));
    EXPECT_FALSE(PathExists(world.KitFolder() + "\\deploy.log"));
}

// What a box of a program without a wizard says, once it shows one; it is
// answered, and the program's exit code returned.
std::string AnswerLoneBox(App& app, DWORD& exitCode)
{
    Window box;
    WaitUntil([&] {
        box = app.Dialog();
        return box || app.HasExited();
    });
    if (!box || DialogKind(box) != "message")
        return std::string();
    app.Shot("message");
    const std::string text = MessageText(box);
    box.Item(IDOK).Click();
    app.WaitForExit();
    exitCode = app.ExitCode();
    return text;
}

// A log file the command line names that cannot be written stops the run
// before it changes anything: exit code 1, no log anywhere, nothing
// installed, and a box saying which file and why where a person watches.
struct LogFileCase {
    const char* name;
    // The /LOG file, made unwritable as the case says.
    std::string (*arrange)(const World& world);
    // How much the run shows: "/VERYSILENT", "/SILENT", or "" for the wizard.
    const char* mode;
    DWORD error;
};

void PrintTo(const LogFileCase& log, std::ostream* out)
{
    *out << log.name;
}

const LogFileCase kLogFiles[] = {
    {"FolderMissing", [](const World& world) { return world.Path("no such folder\\deploy.log"); }, "/VERYSILENT",
     ERROR_PATH_NOT_FOUND},
    {"AFolder",
     [](const World& world) {
         MakeFolders(world.Path("deploy.log"));
         return world.Path("deploy.log");
     },
     "/SILENT", ERROR_ACCESS_DENIED},
    {"PathTooLong", [](const World& world) { return world.Path(std::string(MAX_PATH, 'x') + ".log"); },
     "/VERYSILENT", ERROR_FILENAME_EXCED_RANGE},
    {"FolderMissingInTheWizard", [](const World& world) { return world.Path("no such folder\\deploy.log"); }, "",
     ERROR_PATH_NOT_FOUND},
};

class UnattendedLogFile : public WizardTest, public testing::WithParamInterface<LogFileCase> {};

TEST_P(UnattendedLogFile, StopsBeforeAnyChange)
{
    const LogFileCase& log = GetParam();
    const std::string path = log.arrange(world);
    const std::string arguments = std::string(log.mode) + " \"/LOG=" + path + "\"";
    if (*log.mode) {
        ASSERT_TRUE(RunToEnd(arguments)) << app->Describe();
        EXPECT_FALSE(showedWindow);
    } else {
        Launch(arguments);
        EXPECT_EQ(AnswerLoneBox(*app, exitCode), "The log file cannot be written:\n" + path + "\n\n(" +
                                                     std::to_string(log.error) + ") " + SystemText(log.error));
    }

    EXPECT_EQ(exitCode, 1u);
    EXPECT_FALSE(PathExists(world.LogPath()));
    EXPECT_EQ(log.error == ERROR_ACCESS_DENIED, PathExists(path));
    EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes")));
    EXPECT_TRUE(FolderEntries(World::DataFolders()).empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, UnattendedLogFile, testing::ValuesIn(kLogFiles),
                         [](const testing::TestParamInfo<LogFileCase>& info) { return std::string(info.param.name); });

// A command line at fault shows the usage, naming the word at fault, after
// what more there is to say of it; nothing is logged or installed.
TEST_F(Unattended, CommandLineAtFaultShowsTheUsage)
{
    const std::string usage = "\n\n" + std::string(kUsage) + "\n\n" + kUsageEnd;
    const std::string kit = world.KitFolder();
    const struct {
        const char* arguments;
        std::string text;
    } cases[] = {
        {"/SILENT -Quiet", "The command line is not valid: -Quiet" + usage},
        {"/KIT=..", NotAKit(kit.substr(0, kit.rfind('\\'))) + "\n\nThe command line is not valid: /KIT=.." + usage},
    };
    for (const auto& c : cases) {
        Launch(c.arguments);
        DWORD code = STILL_ACTIVE;

        EXPECT_EQ(AnswerLoneBox(*app, code), c.text);

        EXPECT_EQ(code, 1u);
        EXPECT_FALSE(PathExists(world.LogPath()));
        EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes")));
    }
}

TEST_F(Unattended, HelpShowsTheSwitches)
{
    Launch("/?");
    DWORD code = STILL_ACTIVE;

    const std::string help = AnswerLoneBox(*app, code);

    EXPECT_EQ(code, 0u);
    EXPECT_EQ(0u, help.find("Usage: fernwick.exe [switches]\n\n/SILENT: ")) << help;
    for (const char* part : {"\n/VERYSILENT: ", "\n/LOG[=<file>]: ", "\n/NOLOG: ", "\n/VERSION=98|2000|2002|2003: ",
                             "\n/ACCEPTLICENCE: ", "\n/KIT=<folder>: ", "\n/LANG=<code>: ", "\n/PACK [/OUT=<file>]: ",
                             "\n/UNINSTALL: ",
                             "\n/?, /HELP: ", "\n\nExit codes: 0 installed"})
        EXPECT_NE(std::string::npos, help.find(part)) << part;
    EXPECT_FALSE(PathExists(world.LogPath()));
}

// A second wizard, shown or without any window, touches nothing and leaves
// the first one at work.
TEST_F(Unattended, SecondWizardEndsAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    App second(ExeFolder() + "\\fernwick.exe", world.KitFolder(), ShotFolder());
    DWORD code = STILL_ACTIVE;

    EXPECT_EQ(AnswerLoneBox(second, code), kAlreadyRunning);
    EXPECT_EQ(code, 1u);
    std::unique_ptr<App> first = std::move(app);
    // Windows are seen where there are some.
    ASSERT_TRUE(first->HasAnyWindow());
    ASSERT_TRUE(RunToEnd("/VERYSILENT"));
    EXPECT_EQ(exitCode, 1u);
    EXPECT_FALSE(showedWindow);

    EXPECT_FALSE(PathExists(world.LogPath()));
    app = std::move(first);
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 0u);
}

} // namespace
} // namespace e2e

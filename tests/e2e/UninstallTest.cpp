// Removing a kit as a user does, from its entry in Programs and Features: the
// program copy in the kit's data folder runs, takes back what the kit did and
// leaves the machine as before, but for the files the user changed.
#include "WizardTest.h"

#include <algorithm>
#include <cstring>
#include <regex>

#include "Bytes.h"
#include "Text.h"
#include "Unix.h"

namespace e2e {
namespace {

const char kKitName[] = "Harbour Lights theme pack";
const char kEntry[] = "Fernwick Harbour Lights theme pack";
// Its id, which names its data folder, differs from its name.
const char kSecondKitName[] = "Lagoon: theme pack";
const char kSecondKitId[] = "Lagoon_ theme pack";

std::string MachineString(const std::string& key, const char* name)
{
    wchar_t value[1024] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, WideOf(key).c_str(), WideOf(name).c_str(), RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return "(none)";
    return Utf8Of(value);
}

std::string MachineNumber(const std::string& key, const char* name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, WideOf(key).c_str(), WideOf(name).c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return "(none)";
    return std::to_string(value);
}

bool EntryExists(const std::string& entry)
{
    const std::vector<std::string> entries = World::RemovalEntries();
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

// The files and folders Windows removes when it next starts.
std::string PendingRemovals()
{
    wchar_t value[8192] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                     L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::string();
    std::wstring all(value, size / sizeof(wchar_t));
    std::replace(all.begin(), all.end(), L'\0', L'|');
    return Utf8Of(all);
}

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// What a removal does to the FrontPage tree `root`, from the trees before
// the installation, after it, and after the removal: its log's step lines.
std::vector<std::string> StepLines(const std::string& root, const std::map<std::string, std::string>& before,
                                   const std::map<std::string, std::string>& installed,
                                   const std::map<std::string, std::string>& after)
{
    std::vector<std::string> lines;
    for (const auto& entry : installed) {
        const std::string path = root + "\\" + entry.first;
        const bool folder = entry.first.back() == '\\';
        auto was = before.find(entry.first);
        auto is = after.find(entry.first);
        if (folder && was == before.end() && is == after.end())
            lines.push_back("Removed folder: " + path.substr(0, path.size() - 1));
        else if (!folder && was == before.end() && is == after.end())
            lines.push_back("Removed file: " + path);
        else if (!folder && was != before.end() && was->second != entry.second)
            lines.push_back("Restored file: " + path);
        else if (!folder && is != after.end() && is->second != entry.second)
            lines.push_back("Kept changed file: " + path);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

class Uninstall : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        // A theme of the kit's name is there already: the kit replaces its style.
        ASSERT_TRUE(world.WriteFile("FrontPage\\themes\\harbour\\theme.css", "the earlier harbour theme"));
    }

    std::string FrontPage() const { return world.Path("FrontPage"); }
    std::string UninstallLogPath() const { return world.LogFolder() + "\\fernwick-uninstall.log"; }
    std::string UninstallLog() const { return ReadFileBytes(UninstallLogPath()); }
    static std::string Program(const std::string& dataFolder) { return dataFolder + "\\fernwick.exe"; }

    // Installs the kit of `kitFolder` (the world's when empty) without a window.
    bool Install(const std::string& kitFolder = std::string())
    {
        return RunToEnd("/VERYSILENT \"/KIT=" + (kitFolder.empty() ? world.KitFolder() : kitFolder) + "\"",
                        world.Path("")) &&
               exitCode == 0;
    }

    // Runs the kit's registered program of `dataFolder` with `arguments` to its end.
    bool Remove(const std::string& dataFolder, const std::string& arguments = "/UNINSTALL /VERYSILENT")
    {
        return RunToEnd(arguments, world.Path(""), Program(dataFolder));
    }

    // A second kit that replaces a file of the first, and the earlier theme
    // the first replaced, and brings a theme of its own.
    std::string AddSecondKit()
    {
        EXPECT_TRUE(world.WriteFile("kit2\\intro.txt", std::string(kSecondKitName) + "\r\n"));
        EXPECT_TRUE(world.WriteFile("kit2\\fp98\\Themes\\Breeze\\theme.css", "body { color: lagoon; }\r\n"));
        EXPECT_TRUE(world.WriteFile("kit2\\common\\Themes\\harbour\\theme.css", "body { color: lagoon teal; }\r\n"));
        EXPECT_TRUE(world.WriteFile("kit2\\common\\Themes\\lagoon\\lagoon.inf", "[info]\r\ntitle=Lagoon\r\n"));
        return world.Path("kit2");
    }

    // Removes the kit as its user does, answering the question Yes; the text
    // of the box that tells the outcome, once the removal has ended.
    std::string RemoveAsUser()
    {
        Launch("/UNINSTALL", world.Path(""), Program(World::KitDataFolder()));
        EXPECT_EQ("Remove Harbour Lights theme pack and restore the files it replaced?", AnswerBox(IDYES));
        const std::string told = AnswerBox(IDOK);
        EXPECT_TRUE(app->WaitForExit());
        return told;
    }

    // Waits for the message box of the running program and answers it with
    // `button`; its text, or empty when none came.
    std::string AnswerBox(int button)
    {
        const std::string text = app->WaitForMessageBox();
        Window box = app->Dialog();
        if (text.empty() || !box.HasItem(button))
            return std::string();
        box.Item(button).Click();
        WaitUntil([&] { return !box.IsVisible() || app->HasExited(); });
        return text;
    }
};

TEST_F(Uninstall, RegisteredForRemovalWithWhatTheListShows)
{
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;

    EXPECT_TRUE(LogEndsWith(Log(), {std::string("Registered for removal as ") + kEntry, kDoneText}));
    const std::string key = World::RemovalKey(kEntry);
    const std::string program = Program(World::KitDataFolder());
    const struct {
        const char* name;
        std::string value;
        bool number;
    } values[] = {
        {"DisplayName", "Harbour Lights theme pack (FrontPage themes)", false},
        {"UninstallString", "\"" + program + "\" /UNINSTALL", false},
        {"QuietUninstallString", "\"" + program + "\" /UNINSTALL /VERYSILENT", false},
        {"DisplayIcon", program + ",0", false},
        {"Publisher", "Copyright (C) 2026 The Fernwick developers", false},
        {"InstallDate", Today(), false},
        {"InstallLocation", FrontPage() + "\\themes", false},
        // 8 small files: 292 bytes, one kilobyte begun.
        {"EstimatedSize", "1", true},
        {"NoModify", "1", true},
        {"NoRepair", "1", true},
    };
    for (const auto& value : values)
        EXPECT_EQ(value.value, value.number ? MachineNumber(key, value.name) : MachineString(key, value.name))
            << value.name;
    // The program alone, a valid program: the build's, which carries nothing.
    EXPECT_TRUE(ReadFileBytes(ExeFolder() + "\\fernwick.exe") == ReadFileBytes(program));

    // Installed again: one entry, which the removal takes back to before the first.
    ASSERT_TRUE(world.WriteFile("kit\\common\\Themes\\harbour\\theme.css", std::string(3000, 'x')));
    ASSERT_TRUE(Install()) << exitCode;
    EXPECT_EQ(std::vector<std::string>{kEntry}, World::RemovalEntries());
    EXPECT_EQ("4", MachineNumber(key, "EstimatedSize"));
    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(0u, exitCode) << UninstallLog();
    EXPECT_EQ(before, Tree(FrontPage()));
}

TEST_F(Uninstall, ChangedFileKeptEverythingElseAsBefore)
{
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;
    const std::map<std::string, std::string> installed = Tree(FrontPage());
    const std::string changed = FrontPage() + "\\themes\\Breeze\\theme.css";
    ASSERT_TRUE(WriteFileBytes(changed, "body { color: red; }"));

    EXPECT_EQ("Harbour Lights theme pack was removed.\n\nThese files were changed since the installation and were "
              "kept:\n" +
                  changed + "\nFiles kept: 1",
              RemoveAsUser());
    EXPECT_EQ(0u, app->ExitCode());

    std::map<std::string, std::string> expected = before;
    expected["themes\\Breeze\\"] = "";
    expected["themes\\Breeze\\theme.css"] = "body { color: red; }";
    const std::map<std::string, std::string> after = Tree(FrontPage());
    EXPECT_EQ(expected, after);
    EXPECT_EQ("the earlier harbour theme", ReadFileBytes(FrontPage() + "\\themes\\harbour\\theme.css"));
    EXPECT_FALSE(EntryExists(kEntry));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
    // The running program went when it could: it waits beside the data
    // folder for Windows to start again.
    const std::string parked = World::DataFolders() + "\\Harbour Lights theme pack (removed)";
    EXPECT_NE(std::string::npos, PendingRemovals().find(parked + "|")) << PendingRemovals();

    // The log: its header, the kit, every step, the outcome.
    std::vector<std::string> lines = Lines(UninstallLog());
    ASSERT_GT(lines.size(), 12u) << UninstallLog();
    EXPECT_EQ("Fernwick V2.1", lines[0]);
    EXPECT_TRUE(std::regex_match(lines[5], std::regex("Windows folder: [A-Za-z]:\\\\.*"))) << lines[5];
    EXPECT_EQ("Command line: /UNINSTALL", lines[6]);
    EXPECT_EQ("Uninstalling Harbour Lights theme pack", lines[7]);
    EXPECT_EQ("Uninstallation complete", lines[lines.size() - 3]);
    EXPECT_TRUE(std::regex_match(lines[lines.size() - 2], std::regex("Log file closed on .*")));
    std::vector<std::string> steps(lines.begin() + 8, lines.end() - 3);
    std::sort(steps.begin(), steps.end());
    EXPECT_EQ(StepLines(FrontPage(), before, installed, after), steps) << UninstallLog();
}

// The second kit replaces files of the first; either may go first, and
// either way the machine ends as before both. The first kit may be installed
// again after the second, replacing the second's files in turn; the user may
// change a file the first kit made and the second replaced: it stays, and the
// last removal names it.
struct TwoKitsCase {
    bool firstKitFirst;
    bool firstKitAgain;
    bool changed;
};

void PrintTo(const TwoKitsCase& c, std::ostream* out)
{
    *out << (c.firstKitFirst ? "first kit first" : "second kit first")
         << (c.firstKitAgain ? ", first kit installed again" : "") << (c.changed ? ", a file changed" : "");
}

class TwoKits : public Uninstall, public testing::WithParamInterface<TwoKitsCase> {};

TEST_P(TwoKits, RemovedInEitherOrderLeaveTheMachineAsBeforeBoth)
{
    const std::string second = AddSecondKit();
    const std::string secondData = World::DataFolders() + "\\" + kSecondKitId;
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;
    ASSERT_TRUE(Install(second)) << exitCode;
    ASSERT_EQ("body { color: lagoon; }\r\n", ReadFileBytes(FrontPage() + "\\themes\\Breeze\\theme.css"));
    if (GetParam().firstKitAgain) {
        ASSERT_TRUE(world.WriteFile("kit\\fp98\\Themes\\Breeze\\theme.css", "body { color: navy blue; }\r\n"));
        ASSERT_TRUE(Install()) << exitCode;
    }
    const std::string changed = FrontPage() + "\\themes\\Breeze\\theme.css";
    std::map<std::string, std::string> expected = before;
    if (GetParam().changed) {
        ASSERT_TRUE(WriteFileBytes(changed, "body { color: red; }"));
        expected["themes\\Breeze\\"] = "";
        expected["themes\\Breeze\\theme.css"] = "body { color: red; }";
    }

    for (const std::string& data : GetParam().firstKitFirst
                                       ? std::vector<std::string>{World::KitDataFolder(), secondData}
                                       : std::vector<std::string>{secondData, World::KitDataFolder()}) {
        ASSERT_TRUE(Remove(data)) << data;
        EXPECT_EQ(0u, exitCode) << UninstallLog();
        const std::string name = data == secondData ? kSecondKitName : kKitName;
        EXPECT_EQ(Lines(UninstallLog()).at(7), "Uninstalling " + name);
        EXPECT_FALSE(PathExists(data));
    }
    EXPECT_EQ(GetParam().changed, UninstallLog().find("\r\nKept changed file: " + changed + "\r\n") != std::string::npos)
        << UninstallLog();
    EXPECT_EQ(expected, Tree(FrontPage()));
    EXPECT_TRUE(World::RemovalEntries().empty());
}

INSTANTIATE_TEST_SUITE_P(Order, TwoKits,
                         testing::Values(TwoKitsCase{true, false, false}, TwoKitsCase{false, false, false},
                                         TwoKitsCase{true, true, false}, TwoKitsCase{false, true, false},
                                         TwoKitsCase{true, false, true}, TwoKitsCase{false, false, true}),
                         [](const testing::TestParamInfo<TwoKitsCase>& info) {
                             return std::string(info.param.firstKitFirst ? "FirstKitFirst" : "SecondKitFirst") +
                                    (info.param.firstKitAgain ? "FirstAgain" : "") +
                                    (info.param.changed ? "FileChanged" : "");
                         });

TEST_F(Uninstall, SeenAndRunByTheSystemsListOfPrograms)
{
    ASSERT_TRUE(Install()) << exitCode;
    const std::string listed = world.Path("listed.txt");
    ASSERT_TRUE(RunShell("wine uninstaller --list > " + ShellQuote(UnixPath(listed))));
    EXPECT_NE(std::string::npos,
              ReadFileBytes(listed).find(std::string(kEntry) + "|||Harbour Lights theme pack (FrontPage themes)"))
        << ReadFileBytes(listed);

    // The list runs the entry's command: the removal asks, works and tells.
    ASSERT_TRUE(StartShell("wine uninstaller --remove " + ShellQuote(kEntry), world.Path("")));
    DWORD removal = 0;
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<DWORD> running = ProcessesNamed("fernwick.exe");
        removal = running.empty() ? 0 : running.front();
        return removal != 0;
    }));
    app = std::make_unique<App>(removal, ShotFolder());
    EXPECT_EQ("Remove Harbour Lights theme pack and restore the files it replaced?", AnswerBox(IDYES));
    EXPECT_EQ("Harbour Lights theme pack was removed.", AnswerBox(IDOK));
    ASSERT_TRUE(app->WaitForExit());
    EXPECT_FALSE(EntryExists(kEntry));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
    EXPECT_EQ("the earlier harbour theme", ReadFileBytes(FrontPage() + "\\themes\\harbour\\theme.css"));
}

TEST_F(Uninstall, KilledHalfWayFinishesWhenRunAgain)
{
    // Enough files that the bar moves before the removal comes to the held one.
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\Pages\\many\\page" + std::to_string(i) + ".htm", "<html></html>"));
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;

    // A theme file in use holds the removal half-way, so that it cannot end
    // before it is killed: installed before the pages, it is taken back
    // after them, and an unattended removal waits for it (up to 30 s) with
    // its window showing the bar.
    auto lock = std::make_unique<FileLock>(FrontPage() + "\\themes\\Breeze\\theme.css");
    ASSERT_TRUE(lock->IsHeld());
    Launch("/UNINSTALL /SILENT", world.Path(""), Program(World::KitDataFolder()));
    ASSERT_TRUE(WaitUntil([&] {
        return (app->Wizard() && app->StatusText() == "Removing Harbour Lights theme pack..." &&
                app->Control(IDC_PROGRESS).IsVisible() && app->Control(IDC_PROGRESS).ProgressPosition() > 1) ||
               app->HasExited();
    }));
    ASSERT_FALSE(app->HasExited()) << UninstallLog();
    app->Shot("removing");
    EXPECT_FALSE(app->Control(IDCANCEL).IsEnabled());
    ASSERT_TRUE(app->Kill());
    const std::string killed = UninstallLog();
    const size_t removedFile = killed.find("\r\nRemoved file: ");
    ASSERT_NE(std::string::npos, removedFile) << killed;
    EXPECT_NE(std::string::npos, killed.find("\\many\\page", removedFile)) << killed;
    EXPECT_EQ(std::string::npos, killed.find("Uninstallation complete")) << killed;
    EXPECT_EQ(std::string::npos, killed.find("Uninstallation failed")) << killed;
    EXPECT_TRUE(EntryExists(kEntry));

    lock.reset();
    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(0u, exitCode) << UninstallLog();
    EXPECT_EQ(before, Tree(FrontPage()));
    EXPECT_FALSE(EntryExists(kEntry));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
}

// An installation of the kit killed half-way after an earlier one completed:
// the removal undoes it first, as the wizard would, then removes the rest.
TEST_F(Uninstall, InstallationCutShortUndoneFirst)
{
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\Pages\\many\\page" + std::to_string(i) + ".htm", "<html></html>"));
    ASSERT_TRUE(DeleteFileA(world.LogPath().c_str()));
    Launch("/VERYSILENT \"/KIT=" + world.KitFolder() + "\"", world.Path(""));
    ASSERT_TRUE(WaitUntil([&] { return Log().find("\\many\\page") != std::string::npos || app->HasExited(); }));
    ASSERT_TRUE(app->Kill());
    ASSERT_EQ(std::string::npos, Log().find(kDoneText)) << "ended before it was killed";

    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(0u, exitCode) << UninstallLog();
    const std::string log = UninstallLog();
    const size_t undone = log.find("\r\nInstallation undone\r\n");
    EXPECT_LT(log.find("\r\nUninstalling Harbour Lights theme pack\r\nUndoing the installation...\r\n"), undone) << log;
    EXPECT_LT(undone, log.rfind("\r\nRestored file: " + FrontPage() + "\\themes\\harbour\\theme.css\r\n")) << log;
    EXPECT_EQ(before, Tree(FrontPage()));
    EXPECT_FALSE(EntryExists(kEntry));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
}

// The kit stays installed, and the failure is told; the next installation
// of the kit registers it.
TEST_F(Uninstall, RegistrationThatFailsIsReported)
{
    // A folder stands where the program's copy is written first.
    const std::string blocked = World::KitDataFolder() + "\\fernwick.exe.new";
    ASSERT_TRUE(MakeFolders(blocked));
    ASSERT_TRUE(Install()) << exitCode;
    const std::string log = Log();
    EXPECT_NE(std::string::npos,
              log.find("\r\nFailed to register for removal: " + Program(World::KitDataFolder()) + "\r\nReason: ("))
        << log;
    EXPECT_TRUE(LogEndsWith(log, {kDoneText}));
    EXPECT_FALSE(EntryExists(kEntry));

    RemoveTree(blocked);
    ASSERT_TRUE(Install()) << exitCode;
    EXPECT_TRUE(EntryExists(kEntry));
}

// Each way a removal ends, with its exit code and the log's last line.
struct Ending {
    const char* name;
    // From the data folder (else the build's program, which removes nothing).
    bool registered;
    const char* arguments;
    // Held open by another program: the removal fails.
    const char* held;
    // The button that answers the question; 0 when none is asked.
    int answer;
    // A run that asks nothing shows its window (/SILENT) or none.
    bool window;
    DWORD exitCode;
    // The removal log's last line; none when the command line is refused,
    // which only the installation's log tells.
    const char* lastLine;
    bool removed;
};

const Ending kEndings[] = {
    {"Removed", true, "/UNINSTALL /VERYSILENT", nullptr, 0, false, 0, "Uninstallation complete", true},
    {"RemovedSilently", true, "/UNINSTALL /SILENT", nullptr, 0, true, 0, "Uninstallation complete", true},
    {"Declined", true, "/UNINSTALL", nullptr, IDNO, true, 2, "User cancelled uninstallation", false},
    {"Failed", true, "/UNINSTALL /VERYSILENT", "themes\\harbour\\harbour.inf", 0, false, 4, "Uninstallation failed",
     false},
    {"NotFromADataFolder", false, "/UNINSTALL /VERYSILENT", nullptr, 0, false, 1,
     "A kit is removed from Programs and Features, which runs the copy of this program kept in the kit's data "
     "folder.",
     false},
    // What an installation chooses has no say in a removal.
    {"InstallationSwitchRefused", true, "/UNINSTALL /VERYSILENT /VERSION=98", nullptr, 0, false, 1, nullptr, false},
};

void PrintTo(const Ending& ending, std::ostream* out)
{
    *out << ending.name;
}

class Endings : public Uninstall, public testing::WithParamInterface<Ending> {};

TEST_P(Endings, ExitCodeAndLog)
{
    const Ending& ending = GetParam();
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;
    const std::map<std::string, std::string> installed = Tree(FrontPage());
    std::unique_ptr<FileLock> lock;
    if (ending.held) {
        lock = std::make_unique<FileLock>(FrontPage() + "\\" + ending.held);
        ASSERT_TRUE(lock->IsHeld());
    }
    const std::string program = ending.registered ? Program(World::KitDataFolder()) : std::string();
    if (ending.answer) {
        Launch(ending.arguments, world.Path(""), program);
        EXPECT_FALSE(AnswerBox(ending.answer).empty());
        ASSERT_TRUE(app->WaitForExit());
    } else {
        // An unattended run waits for a file held 30 seconds before it fails.
        ASSERT_TRUE(RunToEnd(ending.arguments, world.Path(""), program, ending.held ? 2 * kTimeoutMs : kTimeoutMs));
        EXPECT_EQ(ending.window, showedWindow);
    }
    EXPECT_EQ(ending.exitCode, app->ExitCode());
    if (ending.lastLine) {
        EXPECT_TRUE(LogEndsWith(UninstallLog(), {ending.lastLine}));
    } else {
        EXPECT_FALSE(PathExists(UninstallLogPath()));
        EXPECT_NE(std::string::npos, Log().find("\r\nThe command line is not valid: /UNINSTALL\r\n")) << Log();
    }
    EXPECT_EQ(!ending.removed, EntryExists(kEntry));
    if (!ending.held) {
        EXPECT_EQ(ending.removed ? before : installed, Tree(FrontPage()));
        return;
    }
    // The failure is told, after the unattended run has waited for the file
    // as an unattended installation does, and the journal keeps what is
    // left to do.
    const std::string held = FrontPage() + "\\" + ending.held;
    EXPECT_TRUE(PathExists(held));
    EXPECT_NE(std::string::npos, UninstallLog().find("\r\nFile in use: " + held + "\r\nGave up waiting\r\nFailed to read file: " +
                                                     held + "\r\nReason: (32) "))
        << UninstallLog();
    lock.reset();
    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(0u, exitCode) << UninstallLog();
    EXPECT_EQ(before, Tree(FrontPage()));
    EXPECT_FALSE(EntryExists(kEntry));
}

INSTANTIATE_TEST_SUITE_P(Removal, Endings, testing::ValuesIn(kEndings),
                         [](const testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });


// The lines of a log that tell of files left as they are.
std::vector<std::string> KeptLines(const std::string& log)
{
    std::vector<std::string> kept;
    for (const std::string& line : Lines(log)) {
        for (const char* prefix : {"Kept changed file: ", "Original kept as: ", "Original not restored: "}) {
            if (line.compare(0, strlen(prefix), prefix) == 0)
                kept.push_back(line);
        }
    }
    return kept;
}

LONGLONG FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WideOf(path).c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (LONGLONG)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

// A restore across volumes cut short, by a kill or a full disk: run again, the
// removal finishes it, and the original is back whole, never taken for a
// change of the user's.
class RestoreCutShort : public Uninstall, public testing::WithParamInterface<bool> {};

TEST_P(RestoreCutShort, FinishesWhenRunAgain)
{
    const bool killed = GetParam();
    const LONGLONG size = killed ? 128 << 20 : 6 << 20;
    SmallDisk disk(world.Path("disk"), killed ? "160m" : "12m");
    ASSERT_TRUE(disk.IsMounted());
    MappedDrive drive(disk.Folder());
    ASSERT_TRUE(drive.IsMapped());
    const std::string frontPage = drive.Root() + "\\FrontPage";
    const std::string theme = frontPage + "\\themes\\harbour\\theme.css";
    const std::string original = world.Path("original.css");
    ASSERT_TRUE(world.InstallFrontPage98At(frontPage));
    ASSERT_TRUE(MakeFolders(frontPage + "\\themes\\harbour"));
    ASSERT_TRUE(RunShell("head -c " + std::to_string(size) + " /dev/urandom > " + ShellQuote(UnixPath(world.Path(""))) +
                         "/original.css && cp " + ShellQuote(UnixPath(original)) + " " +
                         ShellQuote(UnixPath(frontPage + "\\themes\\harbour") + "/theme.css")));
    ASSERT_TRUE(Install()) << exitCode;
    const LONGLONG installed = FileSize(theme);

    const std::string copy = theme + ".fernwick-restoring";
    std::unique_ptr<FileLock> filler;
    if (killed) {
        // Killed once the original is a megabyte on its way back.
        Launch("/UNINSTALL /VERYSILENT", world.Path(""), Program(World::KitDataFolder()));
        ASSERT_TRUE(WaitUntil([&] {
            const LONGLONG written = std::max(FileSize(copy), FileSize(theme) == installed ? -1 : FileSize(theme));
            return (written > (1 << 20) && written < size) || app->HasExited();
        }, kTimeoutMs, 1));
        ASSERT_TRUE(app->Kill());
        ASSERT_TRUE(app->WaitForExit());
        ASSERT_EQ(std::string::npos, UninstallLog().find("Uninstallation complete")) << "ended before it was killed";
    } else {
        // The disk fills while the original comes back, and is freed then.
        ASSERT_TRUE(RunShell("fallocate -l $(( $(stat -f -c '%a*%S' " + ShellQuote(UnixPath(disk.Folder())) +
                             ") - " + std::to_string(size / 2) + " )) " + ShellQuote(UnixPath(disk.Folder()) + "/filler")));
        ASSERT_TRUE(Remove(World::KitDataFolder()));
        EXPECT_EQ(4u, exitCode) << UninstallLog();
        EXPECT_NE(std::string::npos, UninstallLog().find("\r\nFailed to restore file: " + theme + "\r\nReason: (112) "))
            << UninstallLog();
        EXPECT_TRUE(EntryExists(kEntry));
        ASSERT_TRUE(RunShell("rm " + ShellQuote(UnixPath(disk.Folder()) + "/filler")));
    }

    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(0u, exitCode) << UninstallLog();
    EXPECT_NE(std::string::npos, UninstallLog().find("\r\nRestored file: " + theme + "\r\n")) << UninstallLog();
    EXPECT_TRUE(KeptLines(UninstallLog()).empty()) << UninstallLog();
    EXPECT_TRUE(RunShell("cmp -s " + ShellQuote(UnixPath(original)) + " " + ShellQuote(UnixPath(theme))));
    EXPECT_FALSE(PathExists(copy));
    EXPECT_FALSE(EntryExists(kEntry));
}

INSTANTIATE_TEST_SUITE_P(Across, RestoreCutShort, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Killed" : "DiskFull");
                         });

// A second kit over the same files, cut short; the first kit is removed,
// then the second started again: every original is back.
TEST_F(Uninstall, KitCutShortOverTheSameFilesUndoneBeforeTheRemovalOfTheOther)
{
    const int kFiles = 60;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "themes\\harbour\\part" + std::to_string(i) + ".css";
        ASSERT_TRUE(world.WriteFile("FrontPage\\" + name, "original " + std::to_string(i)));
        ASSERT_TRUE(world.WriteFile("kit\\common\\" + name, "first kit " + std::to_string(i)));
        ASSERT_TRUE(world.WriteFile("kit2\\common\\" + name, SeededBytes(i, 64 * 1024)));
    }
    // Enough more that the second kit is still at work when it is killed.
    for (int i = 0; i < 3 * kFiles; ++i)
        ASSERT_TRUE(world.WriteFile("kit2\\common\\themes\\harbour\\zpart" + std::to_string(i) + ".css",
                                    SeededBytes(i, 64 * 1024)));
    const std::string second = AddSecondKit();
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;
    ASSERT_TRUE(DeleteFileA(world.LogPath().c_str()));
    Launch("/VERYSILENT \"/KIT=" + second + "\"", world.Path(""));
    ASSERT_TRUE(WaitUntil([&] { return Log().find("\\part40.css") != std::string::npos || app->HasExited(); }, kTimeoutMs, 1));
    ASSERT_TRUE(app->Kill());
    ASSERT_EQ(std::string::npos, Log().find(kDoneText)) << "ended before it was killed";

    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(0u, exitCode) << UninstallLog();
    EXPECT_TRUE(KeptLines(UninstallLog()).empty()) << UninstallLog();
    EXPECT_NE(std::string::npos, UninstallLog().find("\r\nInstallation of another kit cut short: ")) << UninstallLog();
    EXPECT_EQ(before, Tree(FrontPage()));

    // Started again, the second kit's wizard has nothing left to undo.
    ASSERT_TRUE(DeleteFileA(world.LogPath().c_str()));
    app = std::make_unique<App>(ExeFolder() + "\\fernwick.exe", second, ShotFolder());
    ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->Cancel(CancelBy::Button)) << app->Describe();
    EXPECT_EQ(std::string::npos, Log().find("Undoing the installation")) << Log();
    EXPECT_EQ(before, Tree(FrontPage()));
    EXPECT_FALSE(PathExists(World::DataFolders() + "\\" + kSecondKitId));
    EXPECT_TRUE(World::RemovalEntries().empty());
}

// One changed character in the middle of a finished installation's journal:
// the journal is refused, by the removal and by the wizard, and nothing changes.
TEST_F(Uninstall, DamagedJournalLineRefusedChangingNothing)
{
    ASSERT_TRUE(Install()) << exitCode;
    const std::string journal = World::KitDataFolder() + "\\journal.txt";
    std::string text = ReadFileBytes(journal);
    const size_t at = text.find("\\notice\\");
    ASSERT_NE(std::string::npos, at);
    text[at + 1] = 'N';
    ASSERT_TRUE(WriteFileBytes(journal, text));
    const std::string line = std::to_string(1 + std::count(text.begin(), text.begin() + at, '\n'));
    const std::map<std::string, std::string> installed = Tree(FrontPage());
    const std::map<std::string, std::string> data = Tree(World::KitDataFolder());

    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(4u, exitCode) << UninstallLog();
    EXPECT_TRUE(LogEndsWith(UninstallLog(), {"Failed to read journal: " + journal + ", line " + line,
                                             "Reason: (13) Invalid data.", "", "Uninstallation failed"}))
        << UninstallLog();
    EXPECT_EQ(installed, Tree(FrontPage()));
    EXPECT_EQ(data, Tree(World::KitDataFolder()));
    EXPECT_TRUE(EntryExists(kEntry));

    ASSERT_NO_FATAL_FAILURE(Start());
    app->Control(IDC_NEXT).Click();
    EXPECT_EQ(kFailedText, app->WaitForMessageBox());
    app->AnswerMessageBox("failed");
    EXPECT_EQ(WithLogNote(kFailedText), app->StatusText());
    EXPECT_NE(std::string::npos, Log().find("\r\nFailed to read journal: " + journal + ", line " + line + "\r\n"));
    EXPECT_EQ(installed, Tree(FrontPage()));
    EXPECT_EQ(data, Tree(World::KitDataFolder()));
}

// A backup deleted by hand: the file it would have put back over stays as
// the kit installed it, and the user is told.
TEST_F(Uninstall, MissingBackupLeavesTheInstalledFileAndSaysSo)
{
    ASSERT_TRUE(Install()) << exitCode;
    const std::string theme = FrontPage() + "\\themes\\harbour\\theme.css";
    const std::string backup = World::KitDataFolder() + "\\backup\\1\\1\\harbour\\theme.css";
    ASSERT_TRUE(DeleteFileA(backup.c_str()));
    const std::string installed = ReadFileBytes(theme);

    EXPECT_EQ("Harbour Lights theme pack was removed.\n\nThese files were left as the kit installed them: their "
              "backups are missing, so the files they replaced could not be put back:\n" +
                  theme + "\nFiles not restored: 1",
              RemoveAsUser());
    EXPECT_EQ(0u, app->ExitCode());
    EXPECT_EQ(installed, ReadFileBytes(theme));
    EXPECT_NE(std::string::npos,
              UninstallLog().find("\r\nOriginal not restored: " + theme + "\r\nBackup missing: " + backup + "\r\n"))
        << UninstallLog();
    EXPECT_FALSE(EntryExists(kEntry));
}

// The end of a removal that fails (its program held by a scanner) leaves the
// entry, the journal and the program, and the removal runs again; no kit's
// name is in the way of what a removal leaves.
struct EndCase {
    const char* name;
    bool scanned;
};

class RemovalEnd : public Uninstall, public testing::WithParamInterface<EndCase> {};

TEST_P(RemovalEnd, FailsLeavingAllToRunAgainOrFinishes)
{
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;
    const std::string program = Program(World::KitDataFolder());
    // A kit whose id is the name the removal's program took before.
    ASSERT_TRUE(world.WriteFile("kit3\\intro.txt", "Harbour Lights theme pack.removed\r\n"));
    ASSERT_TRUE(world.WriteFile("kit3\\common\\Pages\\other\\other.htm", "other"));
    ASSERT_TRUE(Install(world.Path("kit3"))) << exitCode;
    const std::string other = World::DataFolders() + "\\Harbour Lights theme pack.removed";
    if (GetParam().scanned) {
        FileLock scanner(program, true);
        ASSERT_TRUE(scanner.IsHeld());
        ASSERT_TRUE(Remove(World::KitDataFolder()));
        EXPECT_EQ(4u, exitCode) << UninstallLog();
        EXPECT_NE(std::string::npos, UninstallLog().find("\r\nFailed to remove file: " + program + "\r\nReason: (32) "))
            << UninstallLog();
        EXPECT_TRUE(EntryExists(kEntry));
        EXPECT_TRUE(PathExists(World::KitDataFolder() + "\\journal.txt"));
        EXPECT_TRUE(PathExists(program));
    }
    ASSERT_TRUE(Remove(World::KitDataFolder()));
    EXPECT_EQ(0u, exitCode) << UninstallLog();
    EXPECT_FALSE(EntryExists(kEntry));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
    EXPECT_TRUE(PathExists(Program(other)));
    EXPECT_TRUE(EntryExists("Fernwick Harbour Lights theme pack.removed"));
    std::map<std::string, std::string> expected = before;
    expected["pages\\"] = "";
    expected["pages\\other\\"] = "";
    expected["pages\\other\\other.htm"] = "other";
    EXPECT_EQ(expected, Tree(FrontPage()));
}

INSTANTIATE_TEST_SUITE_P(Removal, RemovalEnd,
                         testing::Values(EndCase{"ProgramHeldByAScanner", true}, EndCase{"OtherKitNamedLikeItsLeftovers", false}),
                         [](const testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// A kit whose id is what a removal once left its program as installs at
// once, and a removal started inside its own data folder leaves it first.
TEST_F(Uninstall, NothingLeftInTheWayOfALaterKitNorOfItself)
{
    ASSERT_TRUE(Install()) << exitCode;
    Launch("/UNINSTALL /VERYSILENT", World::KitDataFolder(), Program(World::KitDataFolder()));
    ASSERT_TRUE(app->WaitForExit());
    EXPECT_EQ(0u, app->ExitCode()) << UninstallLog();
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
    EXPECT_FALSE(EntryExists(kEntry));

    ASSERT_TRUE(world.WriteFile("kit\\intro.txt", "Harbour Lights theme pack.removed\r\n"));
    ASSERT_TRUE(Install()) << exitCode << Log();
    EXPECT_TRUE(EntryExists("Fernwick Harbour Lights theme pack.removed"));
}

// A changed file kept by a removal that then failed is named again by the
// run that completes it.
TEST_F(Uninstall, KeptFileNamedByTheRunThatCompletes)
{
    ASSERT_TRUE(Install()) << exitCode;
    const std::string changed = FrontPage() + "\\frames\\banner\\banner.htm";
    ASSERT_TRUE(WriteFileBytes(changed, "my banner"));
    std::unique_ptr<FileLock> lock = std::make_unique<FileLock>(FrontPage() + "\\themes\\Breeze\\theme.css");
    ASSERT_TRUE(lock->IsHeld());
    EXPECT_NE(std::string::npos, RemoveAsUser().find("could not be removed completely"));
    EXPECT_EQ(4u, app->ExitCode());
    lock.reset();

    EXPECT_EQ("Harbour Lights theme pack was removed.\n\nThese files were changed since the installation and were "
              "kept:\n" + changed + "\nFiles kept: 1",
              RemoveAsUser());
    EXPECT_EQ(0u, app->ExitCode());
    EXPECT_EQ(std::vector<std::string>{"Kept changed file: " + changed}, KeptLines(UninstallLog())) << UninstallLog();
    EXPECT_EQ("my banner", ReadFileBytes(changed));
}

// An unattended removal waits for a file in use, as an unattended installation does.
TEST_F(Uninstall, UnattendedRemovalWaitsForAFileInUse)
{
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;
    const std::string held = FrontPage() + "\\themes\\harbour\\harbour.inf";
    std::unique_ptr<FileLock> lock = std::make_unique<FileLock>(held);
    ASSERT_TRUE(lock->IsHeld());
    Launch("/UNINSTALL /VERYSILENT", world.Path(""), Program(World::KitDataFolder()));
    ASSERT_TRUE(WaitUntil([&] { return UninstallLog().find("File in use: " + held) != std::string::npos || app->HasExited(); }));
    EXPECT_FALSE(app->HasExited()) << UninstallLog();
    lock.reset();
    ASSERT_TRUE(app->WaitForExit());
    EXPECT_EQ(0u, app->ExitCode()) << UninstallLog();
    const std::string log = UninstallLog();
    EXPECT_EQ(log.find("File in use: "), log.rfind("File in use: ")) << log;
    EXPECT_EQ(std::string::npos, log.find("Gave up waiting")) << log;
    EXPECT_EQ(before, Tree(FrontPage()));
}

} // namespace
} // namespace e2e

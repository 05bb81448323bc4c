// Removing a kit as a user does, from its entry in Programs and Features: the
// program copy in the kit's data folder runs, takes back what the kit did and
// leaves the machine as before, but for the files the user changed.
#include "WizardTest.h"

#include <algorithm>
#include <regex>

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

    Launch("/UNINSTALL", world.Path(""), Program(World::KitDataFolder()));
    EXPECT_EQ("Remove Harbour Lights theme pack and restore the files it replaced?", AnswerBox(IDYES));
    EXPECT_EQ("Harbour Lights theme pack was removed.\n\nThese files were changed since the installation and were "
              "kept:\n" +
                  changed + "\nFiles kept: 1",
              AnswerBox(IDOK));
    ASSERT_TRUE(app->WaitForExit());
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
    // Enough files that the removal is still at work when it is killed.
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\Pages\\many\\page" + std::to_string(i) + ".htm", "<html></html>"));
    const std::map<std::string, std::string> before = Tree(FrontPage());
    ASSERT_TRUE(Install()) << exitCode;

    // Killed while its window shows the bar moving.
    Launch("/UNINSTALL", world.Path(""), Program(World::KitDataFolder()));
    ASSERT_FALSE(AnswerBox(IDYES).empty());
    ASSERT_TRUE(WaitUntil([&] {
        return (app->Wizard() && app->StatusText() == "Removing Harbour Lights theme pack..." &&
                app->Control(IDC_PROGRESS).IsVisible() && app->Control(IDC_PROGRESS).ProgressPosition() > 1) ||
               app->HasExited();
    }));
    app->Shot("removing");
    EXPECT_FALSE(app->Control(IDCANCEL).IsEnabled());
    ASSERT_TRUE(app->Kill());
    ASSERT_EQ(std::string::npos, UninstallLog().find("Uninstallation complete")) << "ended before it was killed";
    EXPECT_TRUE(EntryExists(kEntry));

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
        ASSERT_TRUE(RunToEnd(ending.arguments, world.Path(""), program));
        EXPECT_EQ(ending.window, showedWindow);
    }
    EXPECT_EQ(ending.exitCode, app->ExitCode());
    EXPECT_TRUE(LogEndsWith(UninstallLog(), {ending.lastLine}));
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

} // namespace
} // namespace e2e

// Every crash point of two kits installed over the same files, removed, and
// undone: a test build of the program (fernwick_crashpoint.exe, see
// CrashPoints.cpp) stops itself dead at its n-th change to the disk or the
// registry, for every n of the run; then the user runs it again, as they
// would (the installation again, the removal again from Programs and
// Features), and the FrontPage folders, the kits' data folders and their
// entries in Programs and Features are exactly as the run would have left
// them had it not been cut short. The same over a full disk, filled at
// every page the run writes to it.
#include "WizardTest.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "Text.h"
#include "Unix.h"

namespace e2e {
namespace {

// The exit code of a run stopped at its crash point.
const DWORD kCrashed = 77;

struct KitFile {
    const char* path;
    const char* text;
    bool readOnly;
};

// Alder replaces a theme's style and its read-only descriptor, and brings a
// theme with a nested folder and a read-only file, and a page template.
const KitFile kAlder[] = {
    {"alder\\intro.txt", "Alder kit\r\n", false},
    {"alder\\fp98\\Themes\\harbour\\theme.css", "alder harbour style\r\n", false},
    {"alder\\fp98\\Themes\\harbour\\harbour.inf", "[info]\r\ntitle=Harbour, Alder's\r\n", false},
    {"alder\\fp98\\Themes\\alder\\alder.css", "alder style\r\n", false},
    {"alder\\fp98\\Themes\\alder\\images\\dot.gif", "GIF89a alder dot", true},
    {"alder\\common\\Pages\\alder\\page.htm", "<html>alder</html>\r\n", false},
};
// Birch replaces the same style, and a file Alder made, and brings a theme.
const KitFile kBirch[] = {
    {"birch\\intro.txt", "Birch kit\r\n", false},
    {"birch\\common\\Themes\\harbour\\theme.css", "birch harbour style\r\n", false},
    {"birch\\common\\Themes\\alder\\alder.css", "birch over alder\r\n", false},
    {"birch\\common\\Themes\\birch\\birch.css", "birch style\r\n", false},
};

// The state a user sees: the FrontPage folder, the data folders (journals
// without their times and checksums) and the kits' entries.
struct MachineState {
    std::map<std::string, std::string> frontPage;
    std::map<std::string, std::string> dataFolders;
    std::map<std::string, std::string> entries;
};

// Every file with its content (" (read-only)" after it for such a file) and
// every folder with a trailing backslash.
std::map<std::string, std::string> AttributedTree(const std::string& folder)
{
    std::map<std::string, std::string> tree = Tree(folder);
    for (auto& entry : tree) {
        const DWORD attributes = GetFileAttributesW(WideOf(folder + "\\" + entry.first).c_str());
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY))
            entry.second += " (read-only)";
    }
    return tree;
}

std::vector<std::string> SplitText(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// A journal as its meaning: without the times of its installations and the
// checksums of its lines, with the last kit name alone, and a handed folder
// or a gone file once (a removal run again may record it twice).
std::string JournalMeaning(const std::string& journal)
{
    std::vector<std::string> lines;
    std::string kit;
    for (const std::string& line : SplitText(journal, '\n')) {
        std::vector<std::string> fields = SplitText(line.substr(0, line.find('\r')), '\t');
        if (fields.size() > 1)
            fields.pop_back();
        if (fields[0] == "begin" && fields.size() > 2)
            fields[2] = "<time>";
        std::string meaning;
        for (const std::string& field : fields)
            meaning += field + " ";
        if (fields[0] == "kit") {
            kit = meaning;
            continue;
        }
        const bool once = fields[0] == "handed" || fields[0] == "gone";
        if (!once || std::find(lines.begin(), lines.end(), meaning) == lines.end())
            lines.push_back(meaning);
    }
    lines.push_back(kit);
    std::string meaning;
    for (const std::string& line : lines)
        meaning += line + "\n";
    return meaning;
}

// The values of each kit's entry in Programs and Features, by "entry\value".
std::map<std::string, std::string> EntryValues()
{
    std::map<std::string, std::string> values;
    for (const std::string& entry : World::RemovalEntries()) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideOf(World::RemovalKey(entry)).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            continue;
        wchar_t name[256];
        BYTE data[4096];
        for (DWORD i = 0, nameSize = 256, type = 0, size = sizeof data;
             RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data, &size) == ERROR_SUCCESS;
             ++i, nameSize = 256, size = sizeof data) {
            values[entry + "\\" + Utf8Of(name)] = std::to_string(type) + ":" + std::string((char*)data, size);
        }
        RegCloseKey(key);
    }
    return values;
}

void SetEntryValues(const std::map<std::string, std::string>& values)
{
    for (const std::string& entry : World::RemovalEntries())
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, WideOf(World::RemovalKey(entry)).c_str());
    for (const auto& value : values) {
        const size_t slash = value.first.find('\\');
        const size_t colon = value.second.find(':');
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, WideOf(World::RemovalKey(value.first.substr(0, slash))).c_str(), 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        const std::string data = value.second.substr(colon + 1);
        RegSetValueExW(key, WideOf(value.first.substr(slash + 1)).c_str(), 0,
                       (DWORD)std::stoul(value.second.substr(0, colon)), (const BYTE*)data.data(), (DWORD)data.size());
        RegCloseKey(key);
    }
}

// One run of the program: which, and with what.
struct ProgramRun {
    std::string program;
    std::string arguments;
};

enum class Step {
    InstallAlder,
    InstallBirch,
    RemoveAlder,
    RemoveBirch,
    // The user changes Alder's replacement of the read-only descriptor.
    ChangeDescriptor,
    // A folder stands where Birch's last file goes: its copy fails.
    BlockBirch,
    // The installation cut short half-way, as a crash leaves it.
    InstallAlderCutShort,
    InstallBirchCutShort,
};

struct Scenario {
    const char* name;
    // From a fresh world to where the run starts.
    std::vector<Step> before;
    Step run;
    // Its exit code uncut: the installation fails and is undone, or not.
    DWORD exitCode;
};

const Scenario kScenarios[] = {
    {"InstallAlder", {}, Step::InstallAlder, 0},
    {"InstallBirchOverAlder", {Step::InstallAlder}, Step::InstallBirch, 0},
    // Alder again over itself: it replaces every file it installed.
    {"ReinstallAlder", {Step::InstallAlder}, Step::InstallAlder, 0},
    {"RemoveAlderUnderBirch", {Step::InstallAlder, Step::InstallBirch, Step::ChangeDescriptor}, Step::RemoveAlder, 0},
    {"RemoveBirchOverAlder", {Step::InstallAlder, Step::InstallBirch}, Step::RemoveBirch, 0},
    {"UndoAlderCutShort", {Step::InstallAlderCutShort}, Step::InstallAlder, 0},
    {"UndoBirchCutShort", {Step::InstallAlder, Step::InstallBirchCutShort}, Step::InstallBirch, 0},
    {"BirchFailsAndIsUndone", {Step::InstallAlder, Step::BlockBirch}, Step::InstallBirch, 4},
};

// How each run of a scenario is cut short: dead at every change it makes,
// with the FrontPage folder on the data folders' volume (backups renamed)
// or on another (backups copied, and restored by copies); or with a full
// disk, the FrontPage folder's or the data folders', at every page it writes.
enum class Fault { Crash, CrashOnTwoVolumes, FrontPageDiskFull, DataDiskFull };

const char* const kFaultNames[] = {"", "OnTwoVolumes", "WithFrontPageDiskFull", "WithDataDiskFull"};

struct FaultCase {
    Scenario scenario;
    Fault fault;
};

void PrintTo(const FaultCase& c, std::ostream* out)
{
    *out << c.scenario.name << kFaultNames[(int)c.fault];
}

// The data folders' disk fills at every page but those of the program copy,
// whose pages all fail alike: the registration.
const int kDataPages = 16;

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The kit a step installs or removes.
std::string KitIdOf(Step step)
{
    return step == Step::InstallAlder || step == Step::RemoveAlder ? "Alder kit" : "Birch kit";
}

// The data folders but what the kit `kitId` has there, under its id or a
// name made of it.
std::map<std::string, std::string> WithoutKit(std::map<std::string, std::string> tree, const std::string& kitId)
{
    for (auto file = tree.begin(); file != tree.end();)
        file = file->first.compare(0, kitId.size(), kitId) == 0 ? tree.erase(file) : std::next(file);
    return tree;
}

testing::AssertionResult SameState(const MachineState& expected, const MachineState& actual)
{
    if (expected.frontPage != actual.frontPage)
        return testing::AssertionFailure() << "the FrontPage folder differs";
    if (expected.dataFolders != actual.dataFolders)
        return testing::AssertionFailure() << "the data folders differ";
    if (expected.entries != actual.entries)
        return testing::AssertionFailure() << "the entries in Programs and Features differ";
    return testing::AssertionSuccess();
}

// What differs, file by file, for a failure's message.
std::string Differences(const std::map<std::string, std::string>& expected,
                        const std::map<std::string, std::string>& actual)
{
    std::string text;
    for (const auto& file : expected) {
        auto found = actual.find(file.first);
        if (found == actual.end())
            text += "  missing: " + file.first + "\n";
        else if (found->second != file.second && file.second.size() < 2000)
            text += "  differs: " + file.first + ": [" + found->second + "] instead of [" + file.second + "]\n";
        else if (found->second != file.second)
            text += "  differs: " + file.first + "\n";
    }
    for (const auto& file : actual) {
        if (!expected.count(file.first))
            text += "  extra: " + file.first + "\n";
    }
    return text;
}

std::string Differences(const MachineState& expected, const MachineState& actual)
{
    return "FrontPage:\n" + Differences(expected.frontPage, actual.frontPage) + "Data folders:\n" +
           Differences(expected.dataFolders, actual.dataFolders) + "Entries:\n" +
           Differences(expected.entries, actual.entries);
}

class CrashPoints : public WizardTest, public testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(world.IsReady());
        m_frontPage = world.Path("FrontPage");
        if (Cut() != Fault::Crash) {
            m_disk = std::make_unique<SmallDisk>(world.Path("disk"), Cut() == Fault::CrashOnTwoVolumes ? "16m" : "1m");
            ASSERT_TRUE(m_disk->IsMounted());
            m_drive = std::make_unique<MappedDrive>(m_disk->Folder());
            ASSERT_TRUE(m_drive->IsMapped());
            m_frontPage = m_drive->Root() + "\\FrontPage";
        }
        // The registry's Common Files folder, where the data folders are, on
        // a small disk of its own while the test runs.
        if (Cut() == Fault::DataDiskFull) {
            m_dataDisk = std::make_unique<SmallDisk>(world.Path("data-disk"), "4m");
            ASSERT_TRUE(m_dataDisk->IsMounted());
            m_dataDrive = std::make_unique<MappedDrive>(m_dataDisk->Folder());
            ASSERT_TRUE(m_dataDrive->IsMapped());
            m_commonFiles = World::CommonFiles();
            ASSERT_TRUE(MakeFolders(m_dataDrive->Root() + "\\Common Files"));
            ASSERT_TRUE(SetCommonFiles(m_dataDrive->Root() + "\\Common Files"));
        }
        ASSERT_TRUE(world.InstallFrontPage98At(m_frontPage));
        ASSERT_TRUE(WriteFileBytes(m_frontPage + "\\themes\\harbour\\theme.css", "the original harbour style\r\n"));
        ASSERT_TRUE(WriteFileBytes(m_frontPage + "\\themes\\harbour\\harbour.inf", "[info]\r\ntitle=Harbour\r\n"));
        ASSERT_TRUE(SetFileAttributesW(WideOf(m_frontPage + "\\themes\\harbour\\harbour.inf").c_str(),
                                       FILE_ATTRIBUTE_READONLY));
        for (const KitFile* kit : {std::begin(kAlder), std::begin(kBirch)}) {
            for (const KitFile* file = kit; file != (kit == kAlder ? std::end(kAlder) : std::end(kBirch)); ++file) {
                ASSERT_TRUE(world.WriteFile(file->path, file->text));
                if (file->readOnly) {
                    ASSERT_TRUE(SetFileAttributesW(WideOf(world.Path(file->path)).c_str(), FILE_ATTRIBUTE_READONLY));
                }
            }
        }
    }

    void TearDown() override
    {
        if (!m_commonFiles.empty()) {
            World::RemoveDataFolders();
            EXPECT_TRUE(SetCommonFiles(m_commonFiles));
        }
    }

    Fault Cut() const { return GetParam().fault; }

    static bool SetCommonFiles(const std::string& folder)
    {
        const std::wstring value = WideOf(folder);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideOf(kCurrentVersion).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return false;
        const LONG status = RegSetValueExW(key, L"CommonFilesDir", 0, REG_SZ, (const BYTE*)value.c_str(),
                                           (DWORD)((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    // The disk that fills.
    const SmallDisk& Full() const { return Cut() == Fault::FrontPageDiskFull ? *m_disk : *m_dataDisk; }

    // Cuts `run` short at its point `point`: a crash there, or a disk full
    // but for that many pages. False when the run, with that much room,
    // ended as it would uncut: there is no such point.
    bool CutShort(const ProgramRun& run, long point, long changes, DWORD exitCode, const MachineState& ended)
    {
        if (Cut() == Fault::Crash || Cut() == Fault::CrashOnTwoVolumes) {
            if (point > changes)
                return false;
            EXPECT_EQ(kCrashed, Execute(run, point));
            return true;
        }
        EXPECT_TRUE(Fill(Full(), (int)point));
        const DWORD ran = Execute(run, 0);
        EXPECT_TRUE(Free(Full()));
        return !(ran == exitCode && bool(SameState(ended, State()))) &&
               !(Cut() == Fault::DataDiskFull && point > kDataPages);
    }

    static std::string CrashProgram() { return ExeFolder() + "\\fernwick_crashpoint.exe"; }
    static std::string DataFolder(const char* kitId) { return World::DataFolders() + "\\" + kitId; }

    ProgramRun RunOf(Step step) const
    {
        switch (step) {
        case Step::InstallAlder:
        case Step::InstallAlderCutShort:
            return {CrashProgram(), "/VERYSILENT /NOLOG \"/KIT=" + world.Path("alder") + "\""};
        case Step::InstallBirch:
        case Step::InstallBirchCutShort:
            return {CrashProgram(), "/VERYSILENT /NOLOG \"/KIT=" + world.Path("birch") + "\""};
        case Step::RemoveAlder:
            return {DataFolder("Alder kit") + "\\fernwick.exe", "/UNINSTALL /VERYSILENT"};
        case Step::RemoveBirch:
            return {DataFolder("Birch kit") + "\\fernwick.exe", "/UNINSTALL /VERYSILENT"};
        default:
            return {};
        }
    }

    // Runs `run` to its end, cut at change `crashAt` (0: never); its exit
    // code, and how many changes it made when it ran to its end.
    DWORD Execute(const ProgramRun& run, long crashAt, long* changes = nullptr)
    {
        const std::string count = world.Path("changes.txt");
        DeleteFileA(count.c_str());
        SetEnvironmentVariableA("FERNWICK_CRASH_AT", std::to_string(crashAt).c_str());
        SetEnvironmentVariableA("FERNWICK_CHANGES", count.c_str());
        Launch(run.arguments, world.Path(""), run.program);
        SetEnvironmentVariableA("FERNWICK_CRASH_AT", nullptr);
        SetEnvironmentVariableA("FERNWICK_CHANGES", nullptr);
        if (!app->WaitForExit(120000))
            return STILL_ACTIVE;
        if (changes)
            *changes = std::atol(ReadFileBytes(count).c_str());
        return app->ExitCode();
    }

    bool Prepare(Step step)
    {
        switch (step) {
        case Step::ChangeDescriptor:
            SetFileAttributesW(WideOf(m_frontPage + "\\themes\\harbour\\harbour.inf").c_str(), FILE_ATTRIBUTE_NORMAL);
            return WriteFileBytes(m_frontPage + "\\themes\\harbour\\harbour.inf", "[info]\r\ntitle=My harbour\r\n");
        case Step::BlockBirch:
            return MakeFolders(m_frontPage + "\\themes\\birch\\birch.css");
        case Step::InstallAlderCutShort:
        case Step::InstallBirchCutShort: {
            const ProgramRun run = RunOf(step);
            long changes = 0;
            const std::string snapshot = Snapshot("uncut");
            if (Execute(run, 0, &changes) != 0 || changes < 2)
                return false;
            Restore(snapshot);
            return Execute(run, changes / 2) == kCrashed;
        }
        default:
            return Execute(RunOf(step), 0) == 0;
        }
    }

    // The state of the world, saved whole below the world's folder; its name.
    std::string Snapshot(const std::string& name)
    {
        const std::string folder = world.Path("snapshots\\" + name);
        m_entries[name] = EntryValues();
        MakeFolders(folder);
        EXPECT_TRUE(RunShell("cp -a " + ShellQuote(UnixPath(m_frontPage)) + " " +
                             ShellQuote(UnixPath(folder) + "/frontpage") + " && (! [ -e " +
                             ShellQuote(UnixPath(World::DataFolders())) + " ] || cp -a " +
                             ShellQuote(UnixPath(World::DataFolders())) + " " +
                             ShellQuote(UnixPath(folder) + "/fernwick") + ")"));
        return name;
    }

    void Restore(const std::string& name)
    {
        const std::string folder = UnixPath(world.Path("snapshots\\" + name));
        const std::string frontPage = UnixPath(m_frontPage);
        const std::string data = UnixPath(World::DataFolders());
        ASSERT_TRUE(RunShell("rm -rf " + ShellQuote(frontPage) + " " + ShellQuote(data) + " && cp -a " +
                             ShellQuote(folder + "/frontpage") + " " + ShellQuote(frontPage) + " && (! [ -e " +
                             ShellQuote(folder + "/fernwick") + " ] || cp -a " + ShellQuote(folder + "/fernwick") +
                             " " + ShellQuote(data) + ")"));
        SetEntryValues(m_entries[name]);
    }

    // What the last removal's log says it left as it was.
    std::vector<std::string> KeptLines() const
    {
        std::vector<std::string> kept;
        for (const std::string& line : SplitText(ReadFileBytes(world.LogFolder() + "\\fernwick-uninstall.log"), '\n')) {
            for (const char* prefix : {"Kept changed file: ", "Original kept as: ", "Original not restored: "}) {
                if (line.compare(0, strlen(prefix), prefix) == 0)
                    kept.push_back(line);
            }
        }
        return kept;
    }

    MachineState State() const
    {
        MachineState state;
        state.frontPage = AttributedTree(m_frontPage);
        state.dataFolders = AttributedTree(World::DataFolders());
        for (auto& file : state.dataFolders) {
            if (file.first.size() > 11 && file.first.compare(file.first.size() - 11, 11, "journal.txt") == 0)
                file.second = JournalMeaning(file.second);
        }
        state.entries = EntryValues();
        return state;
    }

    std::string Journal(Step step) const
    {
        return ReadFileBytes(DataFolder(KitIdOf(step).c_str()) + "\\journal.txt");
    }

    // Whether the run's own installation has closed in its journal (`before`,
    // the journal as the run found it): cut short after that, it is
    // complete, and the user installs it again.
    bool InstallationClosed(Step step, const std::string& before) const
    {
        auto closed = [](const std::string& journal) {
            size_t count = 0;
            for (size_t at = 0; (at = journal.find("\nend\t", at)) != std::string::npos; ++at)
                ++count;
            return count;
        };
        return closed(Journal(step)) > closed(before);
    }

    // Fills the disk `disk` but for `pages` pages of 4 KiB.
    static bool Fill(const SmallDisk& disk, int pages)
    {
        const std::string folder = ShellQuote(UnixPath(disk.Folder()));
        return RunShell("fallocate -l $(( $(stat -f -c '%a*%S' " + folder + ") - " + std::to_string(pages * 4096) +
                        " )) " + folder + "/filler");
    }

    static bool Free(const SmallDisk& disk)
    {
        return RunShell("rm -f " + ShellQuote(UnixPath(disk.Folder()) + "/filler"));
    }

    std::string m_frontPage;
    std::unique_ptr<SmallDisk> m_disk;
    std::unique_ptr<MappedDrive> m_drive;
    std::unique_ptr<SmallDisk> m_dataDisk;
    std::unique_ptr<MappedDrive> m_dataDrive;
    std::string m_commonFiles;
    std::map<std::string, std::map<std::string, std::string>> m_entries;
};

TEST_P(CrashPoints, EndAsTheRunWouldHaveOnceTheUserRunsItAgain)
{
    const Scenario& scenario = GetParam().scenario;
    for (Step step : scenario.before)
        ASSERT_TRUE(Prepare(step)) << (int)step;
    const std::string start = Snapshot("start");
    const ProgramRun run = RunOf(scenario.run);
    const bool removal = scenario.run == Step::RemoveAlder || scenario.run == Step::RemoveBirch;
    const std::string journal = Journal(scenario.run);

    // Where the run ends uncut, and where it ends when run once more.
    long changes = 0;
    ASSERT_EQ(scenario.exitCode, Execute(run, 0, &changes));
    ASSERT_GT(changes, 0);
    const MachineState ended = State();
    const std::vector<std::string> kept = KeptLines();
    MachineState again = ended;
    if (!removal) {
        ASSERT_EQ(scenario.exitCode, Execute(run, 0));
        again = State();
    }

    const bool crash = Cut() == Fault::Crash || Cut() == Fault::CrashOnTwoVolumes;
    long point = crash ? 1 : 0;
    int deadEntries = 0;
    for (;; ++point) {
        SCOPED_TRACE((crash ? "cut at change " : "room for pages: ") + std::to_string(point));
        Restore(start);
        if (!CutShort(run, point, changes, scenario.exitCode, ended))
            break;
        const bool closed = !removal && InstallationClosed(scenario.run, journal);
        SCOPED_TRACE(std::string(closed ? "its installation closed" : "its installation not closed") +
                     ", the journal then:\n" + Journal(scenario.run));
        // A removal cut after moving its program away has nothing to run
        // again; cut before removing its entry, the entry stays, and
        // Programs and Features offers to take it off the list. All that
        // is left of the kit is in names no kit has.
        if (removal && !PathExists(run.program)) {
            const std::string entry = std::string("Fernwick ") + KitIdOf(scenario.run);
            if (RegDeleteKeyW(HKEY_LOCAL_MACHINE, WideOf(World::RemovalKey(entry)).c_str()) == ERROR_SUCCESS)
                ++deadEntries;
            const MachineState state = State();
            EXPECT_EQ(ended.frontPage, state.frontPage) << Differences(ended, state);
            EXPECT_EQ(WithoutKit(ended.dataFolders, KitIdOf(scenario.run)),
                      WithoutKit(state.dataFolders, KitIdOf(scenario.run)))
                << Differences(ended, state);
            EXPECT_EQ(ended.entries, state.entries);
            continue;
        }
        // The user runs it again (with room on the disk).
        ASSERT_EQ(scenario.exitCode, Execute(run, 0));
        const MachineState& expected = closed && scenario.exitCode == 0 ? again : ended;
        const MachineState state = State();
        EXPECT_TRUE(SameState(expected, state)) << Differences(expected, state);
        // Run again, a removal names what the run would have named, no more.
        if (removal) {
            EXPECT_EQ(kept, KeptLines());
        }
    }
    std::printf("%s%s: %ld points cut, %d of them leaving an entry with nothing to run\n", scenario.name,
                kFaultNames[(int)Cut()], crash ? point - 1 : point, deadEntries);
    EXPECT_LE(deadEntries, 2);
}

std::vector<FaultCase> AllCases()
{
    std::vector<FaultCase> cases;
    for (Fault fault : {Fault::Crash, Fault::CrashOnTwoVolumes, Fault::FrontPageDiskFull, Fault::DataDiskFull}) {
        for (const Scenario& scenario : kScenarios)
            cases.push_back({scenario, fault});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CrashPoints, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.scenario.name) + kFaultNames[(int)info.param.fault];
                         });

} // namespace
} // namespace e2e

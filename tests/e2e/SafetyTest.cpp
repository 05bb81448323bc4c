// Safe to run from any folder: a whole installation with files named like
// system libraries and programs planted beside the wizard and in the kit, or
// beside a setup with the kit packed into it, in a downloads folder. Wine's
// own trace of the wizard (every file it opened, every module it loaded)
// shows that none of them was touched, and that the wizard read nothing in
// those folders but the kit's own files.
#include "WizardTest.h"

#include <fstream>
#include <set>

#include "Unix.h"

namespace e2e {
namespace {

// Libraries that the wizard, or the system libraries it uses, load once it
// runs. Left out are those that Wine's loader resolves before the program's
// first instruction (kernel32, msvcrt, user32, advapi32 and what they import):
// Windows takes those from the system folder whatever the search path, as
// known libraries, and no program can change where they come from.
const char* const kLibraries[] = {
    "comctl32.dll", "shell32.dll",  "shlwapi.dll",  "uxtheme.dll",  "dwmapi.dll",   "comdlg32.dll",
    "oleaut32.dll", "shcore.dll",
    "winmm.dll",    "cryptbase.dll", "propsys.dll", "profapi.dll",  "userenv.dll",  "apphelp.dll",
    "riched20.dll", "riched32.dll", "msftedit.dll", "textshaping.dll", "windowscodecs.dll", "winspool.drv",
};

// Libraries that Wine's own built-in libraries load as delayed imports, with
// what those import: Wine looks for them beside the program whatever the
// program asked for (Windows does not), but no longer in the current folder
// once the program has taken that out of the search. They are planted in the
// kit when the program lies elsewhere.
const char* const kDelayedByWine[] = {"ole32.dll", "combase.dll", "rpcrt4.dll", "msimg32.dll"};

// Programs the wizard, or the system on its behalf, might start.
const char* const kPrograms[] = {
    "notepad.exe", "explorer.exe", "cmd.exe", "rundll32.exe", "conhost.exe", "winedbg.exe", "start.exe",
};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

// The Windows path inside a trace line's L"..." text, without its NT prefix.
std::string TracedPath(const std::string& line, size_t quote)
{
    std::string path;
    for (size_t i = quote + 1; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        path += line[i];
    }
    if (path.compare(0, 4, "\\??\\") == 0)
        path.erase(0, 4);
    return Lower(path);
}

// What the trace says the wizard and the programs it started did.
struct Trace {
    std::set<std::string> attempted;  // every file asked to be opened
    std::set<std::string> missing;    // those that were not there
    std::vector<std::string> modules; // every module loaded, with how
};

Trace ReadTrace(const std::string& path)
{
    Trace trace;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        size_t at;
        if (line.find(":trace:file:NtCreateFile ") != std::string::npos && (at = line.find("name=L\"")) != std::string::npos)
            trace.attempted.insert(TracedPath(line, at + 6));
        else if (line.find(":warn:file:NtCreateFile L\"") != std::string::npos)
            trace.missing.insert(TracedPath(line, line.find("L\"") + 1));
        else if ((at = line.find(":trace:loaddll:build_module Loaded L\"")) != std::string::npos)
            trace.modules.push_back(TracedPath(line, line.find("L\"", at) + 1) + line.substr(line.rfind(':')));
    }
    return trace;
}

// Every file and folder below `folder`, in lower case, the folder included;
// folders also with the trailing backslash by which they are opened.
void ListTree(const std::string& folder, std::set<std::string>& paths)
{
    paths.insert(Lower(folder));
    paths.insert(Lower(folder) + "\\");
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(folder + "\\" + name, paths);
        else
            paths.insert(Lower(folder + "\\" + name));
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

bool Inside(const std::string& path, const std::string& folder)
{
    return path == folder || path.compare(0, folder.size() + 1, folder + "\\") == 0;
}

struct Placement {
    const char* name;
    const char* exeFolder;  // below the world, where the wizard's program lies
    // The program is a setup with the kit packed into it, downloaded into
    // exeFolder; the kit's folder is gone.
    bool packed;
};

// The folder where a setup unpacks its kit, from the paths of the trace: a
// new one below the temporary folder; empty when the trace shows none.
std::string UnpackFolder(const Trace& trace)
{
    char temp[MAX_PATH];
    const std::string prefix = Lower(std::string(temp, GetTempPathA(MAX_PATH, temp))) + "fernwick-kit-";
    for (const std::string& path : trace.attempted) {
        if (path.compare(0, prefix.size(), prefix) == 0)
            return path.substr(0, path.find('\\', prefix.size()));
    }
    return std::string();
}

bool IsPlantedName(const std::string& path)
{
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    for (const char* planted : kLibraries) {
        if (name == planted)
            return true;
    }
    for (const char* planted : kDelayedByWine) {
        if (name == planted)
            return true;
    }
    for (const char* planted : kPrograms) {
        if (name == planted)
            return true;
    }
    return false;
}

class SafeFromAnyFolder : public WizardTest, public testing::WithParamInterface<Placement> {
protected:
    // Starts the wizard in `folder` through the Unix shell, with Wine's trace
    // of opened files and loaded modules going to `tracePath`, and with Wine
    // told to prefer a library file it finds over its own built-in one, as
    // Windows does.
    void StartTraced(const std::string& exe, const std::string& folder, const std::string& tracePath)
    {
        std::string overrides = "mscoree,mshtml=";
        for (const char* library : kLibraries)
            overrides += std::string(overrides.back() == '=' ? ";" : ",") + std::string(library, strlen(library) - 4);
        for (const char* library : kDelayedByWine)
            overrides += "," + std::string(library, strlen(library) - 4);
        overrides += "=n,b";
        ASSERT_NO_FATAL_FAILURE(LaunchFromUnix(
            exe, folder, "WINEDEBUG=+pid,+file,+loaddll WINEDLLOVERRIDES=" + ShellQuote(overrides),
            "2>" + ShellQuote(UnixPath(tracePath))));
        ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
    }
};

TEST_P(SafeFromAnyFolder, LoadsAndRunsNothingPlantedAndReadsOnlyTheKit)
{
    const Placement& placement = GetParam();
    ASSERT_TRUE(world.AddReadme());
    ASSERT_TRUE(world.WriteFile("kit\\license.txt", "Use the themes on any web.\r\n"));
    ASSERT_TRUE(MakeFolders(world.Path(placement.exeFolder)));
    const std::string exe = world.Path(std::string(placement.exeFolder) + "\\" +
                                       (placement.packed ? "harbour-lights-setup.exe" : "fernwick.exe"));
    std::set<std::string> allowed;
    ListTree(world.KitFolder(), allowed);
    // The kit's files by their names below the kit folder, wherever it is unpacked.
    std::set<std::string> kitFiles;
    for (const std::string& path : allowed)
        kitFiles.insert(path.substr(Lower(world.KitFolder()).size()));
    allowed.insert(Lower(exe));
    if (placement.packed) {
        // The folder the setup starts in is its current folder, opened as such.
        allowed.insert(Lower(world.Path(placement.exeFolder)));
        allowed.insert(Lower(world.Path(placement.exeFolder)) + "\\");
        ASSERT_TRUE(PackSetup(world.KitFolder(), exe));
        RemoveTree(world.KitFolder());
    } else {
        ASSERT_TRUE(CopyFileA((ExeFolder() + "\\fernwick.exe").c_str(), exe.c_str(), FALSE));
    }

    std::vector<std::string> planted;
    std::vector<std::string> folders = {placement.packed ? placement.exeFolder : "kit"};
    if (!placement.packed && folders[0] != placement.exeFolder) {
        folders.push_back(placement.exeFolder);
        for (const char* library : kDelayedByWine) {
            ASSERT_TRUE(world.PlantLibrary("kit", library));
            planted.push_back(std::string("kit\\") + library);
        }
    }
    for (const std::string& folder : folders) {
        for (const char* library : kLibraries) {
            ASSERT_TRUE(world.PlantLibrary(folder, library));
            planted.push_back(folder + "\\" + library);
        }
        for (const char* program : kPrograms) {
            ASSERT_TRUE(world.PlantProgram(folder, program));
            planted.push_back(folder + "\\" + program);
        }
    }

    const std::string tracePath = world.Path("trace.txt");
    ASSERT_NO_FATAL_FAILURE(StartTraced(exe, world.Path(folders[0]), tracePath));
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->Step("licence", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    ASSERT_TRUE(app->AnswerDialog("ready")) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();
    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    // "Finish" with the readme offered: Notepad shows it, from the system folder.
    app->Control(IDOK).Click();
    Window notepad;
    ASSERT_TRUE(WaitUntil([&] { return (notepad = app->ChildWindow("readme.txt")) || app->HasExited(); }));
    ASSERT_TRUE(notepad) << app->Describe();
    EXPECT_TRUE(CloseProgramWindow(notepad));
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();

    for (const std::string& file : planted)
        EXPECT_FALSE(PathExists(world.PlantedMark(file))) << file << " was run or loaded";

    const Trace trace = ReadTrace(tracePath);
    // Kept for a look when something is amiss: the world goes with the test.
    const std::string kept = ExeFolder() + "\\screenshots\\trace-" + placement.name + ".txt";
    MakeFolders(ExeFolder() + "\\screenshots");
    CopyFileA(tracePath.c_str(), kept.c_str(), FALSE);
    const std::string kit = Lower(world.KitFolder());
    const std::string own = Lower(world.Path(placement.exeFolder));
    // The setup's folder of its own, and the kit's folder in it, named as the packed one.
    const std::string unpackRoot = UnpackFolder(trace);
    const std::string unpacked = unpackRoot.empty() ? unpackRoot : unpackRoot + "\\kit";
    // The trace is real: it saw the wizard start and read the kit.
    EXPECT_TRUE(trace.attempted.count((placement.packed ? unpacked : kit) + "\\intro.txt"))
        << "no trace of the kit in " << tracePath;
    ASSERT_FALSE(trace.modules.empty());
    EXPECT_EQ(trace.modules.front(), Lower(exe) + ": native");
    // A setup reads nothing of the folder its kit was packed from; its
    // unpacked kit's folder holds the kit's files alone, none is loaded from
    // there, and the folder is gone.
    EXPECT_EQ(placement.packed, !unpacked.empty());
    if (placement.packed) {
        EXPECT_FALSE(PathExists(unpackRoot));
        for (const std::string& path : trace.attempted) {
            EXPECT_FALSE(Inside(path, kit)) << path;
            if (!Inside(path, unpacked))
                continue;
            if (trace.missing.count(path)) {
                EXPECT_FALSE(IsPlantedName(path)) << path << " was looked for";
            } else {
                EXPECT_TRUE(kitFiles.count(path.substr(unpacked.size()))) << path << " is no file of the kit";
            }
        }
    }

    for (const std::string& file : planted)
        EXPECT_FALSE(trace.attempted.count(Lower(world.Path(file)))) << file << " was looked for";
    for (const std::string& path : trace.attempted) {
        if ((Inside(path, kit) || Inside(path, own)) && !trace.missing.count(path)) {
            EXPECT_TRUE(allowed.count(path)) << path << " is no file of the kit";
        }
    }
    for (const std::string& module : trace.modules) {
        std::string path = module.substr(0, module.rfind(':'));
        if (path != Lower(exe)) {
            EXPECT_FALSE(Inside(path, kit) || Inside(path, own) || (!unpackRoot.empty() && Inside(path, unpackRoot)))
                << module;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Placements, SafeFromAnyFolder,
                         testing::Values(Placement{"InTheKit", "kit", false},
                                         Placement{"InAFolderOfItsOwn", "program", false},
                                         Placement{"PackedInDownloads", "Downloads", true}),
                         [](const testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

} // namespace
} // namespace e2e

// The file installation under faults made for real: a target disk that fills
// up in the middle of a copy, targets that cannot be replaced, paths too long
// for the system, a kit folder that loops back on itself, a log whose disk
// fills up, and names of every kind. The engine reports each as a failed
// system call, never claims a copy it did not make, and undoes what it did.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "Bytes.h"
#include "InstallWorld.h"
#include "Text.h"
#include "win/Strings.h"

namespace {

// The "Copied file: " lines of a log, without their prefix.
std::vector<std::string> CopiedFiles(const std::vector<std::string>& log)
{
    std::vector<std::string> files;
    for (const std::string& line : log) {
        if (line.compare(0, 13, "Copied file: ") == 0)
            files.push_back(line.substr(13));
    }
    return files;
}

// The report of a failed system call, as the warning box showed it, and then
// only the undo of the installation: a blank line (the end of the system's
// text), "Undoing the installation...", its steps, "Installation undone".
void ExpectReportThenUndo(const InstallWorld& world, const std::string& firstLine, DWORD code)
{
    ASSERT_EQ(1u, world.host.boxes.size());
    const std::string& box = world.host.boxes[0];
    EXPECT_EQ(0u, box.find(firstLine + "\nReason: (" + std::to_string(code) + ") ")) << box;
    std::vector<std::string> log = world.Log();
    auto report = std::find(log.begin(), log.end(), firstLine);
    ASSERT_NE(log.end(), report) << "no report in the log";
    ASSERT_LT(report + 3, log.end());
    EXPECT_EQ(0u, (report + 1)->find("Reason: (" + std::to_string(code) + ") "));
    EXPECT_EQ("", *(report + 2));
    EXPECT_EQ("Undoing the installation...", *(report + 3));
    EXPECT_EQ("Installation undone", log.back());
    for (auto line = report + 4; line != log.end() - 1; ++line)
        EXPECT_TRUE(line->compare(0, 14, "Removed file: ") == 0 || line->compare(0, 16, "Removed folder: ") == 0 ||
                    line->compare(0, 15, "Restored file: ") == 0)
            << "in the undo: " << *line;
}

TEST(InstallFault, TargetDiskFullInTheMiddleOfACopy)
{
    InstallWorld world;
    SmallDisk disk(world.folder / "disk", "1m");
    ASSERT_TRUE(disk.IsMounted());
    MappedDrive drive(disk.Folder());
    ASSERT_TRUE(drive.IsMapped());
    world.target.themesFolder = drive.Root() + "\\Themes";
    ASSERT_TRUE(CreateDirectoryA(world.target.themesFolder.c_str(), nullptr));
    // An earlier installation's folder, which this one fills.
    std::string earlier = world.target.themesFolder + "\\big";
    CreateDirectoryA(earlier.c_str(), nullptr);
    std::vector<std::string> sources;
    for (int i = 0; i < 8; ++i) {
        std::string relative = "fp98\\themes\\big\\part" + std::to_string(i) + ".bin";
        world.folder.Write("kit\\" + relative, SeededBytes(i, 300 * 1024));
        sources.push_back(relative);
    }

    const Outcome outcome = world.Install();

    EXPECT_NE(Outcome::Installed, outcome);
    std::vector<std::string> log = world.Log();
    std::vector<std::string> copied = CopiedFiles(log);
    EXPECT_GT(copied.size(), 0u);
    EXPECT_LT(copied.size(), sources.size());
    ASSERT_EQ(1u, world.host.boxes.size());
    std::string failed = world.host.boxes[0].substr(19, world.host.boxes[0].find('\n') - 19);
    ExpectReportThenUndo(world, "File copy failed:: " + failed, ERROR_DISK_FULL);
    // Each file copied is removed again, last first; the one that met the
    // full disk left nothing behind to remove.
    std::vector<std::string> removed;
    for (const std::string& line : log) {
        if (line.compare(0, 14, "Removed file: ") == 0)
            removed.push_back(line.substr(14));
    }
    EXPECT_EQ(std::vector<std::string>(copied.rbegin(), copied.rend()), removed);
    const std::map<std::string, std::string> before = {{"big\\", ""}};
    EXPECT_EQ(before, Tree(world.target.themesFolder));
}

struct Unreplaceable {
    const char* what;
    // Spoils the world; returns what must stay alive during the installation.
    std::function<std::shared_ptr<void>(InstallWorld&)> spoil;
    const char* prefix;        // of the report
    const char* subject;       // below the themes target, or empty for that folder itself
    DWORD code;
};

TEST(InstallFault, TargetsThatCannotBeReplaced)
{
    const Unreplaceable cases[] = {
        {"a kit file held by another program",
         [](InstallWorld& world) -> std::shared_ptr<void> {
             return std::make_shared<FileLock>(world.folder / "kit\\fp98\\themes\\blue\\theme.css");
         },
         "File copy failed:", "blue\\theme.css", ERROR_SHARING_VIOLATION},
        {"a folder where the target file should be",
         [](InstallWorld& world) -> std::shared_ptr<void> {
             world.folder.MakeDir("fp\\Themes\\blue\\theme.css");
             return std::make_shared<int>(0);
         },
         "File copy failed:", "blue\\theme.css", ERROR_ACCESS_DENIED},
        {"a file where the target folder should be",
         [](InstallWorld& world) -> std::shared_ptr<void> {
             world.folder.Write("fp\\Themes\\blue", "a file");
             return std::make_shared<int>(0);
         },
         "File copy failed:", "blue\\theme.css", ERROR_PATH_NOT_FOUND},
        {"a target path longer than the system allows",
         [](InstallWorld& world) -> std::shared_ptr<void> {
             world.target.themesFolder = world.folder.MakeDir("fp\\" + std::string(200, 'd')) + "\\" +
                                           std::string(60, 'e');
             return std::make_shared<int>(0);
         },
         "Failed to create folder:", "", ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Unreplaceable& c : cases) {
        InstallWorld world;
        world.folder.Write("kit\\fp98\\themes\\blue\\theme.css", "body { color: blue; }");
        world.folder.Write("kit\\common\\pages\\notice\\notice.htm", "<html></html>");
        std::shared_ptr<void> spoiled = c.spoil(world);
        const Outcome outcome = world.Install();
        EXPECT_NE(Outcome::Installed, outcome) << c.what;
        std::string subject = world.target.themesFolder + (*c.subject ? "\\" : "") + c.subject;
        ExpectReportThenUndo(world, std::string(c.prefix) + ": " + subject, c.code);
        // Nothing of the later passes was tried.
        for (const std::string& line : world.Log())
            EXPECT_EQ(std::string::npos, line.find("page templates")) << c.what;
        EXPECT_TRUE(CopiedFiles(world.Log()).empty()) << c.what;
    }
}

TEST(InstallFault, HeldTargetAmongOthersCancelledOrRetried)
{
    // The originals of a folder are kept ahead of its copies: one held by
    // another program, wherever it comes in the folder's listing, is kept only
    // once it is free, and none is copied over before it is kept.
    struct Case {
        const char* what;
        RetryAnswer answer;
        Outcome outcome;
        const char* content; // of every target afterwards
    };
    const Case cases[] = {
        {"cancelled", RetryAnswer::Cancel, Outcome::Cancelled, "earlier"},
        {"retried once free", RetryAnswer::Retry, Outcome::Installed, "new"},
    };
    const char* const names[] = {"a.css", "b.css", "c.css", "held.css", "d.css", "e.css"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallWorld world;
        std::vector<std::string> targets;
        for (const char* name : names) {
            world.folder.Write(std::string("kit\\fp98\\themes\\blue\\") + name, "new");
            targets.push_back(world.folder.Write(std::string("fp\\Themes\\blue\\") + name, "earlier"));
        }
        const std::string held = world.target.themesFolder + "\\blue\\held.css";
        auto lock = std::make_shared<FileLock>(held);
        ASSERT_TRUE(lock->IsHeld());
        world.host.answer = [&](const std::string&) {
            lock.reset();
            return c.answer;
        };
        EXPECT_EQ(c.outcome, world.Install());
        lock.reset();
        EXPECT_EQ(std::vector<std::string>{held}, world.host.asked);
        EXPECT_TRUE(world.host.boxes.empty());
        for (const std::string& target : targets)
            EXPECT_EQ(c.content, ReadFileBytes(target)) << target;
        const std::vector<std::string> log = world.Log();
        EXPECT_EQ(1, std::count(log.begin(), log.end(), "File in use: " + held));
        if (c.outcome == Outcome::Cancelled) {
            // Then the undo, restoring the files copied before the question.
            auto cancelled = std::find(log.begin(), log.end(), "User cancelled installation");
            ASSERT_TRUE(cancelled != log.end() && cancelled + 1 != log.end());
            EXPECT_EQ("Undoing the installation...", *(cancelled + 1));
            EXPECT_EQ("Installation undone", log.back());
            continue;
        }
        for (const char* name : names)
            EXPECT_EQ("earlier", ReadFileBytes(world.kit.dataFolder + "\\backup\\1\\1\\blue\\" + name)) << name;
    }
}

TEST(InstallFault, FolderLoopInTheKitEndsWithAReport)
{
    InstallWorld world;
    world.folder.Write("kit\\fp98\\themes\\blue\\theme.css", "body {}");
    std::string link = UnixPath(world.folder / "kit\\fp98\\themes\\blue") + "/loop";
    ASSERT_TRUE(RunShell("ln -s .. " + ShellQuote(link)));
    const Outcome outcome = world.Install();
    RunShell("rm " + ShellQuote(link));
    EXPECT_NE(Outcome::Installed, outcome);
    std::vector<std::string> log = world.Log();
    // Counted once, the loop not followed.
    EXPECT_EQ("Total files = 1", log[1]);
    ExpectReportThenUndo(world, "Folder loop in kit:: fp98\\themes\\blue\\loop", ERROR_CANT_RESOLVE_FILENAME);
}

TEST(InstallFault, LogDiskFullTheInstallationGoesOn)
{
    InstallWorld world;
    SmallDisk disk(world.folder / "logdisk", "16k");
    ASSERT_TRUE(disk.IsMounted());
    ASSERT_TRUE(world.OpenLog(disk.Folder()));
    const int kFiles = 300;
    for (int i = 0; i < kFiles; ++i)
        world.folder.Write("kit\\fp98\\themes\\blue\\file" + std::to_string(i) + ".css", std::to_string(i));
    const Outcome outcome = world.Install();
    EXPECT_EQ(Outcome::Installed, outcome);
    for (int i = 0; i < kFiles; ++i)
        EXPECT_EQ(std::to_string(i), ReadFileBytes(world.target.themesFolder + "\\blue\\file" + std::to_string(i) + ".css"));
    std::string bytes = ReadFileBytes(world.host.log.Path());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ("\r\n", bytes.substr(bytes.size() - 2)) << "the last line is cut";
    std::vector<std::string> copied = CopiedFiles(world.Log());
    EXPECT_GT(copied.size(), 0u);
    EXPECT_LT(copied.size(), (size_t)kFiles);
}

TEST(InstallFault, NamesOfEveryKind)
{
    // Blanks, dots, characters of the system's code page (1252 here) and of
    // other scripts, and a name that brings the target path to the longest
    // the system allows, in characters, not bytes of UTF-8. The log, in the code
    // page, has '?' for each character the code page lacks.
    struct Name {
        std::string name;
        std::string logged;
    };
    const Name cafe = {u8"café été", "caf\xe9 \xe9t\xe9"};
    const Name names[] = {
        {"My Theme", "My Theme"}, {"v1.2.3", "v1.2.3"}, {".hidden", ".hidden"}, cafe, {"a b.c d", "a b.c d"},
        {u8"Κύμα", "????"},       {u8"桜の庭", "???"},   {u8"😀 smile", "? smile"},
    };
    InstallWorld world;
    world.target.themesFolder = world.folder.MakeDir("Front Page 2000.x\\" + cafe.name + "\\Themes");
    const std::string loggedFolder = world.folder / ("Front Page 2000.x\\" + cafe.logged + "\\Themes");
    const std::string longItem = "long";
    size_t room = MAX_PATH - 1 - (WideOf(world.target.themesFolder).size() + 1 + longItem.size() + 1);
    for (const Name& name : names)
        world.folder.Write("kit\\fp98\\themes\\" + name.name + "\\" + name.name + ".css", name.name);
    world.folder.MakeDir("kit\\fp98\\themes\\" + longItem);
    // Linux takes names of 255 bytes at most: a few Greek letters, then ASCII.
    std::string longName = u8"νννν" + std::string(room - 4, 'n');
    std::string kitLong = world.folder / ("kit\\fp98\\themes\\" + longItem);
    ASSERT_TRUE(RunShell("echo -n longest > " + ShellQuote(UnixPath(kitLong) + "/" + longName)));
    const Outcome outcome = world.Install();
    EXPECT_EQ(Outcome::Installed, outcome) << (world.host.boxes.empty() ? "" : world.host.boxes[0]);
    std::vector<std::string> copied = CopiedFiles(world.Log());
    for (const Name& name : names) {
        std::string target = world.target.themesFolder + "\\" + name.name + "\\" + name.name + ".css";
        EXPECT_EQ(name.name, ReadFileBytes(target)) << name.name;
        std::string logged = loggedFolder + "\\" + name.logged + "\\" + name.logged + ".css";
        EXPECT_NE(copied.end(), std::find(copied.begin(), copied.end(), logged)) << name.name;
    }
    std::string longTarget = world.target.themesFolder + "\\" + longItem + "\\" + longName;
    EXPECT_EQ((size_t)MAX_PATH - 1, WideOf(longTarget).size());
    EXPECT_EQ("longest", ReadFileBytes(longTarget));
}

} // namespace

// The journal of an installation and its undo, against real files and
// folders: an installation cut short after every one of its steps, an undo
// cut short and run again, an undo step that fails, and the backups of two
// installations, on the same volume and on another.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "Support.h"
#include "digest/FileDigest.h"
#include "journal/DataFolder.h"
#include "journal/Journal.h"
#include "journal/JournalFile.h"
#include "journal/Undo.h"
#include "uninstall/KitRemoval.h"
#include "win/FileSystem.h"
#include "win/SystemError.h"

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeReadOnly(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

void Overwrite(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);
}

// Reads the journal `path`; false, with the last error, when it is refused.
bool Read(const std::string& path, JournalContents& contents)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool read = ReadJournal(file, contents);
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return read;
}

// `records` as the lines of a journal of the current format.
std::string JournalText(const std::vector<std::vector<std::string>>& records)
{
    std::string text = JournalLine({kJournalHeader});
    for (const std::vector<std::string>& record : records)
        text += JournalLine(record);
    return text;
}

// A kit's data folder, a kit and a themes folder that an earlier
// installation left files in, in a scratch folder.
struct JournalWorld {
    JournalWorld() : data(DataFolderPath(folder.Path(), "", "Harbour Lights")), root(folder.MakeDir("Themes"))
    {
        EXPECT_TRUE(CreateDataFolder(data));
        folder.Write("Themes\\old\\theme.css", "original theme");
        MakeReadOnly(folder.Write("Themes\\old\\bullet.gif", "original bullet"));
        folder.Write("Themes\\other.css", "untouched");
        folder.Write("kit\\new.css", "new style");
        // Copied read-only, as the kit's files keep their attributes: the system refuses to delete it as it is.
        MakeReadOnly(folder.Write("kit\\a.gif", "new image"));
        folder.Write("kit\\fp98.css", "version theme");
        MakeReadOnly(folder.Write("kit\\bullet.gif", "new bullet"));
        folder.Write("kit\\common.css", "common theme");
        folder.Write("kit\\common.htm", "common page");
    }

    // `lines` with "<T>" standing for the themes folder, between the undo's
    // first and last line.
    std::vector<std::string> UndoLines(const std::vector<std::string>& lines) const
    {
        std::vector<std::string> all = {"Undoing the installation..."};
        for (std::string line : lines) {
            size_t at = line.find("<T>");
            if (at != std::string::npos)
                line.replace(at, 3, root);
            all.push_back(line);
        }
        all.push_back("Installation undone");
        return all;
    }

    std::string Journal() const { return data + "\\journal.txt"; }
    // Where the file an installation replaced at `path` goes when the user changed what replaced it.
    std::string KeptOriginal(int session, const std::string& path) const
    {
        return folder / ("Fernwick\\(Kept originals)\\Harbour Lights\\" + std::to_string(session) + "\\" +
                         path.substr(0, 1) + path.substr(2));
    }

    TempFolder folder;
    std::string data;
    std::string root;
};

std::vector<std::string> Undo(const std::string& data, bool expected = true)
{
    std::vector<std::string> lines;
    KeptFiles kept;
    EXPECT_EQ(expected, UndoUnfinishedSession(data, [&](const std::string& line) { lines.push_back(line); }, kept));
    return lines;
}

// An installation into the world's themes folder, made step by step as the
// copy stage makes it.
struct Installation {
    explicit Installation(JournalWorld& world) : world(world) {}

    std::string T(const std::string& relative) const { return world.root + "\\" + relative; }
    bool Copy(const std::string& kitFile, const std::string& target) const
    {
        return CopyFileA((world.folder / ("kit\\" + kitFile)).c_str(), T(target).c_str(), FALSE) != FALSE;
    }
    void Digest(int entry, const std::string& target)
    {
        unsigned long long size = 0;
        std::string digest;
        EXPECT_TRUE(DigestFile(T(target), size, digest));
        journal.AddDigest(entry, size, digest);
    }

    JournalWorld& world;
    Journal journal;
    int root = 0;
};

struct Step {
    const char* what;
    std::function<bool(Installation&)> run;
};

// Entries: 1 folder new, 2 folder new\images, 3 new.css, 4 a.gif, 5 and 7
// theme.css replaced (by the version's copy, then by the common one), 6 the
// read-only bullet.gif replaced, 8 common.htm.
const Step kSteps[] = {
    {"begun", [](Installation& i) { return i.journal.Begin(i.world.data, {i.world.root}) && (i.root = 1); }},
    {"first folder's entries committed",
     [](Installation& i) {
         i.journal.AddFolder(i.T("new"));
         i.journal.AddFolder(i.T("new\\images"));
         i.journal.AddNewFile(i.T("new\\new.css"));
         i.journal.AddNewFile(i.T("new\\images\\a.gif"));
         i.journal.AddReplacedFile(i.root, i.T("old\\theme.css"));
         i.journal.AddReplacedFile(i.root, i.T("old\\bullet.gif"));
         return i.journal.Commit();
     }},
    {"folder created", [](Installation& i) { return CreateDirectoryA(i.T("new").c_str(), nullptr) != FALSE; }},
    {"sub-folder created", [](Installation& i) { return CreateDirectoryA(i.T("new\\images").c_str(), nullptr) != FALSE; }},
    {"new file copied", [](Installation& i) { return i.Copy("new.css", "new\\new.css"); }},
    {"second new file copied", [](Installation& i) { return i.Copy("a.gif", "new\\images\\a.gif"); }},
    {"replaced file kept", [](Installation& i) { return i.journal.Keep(i.root, i.T("old\\theme.css")); }},
    {"its new copy in", [](Installation& i) { return i.Copy("fp98.css", "old\\theme.css"); }},
    {"read-only file kept", [](Installation& i) { return i.journal.Keep(i.root, i.T("old\\bullet.gif")); }},
    {"its read-only copy in", [](Installation& i) { return i.Copy("bullet.gif", "old\\bullet.gif"); }},
    {"second folder's entries committed",
     [](Installation& i) {
         i.Digest(3, "new\\new.css");
         i.Digest(4, "new\\images\\a.gif");
         i.Digest(5, "old\\theme.css");
         i.Digest(6, "old\\bullet.gif");
         i.journal.AddReplacedFile(i.root, i.T("old\\theme.css"));
         i.journal.AddNewFile(i.T("new\\common.htm"));
         return i.journal.Commit();
     }},
    {"own copy kept again", [](Installation& i) { return i.journal.Keep(i.root, i.T("old\\theme.css")); }},
    {"replaced again", [](Installation& i) { return i.Copy("common.css", "old\\theme.css"); }},
    {"last file copied", [](Installation& i) { return i.Copy("common.htm", "new\\common.htm"); }},
    {"closed",
     [](Installation& i) {
         i.Digest(7, "old\\theme.css");
         i.Digest(8, "new\\common.htm");
         return i.journal.End();
     }},
};
const int kClosed = sizeof kSteps / sizeof kSteps[0];

// Runs the first `count` steps, then leaves the journal as a killed process does.
void InstallSteps(JournalWorld& world, int count)
{
    Installation installation(world);
    for (int n = 0; n < count; ++n)
        ASSERT_TRUE(kSteps[n].run(installation)) << kSteps[n].what;
}

const char kFolderNew[] = "Removed folder: <T>\\new";
const char kFolderImages[] = "Removed folder: <T>\\new\\images";
const char kFileNew[] = "Removed file: <T>\\new\\new.css";
const char kFileGif[] = "Removed file: <T>\\new\\images\\a.gif";
const char kFileHtm[] = "Removed file: <T>\\new\\common.htm";
const char kRestoredTheme[] = "Restored file: <T>\\old\\theme.css";
const char kRestoredBullet[] = "Restored file: <T>\\old\\bullet.gif";

// What the disk holds besides the journal's lines, as a crash leaves it.
enum class Damage {
    None,
    // The last line cut in the middle, as a write the process did not finish.
    LastLineCut,
    // Zeros after the last line: the file grew, its data never reached the disk.
    ZerosAtEnd,
};

void Inflict(Damage damage, const std::string& journal)
{
    std::string text = ReadFileBytes(journal);
    if (damage == Damage::LastLineCut) {
        size_t last = text.rfind("\r\n", text.size() - 3) + 2;
        text.resize(last + (text.size() - last) / 2);
    } else if (damage == Damage::ZerosAtEnd) {
        text.append(64, '\0');
    } else {
        return;
    }
    HANDLE file = CreateFileA(journal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);
}

TEST(Journal, UndoFromEveryPointOfAnInstallationCutShort)
{
    struct Case {
        int killedAfter;
        Damage damage;
        std::vector<std::string> lines;
    };
    const std::vector<std::string> all = {kFileHtm, kRestoredTheme, kRestoredBullet, kFileGif, kFileNew, kFolderImages, kFolderNew};
    const Case cases[] = {
        {1, Damage::None, {}},
        {2, Damage::None, {}},
        {2, Damage::LastLineCut, {}},
        {3, Damage::None, {kFolderNew}},
        {4, Damage::None, {kFolderImages, kFolderNew}},
        {5, Damage::None, {kFileNew, kFolderImages, kFolderNew}},
        {6, Damage::None, {kFileGif, kFileNew, kFolderImages, kFolderNew}},
        // Between moving the file into the backup and copying the new one in.
        {7, Damage::None, {kRestoredTheme, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        {8, Damage::None, {kRestoredTheme, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        {9, Damage::None, {kRestoredBullet, kRestoredTheme, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        {10, Damage::None, {kRestoredBullet, kRestoredTheme, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        // From here the later entry of theme.css puts its first backup back.
        {11, Damage::None, {kRestoredTheme, kRestoredBullet, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        {11, Damage::LastLineCut, {kRestoredTheme, kRestoredBullet, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        {12, Damage::None, {kRestoredTheme, kRestoredBullet, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        {13, Damage::None, {kRestoredTheme, kRestoredBullet, kFileGif, kFileNew, kFolderImages, kFolderNew}},
        {14, Damage::None, all},
        {14, Damage::ZerosAtEnd, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("killed after step " + std::to_string(c.killedAfter) + " (" + kSteps[c.killedAfter - 1].what +
                     "), damage " + std::to_string((int)c.damage));
        JournalWorld world;
        const auto before = Tree(world.root);
        InstallSteps(world, c.killedAfter);
        Inflict(c.damage, world.Journal());

        EXPECT_TRUE(UnfinishedInstallationIn(world.data));
        EXPECT_EQ(world.UndoLines(c.lines), Undo(world.data));
        EXPECT_EQ(before, Tree(world.root));
        EXPECT_FALSE(UnfinishedInstallationIn(world.data));
        // Nothing else was ever installed from there: the data folder went with the journal.
        EXPECT_FALSE(Exists(world.folder / "Fernwick"));
    }

    // A closed installation is nothing to undo.
    JournalWorld world;
    InstallSteps(world, kClosed);
    const auto installed = Tree(world.root);
    EXPECT_EQ("common theme", installed.at("old\\theme.css"));
    EXPECT_EQ("new bullet (read-only)", installed.at("old\\bullet.gif"));
    EXPECT_FALSE(UnfinishedInstallationIn(world.data));
    EXPECT_EQ(std::vector<std::string>(), Undo(world.data));
    EXPECT_EQ(installed, Tree(world.root));
}

TEST(Journal, UndoCutShortRunsAgainToTheEnd)
{
    struct Interrupted {};
    const std::vector<std::string> steps = {kFileHtm,  kRestoredTheme, kRestoredBullet, kFileGif,
                                            kFileNew, kFolderImages, kFolderNew};
    // Killed right after the k-th step's change and its log line, before the
    // journal marks it done.
    for (size_t k = 1; k <= steps.size(); ++k) {
        SCOPED_TRACE("cut short after undo step " + std::to_string(k));
        JournalWorld world;
        const auto before = Tree(world.root);
        InstallSteps(world, kClosed - 1);
        size_t logged = 0;
        try {
            KeptFiles kept;
            UndoUnfinishedSession(
                world.data,
                [&](const std::string&) {
                    if (logged++ == k)
                        throw Interrupted();
                },
                kept);
            ADD_FAILURE() << "not cut short";
        } catch (const Interrupted&) {
        }
        EXPECT_TRUE(UnfinishedInstallationIn(world.data));
        EXPECT_EQ(world.UndoLines(std::vector<std::string>(steps.begin() + k, steps.end())), Undo(world.data));
        EXPECT_EQ(before, Tree(world.root));
        EXPECT_EQ(std::vector<std::string>(), Undo(world.data));
    }
}

TEST(Journal, UndoStepThatFailsIsLoggedAndKeptForLater)
{
    JournalWorld world;
    const auto before = Tree(world.root);
    InstallSteps(world, kClosed - 1);
    const std::string held = world.root + "\\new\\new.css";
    {
        FileLock lock(held);
        ASSERT_TRUE(lock.IsHeld());
        std::vector<std::string> expected = world.UndoLines({kFileHtm, kRestoredTheme, kRestoredBullet, kFileGif});
        expected.pop_back();
        expected.push_back("Undo failed: " + held);
        expected.push_back("Reason: " + SystemErrorText(ERROR_SHARING_VIOLATION));
        expected.push_back("Removed folder: " + world.root + "\\new\\images");
        // The folder still holds the file that could not be removed.
        expected.push_back("Undo failed: " + world.root + "\\new");
        expected.push_back("Reason: " + SystemErrorText(ERROR_DIR_NOT_EMPTY));
        EXPECT_EQ(expected, Undo(world.data, false));
        EXPECT_TRUE(UnfinishedInstallationIn(world.data));
        EXPECT_TRUE(Exists(held));
    }
    // Once the other program lets go, the undo finishes what is left.
    EXPECT_EQ(world.UndoLines({kFileNew, kFolderNew}), Undo(world.data));
    EXPECT_EQ(before, Tree(world.root));
    EXPECT_FALSE(Exists(world.folder / "Fernwick"));
}

TEST(Journal, BackupsOfTwoInstallationsStayApart)
{
    struct Case {
        const char* where;
        bool otherVolume;
    };
    const Case cases[] = {{"same volume", false}, {"another volume", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        JournalWorld world;
        std::unique_ptr<SmallDisk> disk;
        std::unique_ptr<MappedDrive> drive;
        std::string targets = world.folder.Path();
        if (c.otherVolume) {
            disk.reset(new SmallDisk(world.folder / "disk", "4m"));
            ASSERT_TRUE(disk->IsMounted());
            drive.reset(new MappedDrive(disk->Folder()));
            ASSERT_TRUE(drive->IsMapped());
            targets = drive->Root();
        }
        // The same file below two roots: themes and pages.
        const std::string themes = targets + "\\Themes2";
        const std::string pages = targets + "\\Pages2";
        const std::string theme = themes + "\\moss\\moss.css";
        const std::string page = pages + "\\moss\\moss.css";
        const std::string added = themes + "\\moss\\added.gif";
        world.folder.Write("kit\\first.css", "first kit");
        world.folder.Write("kit\\second.css", "second kit");
        ASSERT_TRUE(CreateDirectoryA(themes.c_str(), nullptr) && CreateDirectoryA((themes + "\\moss").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(pages.c_str(), nullptr) && CreateDirectoryA((pages + "\\moss").c_str(), nullptr));
        auto put = [](const std::string& path, const std::string& text) {
            HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
            CloseHandle(file);
        };
        put(theme, "original theme");
        put(page, "original page");
        auto copy = [&](const char* kitFile, const std::string& to) {
            return CopyFileA((world.folder / (std::string("kit\\") + kitFile)).c_str(), to.c_str(), FALSE) != FALSE;
        };

        // The first installation replaces the theme and is closed.
        Journal first;
        ASSERT_TRUE(first.Begin(world.data, {themes}));
        int root = 1;
        int entry = first.AddReplacedFile(root, theme);
        ASSERT_TRUE(first.Commit() && first.Keep(root, theme) && copy("first.css", theme));
        unsigned long long size = 0;
        std::string digest;
        ASSERT_TRUE(DigestFile(theme, size, digest));
        first.AddDigest(entry, size, digest);
        ASSERT_TRUE(first.End());
        const auto installed = Tree(targets);

        // The second replaces it again, and the page, adds a file, and is killed.
        {
            Journal second;
            ASSERT_TRUE(second.Begin(world.data, {themes, pages}));
            int themesRoot = 1;
            int pagesRoot = 2;
            second.AddReplacedFile(themesRoot, theme);
            second.AddReplacedFile(pagesRoot, page);
            second.AddNewFile(added);
            // The theme once more, as from the common root after the version's.
            second.AddReplacedFile(themesRoot, theme);
            ASSERT_TRUE(second.Commit());
            ASSERT_TRUE(second.Keep(themesRoot, theme));
            // Moved on the same volume; across volumes copied, for the new copy to replace.
            EXPECT_EQ(c.otherVolume, Exists(theme));
            ASSERT_TRUE(copy("second.css", theme));
            ASSERT_TRUE(second.Keep(pagesRoot, page) && copy("second.css", page));
            ASSERT_TRUE(copy("second.css", added));
            ASSERT_TRUE(second.Keep(themesRoot, theme) && copy("second.css", theme));
        }
        const std::string backups = world.data + "\\backup\\";
        EXPECT_EQ("original theme", ReadFileBytes(backups + "1\\1\\moss\\moss.css"));
        EXPECT_EQ("first kit", ReadFileBytes(backups + "2\\1\\moss\\moss.css"));
        EXPECT_EQ("original page", ReadFileBytes(backups + "2\\2\\moss\\moss.css"));

        const std::vector<std::string> undone = {"Undoing the installation...", "Restored file: " + theme,
                                                 "Removed file: " + added, "Restored file: " + page,
                                                 "Installation undone"};
        EXPECT_EQ(undone, Undo(world.data));
        EXPECT_EQ(installed, Tree(targets));
        // The first installation's backup stays, for its removal later.
        EXPECT_EQ("original theme", ReadFileBytes(backups + "1\\1\\moss\\moss.css"));
        EXPECT_FALSE(Exists(world.data + "\\backup\\2"));

        // What the journal keeps of the first: its change, closed, with the installed file's size and digest.
        HANDLE file = CreateFileA(world.Journal().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        JournalContents contents;
        EXPECT_TRUE(ReadJournal(file, contents));
        CloseHandle(file);
        ASSERT_EQ(1u, contents.sessions.size());
        const JournalSession& session = contents.sessions[0];
        EXPECT_TRUE(session.closed);
        ASSERT_EQ(1u, session.entries.size());
        EXPECT_EQ(JournalEntry::ReplacedFile, session.entries[0].kind);
        EXPECT_EQ(theme, session.entries[0].path);
        EXPECT_EQ("backup\\1\\1\\moss\\moss.css", session.entries[0].backup);
        EXPECT_TRUE(session.entries[0].hasDigest);
        EXPECT_EQ(9u, session.entries[0].size);
        // SHA-256 of "first kit".
        EXPECT_EQ("a6f3db98535296b746045878de3d9f5d91f69fca24ad4ea9f0b90721588729a3", session.entries[0].digest);
    }
}

TEST(Journal, ADamagedByteRefusesItButInTheLastLineALineCutShortLeaves)
{
    JournalWorld world;
    InstallSteps(world, kClosed);
    ASSERT_TRUE(AppendJournalRecord(world.data, {kRecordKitName, "Harbour Lights"}));
    const std::string whole = ReadFileBytes(world.Journal());
    const size_t lastLine = whole.rfind("\r\n", whole.size() - 3) + 2;
    const auto installed = Tree(world.root);
    int line = 1;
    for (size_t at = 0; at < whole.size(); line += whole[at++] == '\n') {
        std::string damaged = whole;
        damaged[at] ^= 0x20;
        Overwrite(world.Journal(), damaged);
        JournalContents contents;
        if (at >= lastLine) {
            ASSERT_TRUE(Read(world.Journal(), contents)) << at;
            EXPECT_EQ((LONGLONG)lastLine, contents.end) << at;
            ASSERT_EQ(1u, contents.sessions.size()) << at;
            EXPECT_TRUE(contents.sessions[0].closed) << at;
            EXPECT_EQ("", contents.kitName) << at;
            continue;
        }
        ASSERT_FALSE(Read(world.Journal(), contents)) << at;
        EXPECT_EQ((DWORD)ERROR_INVALID_DATA, GetLastError()) << at;
        EXPECT_EQ(line, contents.damagedLine) << at;
    }
    // Refused, the journal changes nothing, and says where it is damaged.
    std::string damaged = whole;
    const size_t at = whole.find("\r\nfile\t") + 4;
    damaged[at] = 'x';
    Overwrite(world.Journal(), damaged);
    KeptFiles kept;
    std::vector<std::string> lines;
    EXPECT_FALSE(UndoUnfinishedInstallations(world.data, [&](const std::string& text) { lines.push_back(text); }, kept));
    const int damagedLine = 1 + (int)std::count(whole.begin(), whole.begin() + at, '\n');
    EXPECT_EQ(std::vector<std::string>({"Failed to read journal: " + world.Journal() + ", line " + std::to_string(damagedLine),
                                        "Reason: " + SystemErrorText(ERROR_INVALID_DATA)}),
              lines);
    EXPECT_EQ(installed, Tree(world.root));
    EXPECT_EQ(damaged, ReadFileBytes(world.Journal()));
}

TEST(Journal, PathsOnlyBelowTheTargetFoldersItsInstallationRecorded)
{
    JournalWorld world;
    const std::string& t = world.root;
    const std::vector<std::string> begin = {kRecordBegin, "1", "2026-12-08T05:40:00Z", t};
    struct Case {
        const char* what;
        std::vector<std::string> record;
        bool read;
    };
    const Case cases[] = {
        {"a file below it", {kRecordFile, t + "\\new\\new.css"}, true},
        {"a file elsewhere", {kRecordFile, "C:\\windows\\system.ini"}, false},
        {"the folder itself as a file", {kRecordFile, t}, false},
        {"a file out of it by ..", {kRecordFile, t + "\\..\\outside.css"}, false},
        {"a file out of it by /..", {kRecordFile, t + "\\new/../../outside.css"}, false},
        {"a relative file", {kRecordFile, "new\\new.css"}, false},
        {"a stream", {kRecordFile, t + "\\new.css:hidden"}, false},
        {"a folder below it", {kRecordFolder, t + "\\new"}, true},
        {"the folder itself, made", {kRecordFolder, t}, true},
        {"a folder on the way to it", {kRecordFolder, ParentFolder(t)}, true},
        {"a folder elsewhere", {kRecordFolder, "C:\\windows\\system32"}, false},
        {"a replaced file and its backup", {kRecordReplace, t + "\\old\\theme.css", "backup\\1\\1\\old\\theme.css"}, true},
        {"a backup of another folder", {kRecordReplace, t + "\\old\\theme.css", "backup\\1\\2\\old\\theme.css"}, false},
        {"a backup of another installation", {kRecordReplace, t + "\\old\\theme.css", "backup\\2\\1\\old\\theme.css"}, false},
        {"a backup out of the data folder", {kRecordReplace, t + "\\old\\theme.css", "backup\\1\\1\\..\\..\\journal.txt"}, false},
        {"a record of no kind", {"copy", t + "\\new.css"}, false},
    };
    for (const Case& c : cases) {
        Overwrite(world.Journal(), JournalText({begin, c.record}));
        JournalContents contents;
        EXPECT_EQ(c.read, Read(world.Journal(), contents)) << c.what;
        EXPECT_EQ(c.read ? 0 : 3, contents.damagedLine) << c.what;
    }
    // Records of no installation lie where one recorded, too.
    const std::vector<std::string> end = {kRecordEnd, "1"};
    const Case after[] = {
        {"a file gone below it", {kRecordGone, t + "\\old\\theme.css"}, true},
        {"a file gone elsewhere", {kRecordGone, "C:\\windows\\system.ini"}, false},
        {"a folder handed below it", {kRecordHanded, t + "\\new"}, true},
        {"a folder handed elsewhere", {kRecordHanded, "D:\\other"}, false},
    };
    for (const Case& c : after) {
        Overwrite(world.Journal(), JournalText({begin, end, c.record}));
        JournalContents contents;
        EXPECT_EQ(c.read, Read(world.Journal(), contents)) << c.what;
    }
}

TEST(Journal, FirstFormatReadAndWrittenInTheCurrentOneFromItsFirstChange)
{
    JournalWorld world;
    const std::string created = world.root + "\\new.css";
    const std::string replaced = world.root + "\\old\\theme.css";
    world.folder.Write("Themes\\new.css", "new style");
    world.folder.Write("Fernwick\\Harbour Lights\\backup\\1\\1\\old\\theme.css", "original theme");
    world.folder.Write("Themes\\old\\theme.css", "new theme");
    // SHA-256 of "new style" and "new theme".
    const std::vector<std::string> lines = {
        "Fernwick journal 1",
        "begin\t1\t2026-01-02T03:04:05Z",
        "file\t" + created,
        "replace\t" + replaced + "\tbackup\\1\\1\\old\\theme.css",
        "digest\t1\t9\t5ab52f129c89f069b3b95b2ffccf5e37a22725b5d6c2595fef230be06168aa16",
        "digest\t2\t9\t22d62406a550a32b5c03704259bde395f4d242f3d2f4e5547c498d48f348c88b",
        "end\t1",
        "kit\tHarbour Lights",
    };
    std::string first;
    for (const std::string& line : lines)
        first += line + "\r\n";
    struct Case {
        const char* what;
        std::string text;
        bool read;
        size_t sessions;
        const char* kitName;
    };
    const Case cases[] = {
        {"as written", first, true, 1, "Harbour Lights"},
        {"its last line cut", first.substr(0, first.size() - 6), true, 1, ""},
        {"a line before the last no record", first.substr(0, first.find("end\t")) + "end\tx\r\nkit\tH\r\n", false, 0, ""},
    };
    for (const Case& c : cases) {
        Overwrite(world.Journal(), c.text);
        JournalContents contents;
        ASSERT_EQ(c.read, Read(world.Journal(), contents)) << c.what;
        EXPECT_EQ(c.read ? 0 : 7, contents.damagedLine) << c.what;
        ASSERT_EQ(c.sessions, contents.sessions.size()) << c.what;
        EXPECT_EQ(c.kitName, contents.kitName) << c.what;
        if (c.sessions) {
            EXPECT_TRUE(contents.sessions[0].roots.empty()) << c.what;
            EXPECT_EQ(2u, contents.sessions[0].entries.size()) << c.what;
        }
    }
    // Its first change rewrites it whole in the current format.
    Overwrite(world.Journal(), first);
    ASSERT_TRUE(AppendJournalRecord(world.data, {kRecordHanded, world.root + "\\new"}));
    std::string current = JournalLine({kJournalHeader});
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> fields;
        for (size_t start = 0, tab = 0; tab != std::string::npos; start = tab + 1)
            fields.push_back(lines[i].substr(start, (tab = lines[i].find('\t', start)) - start));
        current += JournalLine(fields);
    }
    current += JournalLine({kRecordHanded, world.root + "\\new"});
    EXPECT_EQ(current, ReadFileBytes(world.Journal()));
    EXPECT_FALSE(Exists(world.data + "\\journal.new"));
}

// The digests on disk tell what the user changed since: that stays, with
// what it replaced kept beside the data folder, and the folder it is in.
TEST(Journal, UndoKeepsWhatTheUserChangedWithWhatItReplaced)
{
    JournalWorld world;
    InstallSteps(world, kClosed - 1);
    const std::string changedNew = world.root + "\\new\\new.css";
    const std::string changedBullet = world.root + "\\old\\bullet.gif";
    SetFileAttributesA(changedBullet.c_str(), FILE_ATTRIBUTE_NORMAL);
    world.folder.Write("Themes\\new\\new.css", "my style");
    world.folder.Write("Themes\\old\\bullet.gif", "my bullet");
    const std::string original = world.KeptOriginal(1, changedBullet);
    EXPECT_EQ(world.UndoLines({kFileHtm, kRestoredTheme, "Kept changed file: " + changedBullet,
                               "Original kept as: " + original, kFileGif, "Kept changed file: " + changedNew,
                               kFolderImages}),
              Undo(world.data));
    const auto tree = Tree(world.root);
    EXPECT_EQ("my style", tree.at("new\\new.css"));
    EXPECT_EQ("my bullet", tree.at("old\\bullet.gif"));
    EXPECT_EQ("original theme", tree.at("old\\theme.css"));
    EXPECT_EQ("original bullet", ReadFileBytes(original));
    EXPECT_FALSE(Exists(world.data));
}

// Across volumes a restore copies beside the target, then renames over it;
// one the journal says began is finished, whatever stands at the target.
TEST(Journal, RestoreCutShortIsFinishedNeverTakenForAChange)
{
    JournalWorld world;
    SmallDisk disk(world.folder / "disk", "4m");
    ASSERT_TRUE(disk.IsMounted());
    MappedDrive drive(disk.Folder());
    ASSERT_TRUE(drive.IsMapped());
    const std::string themes = drive.Root() + "\\Themes";
    const std::string target = themes + "\\moss.css";
    ASSERT_TRUE(CreateDirectoryA(themes.c_str(), nullptr));
    Overwrite(target, "original moss");
    world.folder.Write("kit\\moss.css", "new moss");
    {
        Journal journal;
        ASSERT_TRUE(journal.Begin(world.data, {themes}));
        const int entry = journal.AddReplacedFile(1, target);
        ASSERT_TRUE(journal.Commit() && journal.Keep(1, target));
        ASSERT_TRUE(CopyFileA((world.folder / "kit\\moss.css").c_str(), target.c_str(), FALSE));
        unsigned long long size = 0;
        std::string digest;
        ASSERT_TRUE(DigestFile(target, size, digest));
        journal.AddDigest(entry, size, digest);
        ASSERT_TRUE(journal.Commit());
    }
    // Killed in the middle of putting it back: the copy beside it half made,
    // the target neither as installed nor as it was.
    ASSERT_TRUE(AppendJournalRecord(world.data, {kRecordRestore, "1", "1"}));
    Overwrite(target + ".fernwick-restoring", "origi");
    Overwrite(target, "new mo");
    EXPECT_EQ(std::vector<std::string>({"Undoing the installation...", "Restored file: " + target, "Installation undone"}),
              Undo(world.data));
    EXPECT_EQ((std::map<std::string, std::string>{{"moss.css", "original moss"}}), Tree(themes));
}

// Before anything touches a path, the unfinished installations of every kit
// are undone; a journal that cannot be read stops it all, changing nothing.
TEST(Journal, EveryKitsUnfinishedInstallationUndoneFirst)
{
    struct Case {
        const char* what;
        bool damaged;
    };
    for (const Case& c : {Case{"another kit cut short", false}, Case{"its journal damaged", true}}) {
        SCOPED_TRACE(c.what);
        JournalWorld world;
        const auto before = Tree(world.root);
        // This kit finished; another, over the same files, was cut short.
        InstallSteps(world, kClosed);
        const std::string other = DataFolderPath(world.folder.Path(), "", "Other kit");
        ASSERT_TRUE(CreateDataFolder(other));
        world.folder.Write("kit\\other.css", "other theme");
        {
            Journal journal;
            ASSERT_TRUE(journal.Begin(other, {world.root}));
            journal.AddReplacedFile(1, world.root + "\\old\\theme.css");
            ASSERT_TRUE(journal.Commit() && journal.Keep(1, world.root + "\\old\\theme.css"));
            ASSERT_TRUE(CopyFileA((world.folder / "kit\\other.css").c_str(), (world.root + "\\old\\theme.css").c_str(), FALSE));
        }
        std::string journal = ReadFileBytes(other + "\\journal.txt");
        if (c.damaged) {
            journal[journal.find("begin") + 1] = 'x';
            Overwrite(other + "\\journal.txt", journal);
        }
        std::vector<std::string> lines;
        KeptFiles kept;
        EXPECT_EQ(!c.damaged, UndoUnfinishedInstallations(world.data, [&](const std::string& line) { lines.push_back(line); }, kept));
        const std::vector<std::string> expected =
            c.damaged ? std::vector<std::string>{"Failed to read journal: " + other + "\\journal.txt, line 2",
                                                 "Reason: " + SystemErrorText(ERROR_INVALID_DATA)}
                      : std::vector<std::string>{"Installation of another kit cut short: " + other,
                                                 "Undoing the installation...",
                                                 "Restored file: " + world.root + "\\old\\theme.css",
                                                 "Installation undone"};
        EXPECT_EQ(expected, lines);
        EXPECT_EQ(c.damaged ? "other theme" : "common theme", Tree(world.root).at("old\\theme.css"));
        EXPECT_EQ(c.damaged, Exists(other));
        if (c.damaged)
            continue;
        // This kit's removal then puts back what was there before it.
        EXPECT_TRUE(TakeBackInstallations(world.data, [](const std::string&) {}, nullptr, RetryWait(), kept));
        EXPECT_EQ(before, Tree(world.root));
    }
}

} // namespace

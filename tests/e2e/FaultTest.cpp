// Whole installations under faults made for real: the wizard killed in the
// middle of a copy, a target disk that fills up, a target file held by
// another program, FrontPage running, and a kit on a read-only disc.
#include "WizardTest.h"

#include <algorithm>
#include <memory>

#include "Bytes.h"
#include "Unix.h"

namespace e2e {
namespace {

// The "Copied file: " lines of a log, without their prefix.
std::vector<std::string> CopiedLines(const std::string& log)
{
    std::vector<std::string> files;
    for (size_t at = 0; (at = log.find("Copied file: ", at)) != std::string::npos; at += 13)
        files.push_back(log.substr(at + 13, log.find("\r\n", at) - at - 13));
    return files;
}

using Faults = WizardTest;

TEST_F(Faults, KilledInTheMiddleOfACopyTheLogTellsWhatIsComplete)
{
    const int kFiles = 80;
    for (int i = 0; i < kFiles; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\themes\\harbour\\part" + std::to_string(i) + ".bin",
                                    SeededBytes(i, 512 * 1024)));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();
    app->Control(IDC_NEXT).Click();
    ASSERT_TRUE(WaitUntil([&] { return CopiedLines(Log()).size() >= 10; })) << Log();
    ASSERT_TRUE(app->Kill());

    const std::string log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ("\r\n", log.substr(log.size() - 2)) << "the last line is cut";
    size_t last = log.rfind("\r\n", log.size() - 3);
    EXPECT_EQ(0u, log.compare(last + 2, 13, "Copied file: ")) << "the last line names no copied file";
    std::vector<std::string> copied = CopiedLines(log);
    EXPECT_LT(copied.size(), (size_t)kFiles + 3) << "killed after the copy had ended";
    for (const std::string& file : copied) {
        std::string name = file.substr(file.find("\\themes\\") + 8);
        // The world's kit has "harbour" in the common root, everything else in "fp98".
        std::string root = name.compare(0, 8, "harbour\\") == 0 ? "common" : "fp98";
        EXPECT_TRUE(ReadFileBytes(file) == ReadFileBytes(world.Path("kit\\" + root + "\\themes\\" + name)))
            << file << " is not complete";
    }
}

// The lines of the undo that starts right after the log's header.
std::vector<std::string> UndoAtStart(const std::string& log)
{
    std::vector<std::string> lines;
    size_t at = 0;
    for (int header = 0; header < 6 && at != std::string::npos; ++header)
        at = log.find("\r\n", at) + 2;
    for (size_t end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
        lines.push_back(log.substr(at, end - at));
        if (lines.back() == "Installation undone")
            break;
    }
    return lines;
}

TEST_F(Faults, KilledInTheMiddleOfACopyTheNextStartUndoesIt)
{
    for (int i = 0; i < 80; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\themes\\harbour\\part" + std::to_string(i) + ".bin",
                                    SeededBytes(i, 512 * 1024)));
    // An earlier installation's theme, which this one replaces.
    ASSERT_TRUE(world.WriteFile("FrontPage\\themes\\harbour\\theme.css", SeededBytes(100, 3000)));
    const auto before = Tree(world.Path("FrontPage"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();
    ASSERT_TRUE(app->StartCopy()) << app->Describe();
    ASSERT_TRUE(WaitUntil([&] { return CopiedLines(Log()).size() >= 10; })) << Log();
    ASSERT_TRUE(app->Kill());
    const std::vector<std::string> copied = CopiedLines(Log());
    ASSERT_LT(copied.size(), 80u) << "killed after the copy had ended";
    ASSERT_TRUE(PathExists(World::KitDataFolder()));

    // Started again: the first "Next >" undoes it before anything else.
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();

    EXPECT_EQ(before, Tree(world.Path("FrontPage")));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
    const std::string log = Log();
    const std::vector<std::string> undo = UndoAtStart(log);
    ASSERT_GE(undo.size(), 2u) << log;
    EXPECT_EQ("Undoing the installation...", undo.front()) << log;
    EXPECT_EQ("Installation undone", undo.back()) << log;
    // Every file the first run copied is taken back, last first, then the
    // one folder it made. Before them may come the file it was copying when
    // killed, and the replaced theme when its original was kept ahead of a
    // copy not made yet.
    const std::string theme = world.Path("FrontPage\\themes\\harbour\\theme.css");
    const bool themeCopied = std::find(copied.begin(), copied.end(), theme) != copied.end();
    ASSERT_GE(undo.size(), copied.size() + 3) << log;
    const size_t ahead = undo.size() - copied.size() - 3;
    EXPECT_LE(ahead, themeCopied ? 1u : 2u) << log;
    for (size_t i = 1; i <= ahead; ++i)
        EXPECT_TRUE(undo[i] == "Restored file: " + theme || undo[i].rfind("Removed file: ", 0) == 0) << undo[i];
    EXPECT_EQ("Removed folder: " + world.Path("FrontPage\\themes\\Breeze"), undo[undo.size() - 2]);
    std::vector<std::string> steps(undo.end() - 2 - copied.size(), undo.end() - 2);
    std::vector<std::string> expected;
    for (auto file = copied.rbegin(); file != copied.rend(); ++file)
        expected.push_back((*file == theme ? "Restored file: " : "Removed file: ") + *file);
    EXPECT_EQ(expected, steps) << log;
    EXPECT_EQ(std::string("Checking FrontPage installation..."),
              log.substr(log.find("Installation undone\r\n") + 21, 34));
    ASSERT_TRUE(app->Cancel(CancelBy::Button)) << app->Describe();
}

TEST_F(Faults, TargetDiskFullHalfWayTheReplacedThemeComesBackWhole)
{
    SmallDisk disk(world.Path("disk"), "1m");
    ASSERT_TRUE(disk.IsMounted());
    MappedDrive drive(disk.Folder());
    ASSERT_TRUE(drive.IsMapped());
    const std::string frontPage = drive.Root() + "\\FrontPage";
    ASSERT_TRUE(world.InstallFrontPage98At(frontPage));
    // The harbour theme as an earlier installation left it, which this one
    // replaces in its second pass; the fourth pass then fills the disk.
    const std::string earlier = SeededBytes(7, 20000);
    ASSERT_TRUE(WriteFileBytes(frontPage + "\\themes\\harbour\\theme.css", earlier));
    ASSERT_TRUE(WriteFileBytes(frontPage + "\\themes\\harbour\\harbour.inf", "[info]\r\ntitle=Harbour\r\n"));
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\Pages\\big\\part" + std::to_string(i) + ".bin",
                                    SeededBytes(i, 300 * 1024)));
    const auto before = Tree(frontPage);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();

    ASSERT_TRUE(app->StartCopy()) << app->Describe();
    const std::string report = app->WaitForMessageBox();
    EXPECT_EQ(0u, report.find("File copy failed:: " + frontPage + "\\pages\\big\\part")) << report;
    EXPECT_NE(std::string::npos, report.find("\nReason: (112) ")) << report;
    EXPECT_EQ(ReadFileBytes(world.Path("kit\\common\\Themes\\harbour\\theme.css")),
              ReadFileBytes(frontPage + "\\themes\\harbour\\theme.css"))
        << "the theme was not replaced before the disk filled up";
    ASSERT_EQ(report, app->AnswerMessageBox("final"));

    EXPECT_EQ(app->StatusText(), WithLogNote(kFailedText));
    EXPECT_TRUE(earlier == ReadFileBytes(frontPage + "\\themes\\harbour\\theme.css"));
    EXPECT_EQ(before, Tree(frontPage));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("\r\nRestored file: " + frontPage + "\\themes\\harbour\\theme.css\r\n"));
    EXPECT_TRUE(LogEndsWith(log, {"Installation undone", kFailedText}));
}

TEST_F(Faults, TargetHeldByAnotherProgramRetriedOnceReleased)
{
    const std::string theme = world.Path("FrontPage\\themes\\harbour\\theme.css");
    ASSERT_TRUE(world.WriteFile("FrontPage\\themes\\harbour\\theme.css", "the earlier harbour theme"));
    auto lock = std::make_unique<FileLock>(theme);
    ASSERT_TRUE(lock->IsHeld());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();

    ASSERT_TRUE(app->StartCopy()) << app->Describe();
    ASSERT_EQ(FileInUseText(theme), app->WaitForMessageBox()) << app->Describe();
    // Still held: asked again.
    ASSERT_FALSE(app->AnswerMessageBox("", IDRETRY).empty());
    ASSERT_EQ(FileInUseText(theme), app->WaitForMessageBox()) << app->Describe();
    lock.reset();
    ASSERT_FALSE(app->AnswerMessageBox("final", IDRETRY).empty());

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    EXPECT_EQ(ReadFileBytes(world.Path("kit\\common\\Themes\\harbour\\theme.css")), ReadFileBytes(theme));
    const std::string log = Log();
    const std::string inUse = "\r\nFile in use: " + theme + "\r\nCopied file: " + theme + "\r\n";
    EXPECT_NE(std::string::npos, log.find(inUse)) << log;
    EXPECT_EQ(log.find("File in use: "), log.rfind("File in use: ")) << "logged more than once";
    EXPECT_TRUE(LogEndsWith(log, {kDoneText}));
    // The earlier theme is kept, for the kit's removal to put back.
    EXPECT_EQ("the earlier harbour theme", ReadFileBytes(World::KitDataFolder() + "\\backup\\1\\1\\harbour\\theme.css"));
}

class FrontPageRunning : public WizardTest, public testing::WithParamInterface<bool> {
protected:
    // The question comes before the copy page, so the wizard is idle on the
    // ready page for a moment after the box has gone: the answer has been
    // taken only once the final page shows.
    bool AtFinalPage() const
    {
        return WaitUntil([&] { return app->IsIdle() && app->IsFinalPage(); });
    }
};

TEST_P(FrontPageRunning, AsksBeforeTheFirstFileRetryOrCancel)
{
    const bool retry = GetParam();
    ASSERT_TRUE(MakeFolders(world.Path("Program")));
    ASSERT_TRUE(world.PlantProgram("Program", "frontpg.exe"));
    RunningProgram frontPage(world.Path("Program\\frontpg.exe"));
    ASSERT_TRUE(frontPage.IsRunning());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();

    app->Control(IDC_NEXT).Click();
    ASSERT_EQ(kFrontPageRunningText, app->WaitForMessageBox()) << app->Describe();
    EXPECT_EQ(app->StatusText(), kReadyText);
    if (!retry) {
        ASSERT_FALSE(app->AnswerMessageBox("cancelled", IDCANCEL).empty());
        ASSERT_TRUE(AtFinalPage()) << app->Describe();
        EXPECT_EQ(app->StatusText(), WithLogNote(kCancelledText));
        EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes")));
        EXPECT_FALSE(PathExists(World::KitDataFolder()));
        EXPECT_TRUE(LogEndsWith(Log(), {"No licence file supplied", "FrontPage is running",
                                        "User cancelled installation", kCancelledText}));
        return;
    }
    // Still running: asked again.
    ASSERT_FALSE(app->AnswerMessageBox("", IDRETRY).empty());
    ASSERT_EQ(kFrontPageRunningText, app->WaitForMessageBox()) << app->Describe();
    frontPage.Stop();
    ASSERT_FALSE(app->AnswerMessageBox("final", IDRETRY).empty());
    ASSERT_TRUE(AtFinalPage()) << app->Describe();
    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    const std::string log = Log();
    EXPECT_NE(std::string::npos,
              log.find("\r\nNo licence file supplied\r\nFrontPage is running\r\nCounting files...\r\n"))
        << log;
    EXPECT_TRUE(LogEndsWith(log, {kDoneText}));
}

INSTANTIATE_TEST_SUITE_P(Answers, FrontPageRunning, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "RetryOnceClosed" : "Cancel");
                         });

TEST_F(Faults, KitOnAReadOnlyDiscInstallsAndIsLeftAlone)
{
    ASSERT_TRUE(world.AddReadme());
    ASSERT_TRUE(CopyFileA((ExeFolder() + "\\fernwick.exe").c_str(), world.Path("kit\\fernwick.exe").c_str(), FALSE));
    SmallDisk disc(world.Path("disc"), "4m");
    ASSERT_TRUE(disc.IsMounted());
    // As a disc holds it: the wizard beside the kit, nothing writable.
    ASSERT_TRUE(RunShell("cp -R " + ShellQuote(UnixPath(world.KitFolder())) + "/. " +
                         ShellQuote(UnixPath(disc.Folder())) + " && chmod -R a-w " + ShellQuote(UnixPath(disc.Folder()))));
    ASSERT_TRUE(disc.MakeReadOnly());
    MappedDrive drive(disc.Folder(), DRIVE_CDROM);
    ASSERT_TRUE(drive.IsMapped());
    ASSERT_EQ((UINT)DRIVE_CDROM, GetDriveTypeA((drive.Root() + "\\").c_str()));

    app = std::make_unique<App>(drive.Root() + "\\fernwick.exe", drive.Root() + "\\",
                                ExeFolder() + "\\screenshots\\Faults\\Disc");
    ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    EXPECT_EQ(ReadFileBytes(world.Path("FrontPage\\themes\\harbour\\theme.css")),
              ReadFileBytes(drive.Root() + "\\common\\themes\\harbour\\theme.css"));
    EXPECT_TRUE(LogEndsWith(Log(), {kDoneText}));
    app->Control(IDC_VIEW_README).Click();
    ASSERT_TRUE(WaitUntil([&] { return app->Control(IDC_VIEW_README).CheckState() == BST_UNCHECKED; }));
    app->Control(IDOK).Click();
    EXPECT_TRUE(app->WaitForExit()) << app->Describe();
}

} // namespace
} // namespace e2e

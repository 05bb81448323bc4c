// Whole installations under faults made for real: the wizard killed in the
// middle of a copy, and a kit on a read-only disc.
#include "WizardTest.h"

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

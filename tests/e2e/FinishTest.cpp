// The final page after an installation, and how the wizard ends from it.
#include "WizardTest.h"

namespace e2e {
namespace {

class FinalPage : public WizardTest {
protected:
    // Walks through the three stages to the final page.
    void Install()
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(Walk());
    }
    void Walk()
    {
        ASSERT_TRUE(app->PassStart()) << app->Describe();
        ASSERT_TRUE(app->PassLicence()) << app->Describe();
        ASSERT_TRUE(app->PassCopy()) << app->Describe();
    }
    // Presses "Finish" and waits for Notepad to show the kit's readme, or for
    // the planted stand-in to leave its mark.
    Window FinishAndFindNotepad()
    {
        app->Control(IDOK).Click();
        Window notepad;
        WaitUntil([&] {
            notepad = app->ChildWindow("readme.txt");
            return notepad || PathExists(world.PlantedNotepadMark());
        });
        return notepad;
    }
};

TEST_F(FinalPage, AfterInstallingOnlyFinishIsLive)
{
    ASSERT_NO_FATAL_FAILURE(Install());

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    ExpectFinalPageControls(*app);
    EXPECT_TRUE(LogEndsWith(Log(), {kDoneText}));
    ExpectControls(*app, {{IDC_VIEW_README, "View Readme file", false, true}});
    // The copy leaves the bar as it drove it: when shown, it is full.
    Window progress = app->Control(IDC_PROGRESS);
    if (progress.IsVisible()) {
        EXPECT_EQ(progress.ProgressPosition(), progress.ProgressUpperBound());
    }
}

TEST_F(FinalPage, EnterEndsTheWizard)
{
    ASSERT_NO_FATAL_FAILURE(Install());

    app->PressEnter();

    EXPECT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 0u);
}

TEST_F(FinalPage, NeverRunsANotepadPlantedBesideTheWizard)
{
    // As a user runs it: the wizard copied into the kit folder, which also
    // holds a program named notepad.exe.
    ASSERT_TRUE(world.AddReadme());
    ASSERT_TRUE(world.PlantNotepad());
    const std::string wizard = world.Path("kit\\fernwick.exe");
    ASSERT_TRUE(CopyFileA((ExeFolder() + "\\fernwick.exe").c_str(), wizard.c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(Start(wizard));
    ASSERT_NO_FATAL_FAILURE(Walk());

    Window notepad = FinishAndFindNotepad();

    EXPECT_FALSE(PathExists(world.PlantedNotepadMark()));
    ASSERT_TRUE(notepad) << app->Describe();
    EXPECT_TRUE(CloseProgramWindow(notepad));
    EXPECT_TRUE(app->WaitForExit()) << app->Describe();
}

class LateCancel : public FinalPage, public testing::WithParamInterface<CancelBy> {};

TEST_P(LateCancel, LeavesTheFinalPageAsItIs)
{
    ASSERT_NO_FATAL_FAILURE(Install());
    const std::string log = Log();

    app->RequestCancel(GetParam());
    ASSERT_TRUE(app->Drain()) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    EXPECT_EQ(Log(), log);
    EXPECT_FALSE(app->HasExited());
    ExpectFinalPageControls(*app);
}

// The "Cancel" button itself is disabled on the final page.
INSTANTIATE_TEST_SUITE_P(Ways, LateCancel, testing::Values(CancelBy::EscapeKey, CancelBy::CloseBox),
                         [](const testing::TestParamInfo<CancelBy>& info) { return std::string(Name(info.param)); });

struct ReadmeCase {
    const char* name;
    bool inKit;
    bool keptChecked;
};

void PrintTo(const ReadmeCase& readme, std::ostream* out)
{
    *out << readme.name;
}

class ReadmeOffer : public FinalPage, public testing::WithParamInterface<ReadmeCase> {};

TEST_P(ReadmeOffer, OpensNotepadOnlyWhenOfferedAndChecked)
{
    const ReadmeCase& readme = GetParam();
    if (readme.inKit) {
        ASSERT_TRUE(world.AddReadme());
    }
    ASSERT_NO_FATAL_FAILURE(Install());

    Window box = app->Control(IDC_VIEW_README);
    EXPECT_EQ(box.IsVisible(), readme.inKit);
    EXPECT_EQ(box.CheckState(), readme.inKit ? BST_CHECKED : BST_UNCHECKED);
    if (readme.inKit && !readme.keptChecked) {
        box.Click();
        ASSERT_TRUE(WaitUntil([&] { return box.CheckState() == BST_UNCHECKED; }));
    }

    if (readme.inKit && readme.keptChecked) {
        Window notepad = FinishAndFindNotepad();
        ASSERT_TRUE(notepad) << app->Describe();
        app->Shot("readme");
        Window text(FindWindowExA(notepad.Hwnd(), nullptr, "Edit", nullptr));
        EXPECT_EQ(text.Text(), World::ReadmeText());
        EXPECT_TRUE(CloseProgramWindow(notepad));
        EXPECT_TRUE(app->WaitForExit()) << app->Describe();
    } else {
        app->Control(IDOK).Click();
        ASSERT_TRUE(app->WaitForExit()) << app->Describe();
        // A Notepad the wizard started would be running still.
        EXPECT_TRUE(app->Children("notepad.exe").empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Kits, ReadmeOffer,
                         testing::Values(ReadmeCase{"KeptChecked", true, true}, ReadmeCase{"Cleared", true, false},
                                         ReadmeCase{"NoReadme", false, false}),
                         [](const testing::TestParamInfo<ReadmeCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace e2e

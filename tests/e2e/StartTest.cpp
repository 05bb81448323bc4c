// The wizard's first page, and cancelling on it.
#include "WizardTest.h"

namespace e2e {
namespace {

using StartPage = WizardTest;

TEST_F(StartPage, ShowsOnlyNextCancelAboutAndTheLogChoice)
{
    ASSERT_NO_FATAL_FAILURE(Start());

    EXPECT_EQ(app->Wizard().Text(), "FrontPage Fernwick");
    ExpectControls(*app, {
                             {IDC_NEXT, "Next", true, true},
                             {IDCANCEL, "Cancel", true, true},
                             {IDOK, "Finish", true, false},
                             {IDC_CREATE_LOG, "Create log file", true, true},
                             {IDC_ABOUT, "About", true, true},
                             {IDC_PROGRESS, "progress bar", false, true},
                             {IDC_VIEW_README, "View Readme file", false, true},
                         });
    EXPECT_TRUE(app->Control(IDC_NEXT).IsDefaultButton());
    EXPECT_TRUE(app->Control(IDC_NEXT).HasFocus());
    EXPECT_FALSE(app->Control(IDOK).IsDefaultButton());
    EXPECT_EQ(app->Control(IDC_CREATE_LOG).CheckState(), BST_CHECKED);
    EXPECT_EQ(app->Control(IDC_VIEW_README).CheckState(), BST_UNCHECKED);
}

class CancelAtOnce : public WizardTest, public testing::WithParamInterface<CancelBy> {};

TEST_P(CancelAtOnce, EndsWithoutLogAndKeepsTheLogChoice)
{
    ASSERT_NO_FATAL_FAILURE(Start());

    ASSERT_TRUE(app->Cancel(GetParam())) << app->Describe();

    EXPECT_EQ(app->StatusText(), kCancelledText);
    ExpectFinalPageControls(*app);
    // The log is only opened by the first "Next >".
    EXPECT_FALSE(PathExists(world.LogPath()));
    ExpectControls(*app, {
                             {IDC_CREATE_LOG, "Create log file", true, true},
                             {IDC_ABOUT, "About", true, true},
                             {IDC_VIEW_README, "View Readme file", false, true},
                         });
    EXPECT_EQ(app->Control(IDC_CREATE_LOG).CheckState(), BST_CHECKED);
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelAtOnce,
                         testing::Values(CancelBy::Button, CancelBy::EscapeKey, CancelBy::CloseBox),
                         [](const testing::TestParamInfo<CancelBy>& info) { return std::string(Name(info.param)); });

} // namespace
} // namespace e2e

// Cancelling after the first "Next >": the log records it and the final page
// names the log.
#include "WizardTest.h"

namespace e2e {
namespace {

enum class Stage { Licence, Copy };

struct CancelCase {
    Stage stage;
    CancelBy how;
};

std::string Name(const CancelCase& cancel)
{
    return std::string(cancel.stage == Stage::Licence ? "AtSummary_" : "AtReadyPrompt_") + Name(cancel.how);
}

void PrintTo(const CancelCase& cancel, std::ostream* out)
{
    *out << Name(cancel);
}

std::string CaseName(const testing::TestParamInfo<CancelCase>& info)
{
    return Name(info.param);
}

class CancelLater : public WizardTest, public testing::WithParamInterface<CancelCase> {
protected:
    // Walks to the stage of the case.
    void Reach(Stage stage)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(app->PassStart()) << app->Describe();
        if (stage == Stage::Copy) {
            ASSERT_TRUE(app->PassLicence()) << app->Describe();
        }
    }
};

TEST_P(CancelLater, LogsTheCancelAndShowsWhereTheLogIs)
{
    ASSERT_NO_FATAL_FAILURE(Reach(GetParam().stage));

    ASSERT_TRUE(app->Cancel(GetParam().how)) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kCancelledText));
    ExpectFinalPageControls(*app);
    EXPECT_TRUE(LogEndsWith(Log(), {"User cancelled installation", kCancelledText}));
    // Both were settled at the first "Next >" and stay so.
    ExpectControls(*app, {
                             {IDC_CREATE_LOG, "Create log file", true, false},
                             {IDC_ABOUT, "About", false, true},
                         });
}

INSTANTIATE_TEST_SUITE_P(Stages, CancelLater,
                         testing::Values(CancelCase{Stage::Licence, CancelBy::Button},
                                         CancelCase{Stage::Licence, CancelBy::EscapeKey},
                                         CancelCase{Stage::Licence, CancelBy::CloseBox},
                                         CancelCase{Stage::Copy, CancelBy::Button},
                                         CancelCase{Stage::Copy, CancelBy::EscapeKey},
                                         CancelCase{Stage::Copy, CancelBy::CloseBox}),
                         CaseName);

using CancelWithoutLog = WizardTest;

TEST_F(CancelWithoutLog, WritesNoLogAndNamesNone)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Window logBox = app->Control(IDC_CREATE_LOG);
    logBox.Click();
    ASSERT_TRUE(WaitUntil([&] { return logBox.CheckState() == BST_UNCHECKED; }));
    ASSERT_TRUE(app->PassStart()) << app->Describe();

    ASSERT_TRUE(app->Cancel(CancelBy::Button)) << app->Describe();

    EXPECT_EQ(app->StatusText(), kCancelledText);
    EXPECT_FALSE(PathExists(world.LogPath()));
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 2u);
}

} // namespace
} // namespace e2e

// The kit's pages: its introduction, the summary of what it holds, and its
// licence agreement.
#include "WizardTest.h"

namespace e2e {
namespace {

const char kIntroduction[] =
    "Harbour Lights theme pack\n"
    "Two themes and three templates for FrontPage.\n"
    "\n"
    "This program will install your new theme(s).\n"
    "Ensure that Microsoft FrontPage is not running,\n"
    "or the installation may fail.\n"
    "\n"
    "Click Next to start, or Cancel to terminate.";

// FrontPage 98 is installed: "fp98" comes before "common" in every list.
const char kSummary[] =
    "The following themes and templates will be installed.\n"
    "\n"
    "Themes:\tBreeze\tVersion 1\n"
    "\t\tHarbour\tVersion 2.5\n"
    "\n"
    "Page templates:  notice\n"
    "Web templates:   club\n"
    "Frame templates: banner\n";

const char kSummaryLog[] =
    "Checking kit for items to install...\r\n"
    "Will install theme Breeze\tVersion 1\r\n"
    "Will install theme Harbour\tVersion 2.5\r\n"
    "Will install page template notice\r\n"
    "Will install web template club\r\n"
    "Will install frame template banner\r\n";

class KitPages : public WizardTest {
protected:
    // Starts the wizard on a kit with a licence agreement and goes on to the
    // agreement; returns its dialog.
    Window OpenAgreement()
    {
        EXPECT_TRUE(world.WriteFile("kit\\license.txt", "Harbour Lights licence\nUse the themes on any web."));
        Start();
        if (HasFatalFailure())
            return Window();
        EXPECT_EQ(app->StatusText(), kIntroduction);
        EXPECT_TRUE(app->PassStart()) << app->Describe();
        EXPECT_EQ(app->StatusText(), kSummary);
        EXPECT_NE(Log().find(kSummaryLog), std::string::npos) << Log();
        EXPECT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
        return app->Dialog();
    }
};

TEST_F(KitPages, IntroductionSummaryAgreementThenReady)
{
    Window agreement = OpenAgreement();
    ASSERT_TRUE(agreement) << app->Describe();
    EXPECT_EQ(DialogKind(agreement), "licence");
    EXPECT_EQ(agreement.Text(), "FrontPage Fernwick");
    EXPECT_EQ(agreement.Item(IDC_LICENCE_TEXT).Text(), "Harbour Lights licence\r\nUse the themes on any web.\r\n");
    // Accept is live at once: nothing need be scrolled first.
    EXPECT_TRUE(agreement.Item(IDOK).IsEnabled());
    EXPECT_TRUE(agreement.Item(IDOK).HasFocus());
    // The summary stays behind the agreement until it is answered.
    EXPECT_EQ(app->StatusText(), kSummary);

    ASSERT_TRUE(app->AnswerDialog("ready")) << app->Describe();

    EXPECT_TRUE(app->IsIdle());
    EXPECT_EQ(app->StatusText(), kReadyText);
    EXPECT_NE(Log().find(std::string(kSummaryLog) + "User accepted licence\r\n"), std::string::npos) << Log();
}

TEST_F(KitPages, RejectedAgreementCancels)
{
    Window agreement = OpenAgreement();
    ASSERT_TRUE(agreement) << app->Describe();

    ASSERT_TRUE(app->Step("rejected", [&] { agreement.Item(IDCANCEL).Click(); })) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kCancelledText));
    ExpectFinalPageControls(*app);
    EXPECT_TRUE(LogEndsWith(Log(), {"User rejected licence", kCancelledText}));
}

// The largest agreement shown, 16 MiB: it is read and put into its box while
// the wizard stays drawn and answers, and the box shows it whole.
TEST_F(KitPages, LargestAgreementShownWholeWhileTheWizardStaysDrawn)
{
    const size_t kLargest = 16 << 20;
    // Lines of 78 characters and CR LF, as the box shows them: the file's own bytes.
    std::string agreement;
    agreement.reserve(kLargest);
    for (int clause = 1; agreement.size() + 80 <= kLargest; ++clause) {
        std::string line = "Clause " + std::to_string(clause) + ": the themes may be used on any web. ";
        line.resize(78, '.');
        agreement += line + "\r\n";
    }
    agreement += std::string(kLargest - agreement.size() - 2, 'z') + "\r\n";
    ASSERT_EQ(kLargest, agreement.size());
    ASSERT_TRUE(world.WriteFile("kit\\license.txt", agreement));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();

    app->Control(IDC_NEXT).Click();
    // Every look before the agreement shows is answered at once (within the 5 s
    // a look waits), and the wizard still shows its summary. Putting 16 MiB
    // into the box takes Wine's edit control about half a minute.
    int looks = 0;
    bool shown = WaitUntil(
        [&] {
            if (app->Dialog())
                return true;
            EXPECT_EQ(app->StatusText(), kSummary) << "look " << looks;
            ++looks;
            return false;
        },
        180000, 100);
    ASSERT_TRUE(shown) << app->Describe();
    EXPECT_GT(looks, 0) << "the agreement showed before the wizard could be seen loading it";
    Window dialog = app->Dialog();
    ASSERT_EQ(DialogKind(dialog), "licence") << app->Describe();
    std::string box = dialog.Item(IDC_LICENCE_TEXT).Text();
    EXPECT_EQ(agreement.size(), box.size());
    EXPECT_TRUE(agreement == box) << "the box does not show the agreement whole";
    ASSERT_TRUE(app->AnswerDialog("ready")) << app->Describe();
    EXPECT_EQ(app->StatusText(), kReadyText);
}

} // namespace
} // namespace e2e

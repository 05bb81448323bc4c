// The first "Next >" looks for FrontPage: the versions it logs, the choice it
// offers when there are several, and the end when there is none.
#include "WizardTest.h"

namespace e2e {
namespace {

const char kChecking[] = "Checking FrontPage installation...";
// The header of the log: name, notice, opening time, system, user, Windows folder.
const size_t kHeaderLines = 6;

// `count` lines of the log after its header; fewer when it has fewer.
std::vector<std::string> LinesAfterHeader(const std::string& log, size_t count)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t line = 0; line < kHeaderLines + count; ++line) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos)
            break;
        if (line >= kHeaderLines)
            lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

using Detection = WizardTest;

TEST_F(Detection, SeveralVersionsAreLoggedAndOfferedForChoice)
{
    // As on the demo machine: FrontPage 98, 2000 and 2002, the registered program the 2002 one.
    ASSERT_TRUE(world.InstallOffice());
    ASSERT_NO_FATAL_FAILURE(Start());

    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();

    Window choice = app->Dialog();
    ASSERT_TRUE(choice) << app->Describe();
    EXPECT_EQ(DialogKind(choice), "version-choice");
    EXPECT_EQ(choice.Text(), "FrontPage Fernwick");
    EXPECT_EQ(app->StatusText(), "Searching for installed files...");
    const struct {
        int id;
        int state;
    } radios[] = {{IDC_RADIO_FP2002, BST_CHECKED}, {IDC_RADIO_FP2000, BST_UNCHECKED}, {IDC_RADIO_FP98, BST_UNCHECKED}};
    for (const auto& radio : radios) {
        EXPECT_TRUE(choice.Item(radio.id).IsEnabled()) << radio.id;
        EXPECT_EQ(choice.Item(radio.id).CheckState(), radio.state) << radio.id;
    }
    std::vector<std::string> found = {kChecking,
                                      "FrontPage 98 found in " + world.Path("FrontPage"),
                                      "FrontPage Current Version found in " + world.Path("Office\\Office10"),
                                      "Current version is FrontPage 2002",
                                      "FrontPage 2000 found in " + world.Path("Office\\Office"),
                                      "FrontPage 2002 found in " + world.Path("Office\\Office10")};
    // Each line is on disk as soon as it is written.
    EXPECT_EQ(LinesAfterHeader(Log(), found.size() + 1), found);

    choice.Item(IDC_RADIO_FP98).Click();
    ASSERT_TRUE(WaitUntil([&] { return choice.Item(IDC_RADIO_FP98).CheckState() == BST_CHECKED; }));
    EXPECT_EQ(choice.Item(IDC_RADIO_FP2002).CheckState(), BST_UNCHECKED);
    ASSERT_TRUE(app->AnswerDialog("summary")) << app->Describe();

    EXPECT_TRUE(app->IsIdle());
    EXPECT_FALSE(app->IsFinalPage()) << app->Describe();
    std::vector<std::string> chosen = found;
    for (const std::string& line :
         {std::string("User chose to install for FrontPage 98"), std::string("Installing for Microsoft FrontPage 98"),
          "Themes will be installed in " + world.Path("FrontPage\\themes"),
          "Page templates will be installed in " + world.Path("FrontPage\\pages"),
          "Web templates will be installed in " + world.Path("FrontPage\\webs"),
          "Frame templates will be installed in " + world.Path("FrontPage\\frames")})
        chosen.push_back(line);
    EXPECT_EQ(LinesAfterHeader(Log(), chosen.size()), chosen);
}

// A machine without FrontPage: only the kit and the log folder.
class NoFrontPage : public WizardTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(world.IsReady());
        ASSERT_TRUE(world.AddKit());
    }
};

TEST_F(NoFrontPage, EndsOnTheFinalPageWithTheFailure)
{
    ASSERT_NO_FATAL_FAILURE(Start());

    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    Window box = app->Dialog();
    ASSERT_TRUE(box) << app->Describe();
    EXPECT_EQ(DialogKind(box), "message");
    EXPECT_EQ(box.Item(0xFFFF).Text(), kFailedText);
    ASSERT_TRUE(app->AnswerDialog("final")) << app->Describe();

    EXPECT_TRUE(app->IsIdle());
    EXPECT_EQ(app->StatusText(), WithLogNote(kFailedText));
    ExpectFinalPageControls(*app);
    EXPECT_TRUE(LogEndsWith(Log(), {kChecking, "No FrontPage installation found", kFailedText}));
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 3u);
}

} // namespace
} // namespace e2e

// Cancelling after the first "Next >": the log records it and the final page
// names the log. While files are copied, every way of the cancel command asks
// first, and every other click and key is discarded.
#include "WizardTest.h"

#include <algorithm>

#include "Bytes.h"

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

const int kLargeKitFiles = 150;

// Lines of `log` that start with `prefix`, without it.
std::vector<std::string> LinesAfter(const std::string& log, const std::string& prefix)
{
    std::vector<std::string> found;
    for (size_t at = 0; at < log.size();) {
        size_t end = log.find("\r\n", at);
        if (end == std::string::npos)
            break;
        if (log.compare(at, prefix.size(), prefix) == 0)
            found.push_back(log.substr(at + prefix.size(), end - at - prefix.size()));
        at = end + 2;
    }
    return found;
}

// A kit whose copy takes a while, over a theme an earlier installation left.
class LargeCopy : public WizardTest {
protected:
    LargeCopy(int files = kLargeKitFiles, size_t fileSize = 512 * 1024) : m_files(files), m_fileSize(fileSize) {}

    void SetUp() override
    {
        WizardTest::SetUp();
        for (int i = 0; i < m_files; ++i)
            ASSERT_TRUE(world.WriteFile("kit\\common\\Themes\\harbour\\part" + std::to_string(i) + ".bin",
                                        SeededBytes(i, m_fileSize)));
        ASSERT_TRUE(world.WriteFile("FrontPage\\themes\\harbour\\theme.css", "the earlier harbour theme"));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(app->PassStart()) << app->Describe();
        ASSERT_TRUE(app->PassLicence()) << app->Describe();
    }

    // Starts the copy and waits until it is under way.
    void StartCopy()
    {
        ASSERT_TRUE(app->StartCopy()) << app->Describe();
        ASSERT_TRUE(WaitUntil([&] { return LinesAfter(Log(), "Copied file: ").size() >= 5; })) << Log();
    }

    const int m_files;
    const size_t m_fileSize;
};

struct DuringCopyCase {
    CancelBy how;
    bool stop;
};

void PrintTo(const DuringCopyCase& cancel, std::ostream* out)
{
    *out << Name(cancel.how) << (cancel.stop ? "_Yes" : "_No");
}

class CancelWhileCopying : public LargeCopy, public testing::WithParamInterface<DuringCopyCase> {};

TEST_P(CancelWhileCopying, AsksAndStopsAndUndoesOnlyOnYes)
{
    const std::string frontPage = world.Path("FrontPage");
    const auto before = Tree(frontPage);
    ASSERT_NO_FATAL_FAILURE(StartCopy());

    app->RequestCancel(GetParam().how);
    ASSERT_EQ(kConfirmCancelText, app->WaitForMessageBox()) << app->Describe();
    const bool stop = GetParam().stop;
    ASSERT_FALSE(app->AnswerMessageBox(stop ? "cancelled" : "final", stop ? IDYES : IDNO).empty());

    ASSERT_TRUE(app->IsFinalPage()) << app->Describe();
    ExpectFinalPageControls(*app);
    const std::string log = Log();
    const std::vector<std::string> copied = LinesAfter(log, "Copied file: ");
    const std::string theme = frontPage + "\\themes\\harbour\\theme.css";
    if (!stop) {
        EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
        EXPECT_EQ((size_t)kLargeKitFiles + 7, copied.size());
        EXPECT_EQ(ReadFileBytes(world.Path("kit\\common\\themes\\harbour\\theme.css")), ReadFileBytes(theme));
        EXPECT_TRUE(LogEndsWith(log, {kDoneText}));
        return;
    }
    EXPECT_EQ(app->StatusText(), WithLogNote(kCancelledText));
    EXPECT_LT(copied.size(), (size_t)kLargeKitFiles) << "stopped only at the end";
    EXPECT_EQ(before, Tree(frontPage));
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
    // Stopped after a whole file; then everything done is undone, last first.
    std::vector<std::string> expected = {"Copied file: " + copied.back(), "User cancelled installation",
                                         "Undoing the installation..."};
    // The replaced theme, when its original was kept ahead of a copy the
    // cancel came before, is put back first.
    if (std::find(copied.begin(), copied.end(), theme) == copied.end() &&
        log.find("Restored file: " + theme + "\r\n") != std::string::npos)
        expected.push_back("Restored file: " + theme);
    const std::vector<std::string> created = LinesAfter(log, "Created folder ");
    for (auto file = copied.rbegin(); file != copied.rend(); ++file)
        expected.push_back((*file == theme ? "Restored file: " : "Removed file: ") + *file);
    // The one folder made, for the version's theme, goes after its files.
    ASSERT_EQ((std::vector<std::string>{frontPage + "\\themes\\Breeze"}), created);
    expected.push_back("Removed folder: " + created[0]);
    expected.push_back("Installation undone");
    expected.push_back(kCancelledText);
    EXPECT_TRUE(LogEndsWith(log, expected));
    // Cancelled during the copy: the exit code deployment scripts read.
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Ways, CancelWhileCopying,
                         testing::Values(DuringCopyCase{CancelBy::Button, false},
                                         DuringCopyCase{CancelBy::SentClick, false},
                                         DuringCopyCase{CancelBy::EscapeKey, false},
                                         DuringCopyCase{CancelBy::CloseBox, false},
                                         DuringCopyCase{CancelBy::CloseMessage, false},
                                         DuringCopyCase{CancelBy::AltF4, false},
                                         DuringCopyCase{CancelBy::Button, true},
                                         DuringCopyCase{CancelBy::SentClick, true}),
                         [](const testing::TestParamInfo<DuringCopyCase>& info) {
                             return std::string(Name(info.param.how)) + (info.param.stop ? "_Yes" : "_No");
                         });

// A person's own hand, through the system's input queue: the close box and
// "Cancel" clicked with the mouse, Escape typed. Each asks every time in one
// copy, however often it was answered No, with the mouse or the keyboard,
// until Yes stops it.
struct RealInputCase {
    CancelBy how;
    // The question answered with a key (N, Y) rather than a click.
    bool byKey;
};

std::string Name(const RealInputCase& real)
{
    return std::string(Name(real.how)) + (real.byKey ? "_AnsweredByKey" : "_AnsweredByMouse");
}

void PrintTo(const RealInputCase& real, std::ostream* out)
{
    *out << Name(real);
}

class RealInputWhileCopying : public LargeCopy, public testing::WithParamInterface<RealInputCase> {
protected:
    // Each file costs the copy about as much whatever its size: many small
    // ones make a copy that outlasts every question and answer.
    RealInputWhileCopying() : LargeCopy(kManyFiles, 16 * 1024) {}
    static const int kManyFiles = 1500;
};

TEST_P(RealInputWhileCopying, AsksEveryTimeUntilYes)
{
    ASSERT_NO_FATAL_FAILURE(StartCopy());
    const int kNoes = 3;
    for (int round = 0; round <= kNoes; ++round) {
        ASSERT_TRUE(app->RequestCancel(GetParam().how)) << "round " << round << ": the press was not taken\n"
                                                        << app->Describe();
        Window box;
        ASSERT_TRUE(WaitUntil([&] { return (box = app->Dialog()) || app->IsFinalPage(); })) << app->Describe();
        ASSERT_TRUE(box) << "round " << round << ": not asked\n" << app->Describe();
        app->Shot("message");
        ASSERT_EQ(kConfirmCancelText, MessageText(box));
        const bool stop = round == kNoes;
        if (GetParam().byKey) {
            ASSERT_TRUE(box.WaitForForeground());
            TypeKey(stop ? 'Y' : 'N');
        } else {
            ASSERT_TRUE(box.Item(stop ? IDYES : IDNO).ClickWithMouse()) << app->Describe();
        }
        ASSERT_TRUE(WaitUntil([&] { return !box.Exists(); })) << app->Describe();
    }

    ASSERT_TRUE(WaitUntil([&] { return app->IsFinalPage() && app->IsIdle(); })) << app->Describe();
    app->Shot("cancelled");
    EXPECT_EQ(app->StatusText(), WithLogNote(kCancelledText));
    EXPECT_LT(LinesAfter(Log(), "Copied file: ").size(), (size_t)kManyFiles) << "stopped only at the end";
    EXPECT_EQ(1u, LinesAfter(Log(), "User cancelled installation").size());
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Ways, RealInputWhileCopying,
                         testing::Values(RealInputCase{CancelBy::MouseOnCloseBox, false},
                                         RealInputCase{CancelBy::MouseOnCloseBox, true},
                                         RealInputCase{CancelBy::EscapeTyped, true},
                                         RealInputCase{CancelBy::MouseOnButton, false}),
                         [](const testing::TestParamInfo<RealInputCase>& info) { return Name(info.param); });

using InputWhileCopying = LargeCopy;

TEST_F(InputWhileCopying, OtherClicksAndKeysAreDiscardedNeverReplayed)
{
    ASSERT_NO_FATAL_FAILURE(StartCopy());

    // Posted as the mouse and the keyboard deliver them, and sent as programs may.
    app->Control(IDC_NEXT).Click();
    app->Control(IDC_NEXT).SendClick();
    app->Control(IDOK).Click();
    app->Control(IDOK).SendClick();
    app->Control(IDC_ABOUT).SendClick();
    app->PressEnter();

    bool asked = false;
    ASSERT_TRUE(WaitUntil([&] {
        asked = asked || app->Dialog();
        return app->IsFinalPage() && app->IsIdle();
    })) << app->Describe();
    // Everything posted before this marker has been handled by now.
    ASSERT_TRUE(app->Drain()) << app->Describe();
    app->Shot("final");

    EXPECT_FALSE(asked) << "a dialog or box was shown";
    EXPECT_FALSE(app->HasExited()) << "the Enter pressed \"Finish\"";
    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    ExpectFinalPageControls(*app);
    // One copy stage, run once.
    EXPECT_EQ(1u, LinesAfter(Log(), "Counting files...").size());
    EXPECT_EQ((size_t)kLargeKitFiles + 7, LinesAfter(Log(), "Copied file: ").size());
    EXPECT_TRUE(LogEndsWith(Log(), {kDoneText}));
}

} // namespace
} // namespace e2e

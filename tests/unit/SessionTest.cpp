#include <gtest/gtest.h>

#include "Support.h"
#include "run/WindowlessView.h"

namespace {

// In an unattended run a box's text goes to the log, and the box is answered
// with what lets the run go on where it may; a /SILENT run still asks whether
// to stop the copy, of a person who pressed Cancel in its window.
TEST(InstallSession, SilencedBoxesGoToTheLog)
{
    struct Case {
        const char* line;
        UINT style;
        int answer; // 0: the box is shown after all
    };
    const Case cases[] = {
        {"/SILENT", MB_OK | MB_ICONEXCLAMATION, IDOK},
        {"/SILENT", MB_YESNO | MB_ICONQUESTION, 0},
        {"/SILENT", MB_RETRYCANCEL | MB_ICONEXCLAMATION, IDCANCEL},
        {"/VERYSILENT", MB_OK | MB_ICONINFORMATION, IDOK},
        {"/VERYSILENT", MB_YESNO | MB_ICONQUESTION, IDNO},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        InstallRun run(std::string(c.line) + " /LOG=" + (folder / "fernwick.log"));
        WindowlessView view(run);
        InstallSession session(run, view);
        ASSERT_TRUE(session.OpenLog()) << c.line;
        EXPECT_EQ(c.answer, session.Silenced("The box's text", c.style)) << c.line << " " << c.style;
        session.CloseLog();
        const bool logged = ReadFileBytes(folder / "fernwick.log").find("\r\nThe box's text\r\n") != std::string::npos;
        EXPECT_EQ(c.answer != 0, logged) << c.line << " " << c.style;
    }
}

} // namespace

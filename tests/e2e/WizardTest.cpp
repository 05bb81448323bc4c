#include "WizardTest.h"

#include <algorithm>
#include <regex>

#include "Text.h"
#include "Unix.h"

namespace e2e {

std::string ShotFolder()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "\\" + test->name();
    for (char& c : name) {
        if (c == '/')
            c = '-';
    }
    return ExeFolder() + "\\screenshots\\" + name;
}

namespace {

// The lines of a text whose lines all end in CR LF; false when one does not.
bool SplitLines(const std::string& text, std::vector<std::string>& lines)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos || end == start || text[end - 1] != '\r')
            return false;
        lines.push_back(text.substr(start, end - 1 - start));
        start = end + 1;
    }
    return true;
}

} // namespace

void WizardTest::SetUp()
{
    ASSERT_TRUE(world.IsReady());
    ASSERT_TRUE(world.InstallFrontPage98());
    ASSERT_TRUE(world.AddKit());
}

void WizardTest::Start()
{
    Start(ExeFolder() + "\\fernwick.exe");
}

void WizardTest::Start(const std::string& exe)
{
    app = std::make_unique<App>(exe, world.KitFolder(), ShotFolder());
    ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
}

void WizardTest::Attach(DWORD processId)
{
    app = std::make_unique<App>(processId, ShotFolder());
    ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
}

void WizardTest::Launch(const std::string& arguments, const std::string& folder, const std::string& exe)
{
    app = std::make_unique<App>(exe.empty() ? ExeFolder() + "\\fernwick.exe" : exe,
                                folder.empty() ? world.KitFolder() : folder, ShotFolder(), arguments);
}

std::string ProgramText(LANGID language, UINT id)
{
    static HMODULE program =
        LoadLibraryExW(WideOf(ExeFolder() + "\\fernwick.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::wstring text;
    return FindResString(language, id, text, program) ? Utf8Of(text) : std::string();
}

void WizardTest::StartIn(const std::string& locale, const std::string& arguments)
{
    // Wine takes the user's language from the Unix locale its program starts in.
    ASSERT_NO_FATAL_FAILURE(LaunchFromUnix(ExeFolder() + "\\fernwick.exe", world.KitFolder(),
                                           "LANG=" + locale + " LC_ALL=" + locale, arguments));
    ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
    // The language whose introduction the first page ends with.
    const std::string shown = app->StatusText();
    for (const Translation& translation : kTranslations) {
        const std::string intro = ProgramText(translation.language, IDS_INTRO);
        if (!intro.empty() && shown.size() >= intro.size() &&
            shown.compare(shown.size() - intro.size(), intro.size(), intro) == 0)
            language = translation.language;
    }
    ASSERT_NE(0, language) << shown;
    app->copyingText = Text(IDS_COPYING);
}

void WizardTest::LaunchFromUnix(const std::string& exe, const std::string& folder, const std::string& environment,
                                const std::string& arguments)
{
    const std::string exeName = exe.substr(exe.find_last_of('\\') + 1);
    std::vector<DWORD> before = ProcessesNamed(exeName.c_str());
    ASSERT_TRUE(StartShell("cd " + ShellQuote(UnixPath(folder)) + " && " + environment + " exec wine " +
                               ShellQuote(exe) + " " + arguments,
                           folder));
    DWORD started = 0;
    ASSERT_TRUE(WaitUntil([&] {
        for (DWORD id : ProcessesNamed(exeName.c_str())) {
            if (std::find(before.begin(), before.end(), id) == before.end())
                started = id;
        }
        return started != 0;
    }));
    app = std::make_unique<App>(started, ShotFolder());
}

std::string WizardTest::Text(UINT id) const
{
    return ProgramText(language, id);
}

bool WizardTest::RunToEnd(const std::string& arguments, const std::string& folder, const std::string& exe,
                          DWORD timeoutMs)
{
    Launch(arguments, folder, exe);
    showedWindow = false;
    // Looked for as often as the system lets a poll run.
    bool ended = WaitUntil(
        [&] {
            bool exited = app->HasExited();
            showedWindow = app->HasAnyWindow() || showedWindow;
            return exited;
        },
        timeoutMs, 1);
    exitCode = app->ExitCode();
    return ended;
}

bool WizardTest::PackSetup(const std::string& kitFolder, const std::string& output)
{
    return RunToEnd("/VERYSILENT /PACK \"/KIT=" + kitFolder + "\" \"/OUT=" + output + "\"") && exitCode == 0 &&
           PathExists(output);
}

std::string WizardTest::WithLogNote(const std::string& message) const
{
    return message + kLogNote + world.LogPath();
}

std::string WizardTest::Log() const
{
    return ReadFileBytes(world.LogPath());
}

void ExpectControls(const App& app, std::initializer_list<ControlState> states)
{
    for (const ControlState& state : states) {
        Window control = app.Control(state.id);
        ASSERT_TRUE(control) << state.name;
        EXPECT_EQ(control.IsVisible(), state.visible) << state.name;
        EXPECT_EQ(control.IsEnabled(), state.enabled) << state.name;
    }
}

void ExpectFinalPageControls(const App& app)
{
    ExpectControls(app, {
                            {IDC_NEXT, "Next", true, false},
                            {IDCANCEL, "Cancel", true, false},
                            {IDOK, "Finish", true, true},
                        });
    EXPECT_FALSE(app.Control(IDC_NEXT).IsDefaultButton());
    EXPECT_TRUE(app.Control(IDOK).IsDefaultButton());
    EXPECT_TRUE(app.Control(IDOK).HasFocus());
}

std::string SystemText(DWORD code)
{
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (char*)&text, 0, nullptr);
    std::string result(text ? text : "", length);
    LocalFree(text);
    return result;
}

testing::AssertionResult LogEndsWith(const std::string& log, const std::vector<std::string>& lines)
{
    std::vector<std::string> logLines;
    if (!SplitLines(log, logLines))
        return testing::AssertionFailure() << "not all lines end in CR LF:\n" << log;
    if (logLines.size() < lines.size() + 2)
        return testing::AssertionFailure() << "too few lines:\n" << log;

    std::vector<std::string> tail(logLines.end() - lines.size() - 2, logLines.end() - 2);
    if (tail != lines)
        return testing::AssertionFailure() << "the log's last lines differ:\n" << log;
    static const std::regex closing("Log file closed on \\d{2}-[A-Z][a-z]{2}-\\d{4} at \\d{2}:\\d{2}:\\d{2}");
    if (!std::regex_match(logLines[logLines.size() - 2], closing))
        return testing::AssertionFailure() << "no closing line before the end:\n" << log;
    if (!logLines.back().empty())
        return testing::AssertionFailure() << "no empty last line:\n" << log;
    return testing::AssertionSuccess();
}

} // namespace e2e

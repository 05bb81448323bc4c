// The fixture of the end-to-end tests: each test gets its own world (FrontPage
// 98 installed, a kit without licence or readme unless the test adds them) and
// runs the real fernwick.exe in it.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "App.h"
#include "win/Language.h"
#include "World.h"

namespace e2e {

class WizardTest : public testing::Test {
protected:
    void SetUp() override;

    // Starts the wizard in the kit folder and waits for its first page: the
    // build's fernwick.exe, or the copy at `exe`.
    void Start();
    void Start(const std::string& exe);
    // Takes over a wizard started by other means and waits for its first page.
    void Attach(DWORD processId);
    // Starts the build's fernwick.exe, or the program `exe`, with `arguments`
    // in `folder` (the kit folder when empty), waiting for nothing.
    void Launch(const std::string& arguments, const std::string& folder = std::string(),
                const std::string& exe = std::string());
    // Starts the program `exe` in `folder` from the Unix shell, its command
    // line after `environment` (Unix variables), and takes it over without
    // waiting for anything.
    void LaunchFromUnix(const std::string& exe, const std::string& folder, const std::string& environment,
                        const std::string& arguments = std::string());
    // Starts the wizard as a user whose interface language is that of the
    // Unix locale `locale` ("de_DE.UTF-8"), with `arguments`, and waits for
    // its first page; it reads the texts of the wizard's language from then on.
    void StartIn(const std::string& locale, const std::string& arguments = std::string());
    // The wizard's language, as StartIn found it from its first page.
    LANGID language = 0;
    // Text `id` of the program's string table in the wizard's language.
    std::string Text(UINT id) const;
    // Launches it and waits for its end, looking for its windows all the
    // while. False when it did not end within `timeoutMs`.
    bool RunToEnd(const std::string& arguments, const std::string& folder = std::string(),
                  const std::string& exe = std::string(), DWORD timeoutMs = kTimeoutMs);
    // What the last RunToEnd saw.
    DWORD exitCode = STILL_ACTIVE;
    bool showedWindow = false;
    // Packs the kit of `kitFolder` into the setup program `output` with the
    // build's fernwick.exe, as a kit's author does, without a window.
    bool PackSetup(const std::string& kitFolder, const std::string& output);
    // The final text when the log was written: the message, then the log's path.
    std::string WithLogNote(const std::string& message) const;
    std::string Log() const;

    World world;
    std::unique_ptr<App> app;
};

// Screenshots of a test go to screenshots\<suite>\<test> beside the executable.
std::string ShotFolder();

// How one control of the wizard looks.
struct ControlState {
    int id;
    const char* name;
    bool visible;
    bool enabled;
};
void ExpectControls(const App& app, std::initializer_list<ControlState> states);

// Only "Finish" is live: it is enabled, the default button and has the focus.
void ExpectFinalPageControls(const App& app);

// The system's text for error `code`, as the wizard puts it after its
// number, with the system's line end.
std::string SystemText(DWORD code);

// The log holds CR LF lines and ends with `lines`, then the closing line with
// its date and time, then an empty line.
testing::AssertionResult LogEndsWith(const std::string& log, const std::vector<std::string>& lines);

} // namespace e2e

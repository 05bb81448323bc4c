// The wizard under test: fernwick.exe started in a kit folder and driven from
// another process through its windows. Every step waits, with a time limit,
// until the wizard has taken the input and settled, and saves a screenshot.
#pragma once
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Files.h"
#include "Wait.h"
#include "Window.h"
#include "res/resource.h"

namespace e2e {

// Texts of the wizard's pages.
extern const char kReadyText[];
extern const char kCancelledText[];
extern const char kDoneText[];
extern const char kFailedText[];
extern const char kLogNote[];
extern const char kCopyingText[];
extern const char kConfirmCancelText[];
extern const char kFrontPageRunningText[];
// The question about the file at `path`, held by a program the system does not name.
std::string FileInUseText(const std::string& path);

// The ways a user, or a program acting for one, cancels: a click posted to
// "Cancel" (as a mouse click arrives), one sent to it (as accessibility tools
// and UI automation send it), the Escape key, the close box, WM_CLOSE, Alt+F4;
// and with real input, by a person's hand: "Cancel" and the close box clicked
// with the mouse, Escape typed.
enum class CancelBy {
    Button,
    SentClick,
    EscapeKey,
    CloseBox,
    CloseMessage,
    AltF4,
    MouseOnButton,
    MouseOnCloseBox,
    EscapeTyped,
};
const char* Name(CancelBy how);
// How GoogleTest names a test's parameter.
void PrintTo(CancelBy how, std::ostream* out);

class App {
public:
    // Starts `exe` with `folder` as its current folder and `arguments` after
    // its name on its command line; screenshots go to `shotFolder`.
    App(const std::string& exe, const std::string& folder, const std::string& shotFolder,
        const std::string& arguments = std::string());
    // Takes over the wizard of process `processId`, started by other means.
    App(DWORD processId, const std::string& shotFolder);
    // Ends the program, and the Notepad it may have started, when still running.
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    DWORD Id() const { return m_id; }
    bool HasExited() const;
    bool WaitForExit(DWORD timeoutMs = kTimeoutMs) const;
    // Ends the program at once, as a crash or the task manager would.
    bool Kill() const;
    // The program's exit code; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    // The program has a window, shown or not: a top-level or a message-only one.
    bool HasAnyWindow() const;

    // The wizard dialog, once it is shown; an empty window before and after.
    Window Wizard() const;
    Window Control(int id) const { return Wizard().Item(id); }
    std::string StatusText() const { return Control(IDC_STATUS_TEXT).Text(); }
    // The topmost dialog or message box shown over the wizard, if any, once
    // it waits for input with the controls of its kind.
    Window Dialog() const;
    // The wizard waits for input on one of its pages, with nothing on top.
    bool IsIdle() const;
    // Only "Finish" is live.
    bool IsFinalPage() const;

    // The text of the copy page, which is never idle: English unless the
    // wizard speaks another language.
    std::string copyingText = kCopyingText;

    // Waits for the first page.
    bool WaitForWizard();
    // Runs `act`, then waits until the wizard shows something new and has
    // settled: idle on a page, or waiting in a dialog on top. The screenshot
    // is named after the dialog on top, else `page`; none for an empty `page`.
    bool Step(const std::string& page, const std::function<void()>& act);
    // "Next >" on the first page, to the kit summary.
    bool PassStart();
    // "Next >" on the summary, to the ready prompt (a kit without licence).
    bool PassLicence();
    // "Next >" on the ready prompt, to the final page.
    bool PassCopy();
    // Cancels and waits for the final page.
    bool Cancel(CancelBy how);
    // Gives the cancel input without waiting for anything but, with real
    // input, the press taken; false when real input could not be given.
    bool RequestCancel(CancelBy how) const;
    // The Enter key, at the control that has the focus.
    void PressEnter() const;
    // Waits until everything posted to the wizard so far has been handled,
    // including what that input posted in turn.
    bool Drain() const;
    // Clicks the default button of the dialog on top and waits until it is
    // gone; what follows is screenshot `page`.
    bool AnswerDialog(const std::string& page);
    // Answers the message box on top with its button `button` (OK, Yes, No,
    // Retry, Cancel) and waits until it is gone; its text, or empty when no
    // message box was answered.
    std::string AnswerMessageBox(const std::string& page, int button = IDOK);
    // Waits until a message box is shown over the wizard; its text, or empty
    // when none came.
    std::string WaitForMessageBox();
    // Clicks "Next >" on the ready prompt and waits until the wizard copies.
    bool StartCopy();

    // Programs this one started with the given file name, running or not.
    std::vector<DWORD> Children(const char* exeName) const;
    // A visible window of a started program whose title contains `titlePart`.
    Window ChildWindow(const std::string& titlePart) const;

    // Saves a screenshot of the program's windows and of those it started.
    void Shot(const std::string& name);
    // What the program shows, for failure messages.
    std::string Describe() const;

private:
    // What makes a page new. Not the log box: "Next >" on the first page
    // disables it before the stage's work (the undo of an installation cut
    // short, the detection), while the wizard still answers and its page is
    // the first one.
    struct Page {
        std::string text;
        bool finishEnabled;
        HWND dialog;
        bool operator!=(const Page& other) const;
    };
    Page CurrentPage() const;
    bool HasHiddenDialog() const;

    Handle m_process;
    DWORD m_id = 0;
    DWORD m_startError = 0;
    std::string m_shotFolder;
    int m_shots = 0;
    mutable Window m_wizard;
    // Where the wizard's close box was found on its first page: looked for
    // again only when the wizard no longer answers HTCLOSE there, since a
    // search asks it many times, which takes long while it copies.
    mutable POINT m_closeBox = {};
};

// The running processes whose program file is named `exeName`.
std::vector<DWORD> ProcessesNamed(const char* exeName);

// What kind of dialog this is, told by its controls: "version-choice",
// "licence", "message", "about" or "dialog".
std::string DialogKind(const Window& dialog);

// The text of a message box.
std::string MessageText(const Window& box);

// Closes a top-level window as its close box would, and waits until its
// program has ended.
bool CloseProgramWindow(const Window& window);

} // namespace e2e

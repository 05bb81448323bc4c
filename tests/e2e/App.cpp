#include "App.h"

#include <tlhelp32.h>

#include <cstdio>

#include "Screenshot.h"
#include "Text.h"

namespace e2e {

const char kReadyText[] = "Ready to install themes.\n\nClick Next to continue.";
const char kCancelledText[] = "Installation cancelled.";
const char kDoneText[] = "The installation was successfully completed.";
const char kFailedText[] = "Installation failed. Please check the log file.";
const char kLogNote[] = "\nLog file written to ";
const char kCopyingText[] = "Copying files...";
const char kConfirmCancelText[] = "Do you want to stop the installation?\n\nThe files copied so far will be removed "
                                  "and the files they replaced restored.";
const char kFrontPageRunningText[] = "Microsoft FrontPage is running.\n\nClose FrontPage, then click Retry. Click "
                                     "Cancel to stop the installation.";

std::string FileInUseText(const std::string& path)
{
    return "This file is in use by another program:\n" + path +
           "\n\nClose that program, then click Retry. Click Cancel to stop the installation.";
}

namespace {

// Dialogs and message boxes share this window class.
const char kDialogClass[] = "#32770";
// The static control that holds a message box's text.
const int kMessageTextId = 0xFFFF;
// How long a screenshot waits for the screen to stop changing.
const DWORD kPictureSettleMs = 2000;

struct WindowSearch {
    DWORD processId;
    std::vector<Window> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    auto* search = (WindowSearch*)param;
    DWORD id = 0;
    GetWindowThreadProcessId(hwnd, &id);
    if (id == search->processId)
        search->found.emplace_back(hwnd);
    return TRUE;
}

// The top-level windows of a process, topmost first.
std::vector<Window> TopWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

bool EndProcess(DWORD id)
{
    Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    return process.Get() && TerminateProcess(process.Get(), 1) &&
           WaitForSingleObject(process.Get(), kTimeoutMs) == WAIT_OBJECT_0;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

const char* Name(CancelBy how)
{
    switch (how) {
    case CancelBy::Button:
        return "CancelButton";
    case CancelBy::SentClick:
        return "SentClick";
    case CancelBy::EscapeKey:
        return "EscapeKey";
    case CancelBy::CloseBox:
        return "CloseBox";
    case CancelBy::CloseMessage:
        return "CloseMessage";
    case CancelBy::AltF4:
        return "AltF4";
    case CancelBy::MouseOnButton:
        return "MouseOnButton";
    case CancelBy::MouseOnCloseBox:
        return "MouseOnCloseBox";
    case CancelBy::EscapeTyped:
        return "EscapeTyped";
    }
    return "";
}

void PrintTo(CancelBy how, std::ostream* out)
{
    *out << Name(how);
}

App::App(const std::string& exe, const std::string& folder, const std::string& shotFolder,
         const std::string& arguments)
    : m_shotFolder(shotFolder)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring commandLine = WideOf(Quoted(exe) + (arguments.empty() ? "" : " " + arguments));
    if (!CreateProcessW(WideOf(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        WideOf(folder).c_str(), &startup, &started)) {
        m_startError = GetLastError();
        return;
    }
    CloseHandle(started.hThread);
    m_process.Reset(started.hProcess);
    m_id = started.dwProcessId;
}

App::App(DWORD processId, const std::string& shotFolder) : m_shotFolder(shotFolder)
{
    m_process.Reset(OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!m_process.Get()) {
        m_startError = GetLastError();
        return;
    }
    m_id = processId;
}

App::~App()
{
    for (DWORD child : Children("notepad.exe"))
        EndProcess(child);
    if (!HasExited()) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), kTimeoutMs);
    }
}

bool App::HasExited() const
{
    return !m_process.Get() || WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
}

bool App::WaitForExit(DWORD timeoutMs) const
{
    return m_process.Get() && WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool App::Kill() const
{
    return m_process.Get() && TerminateProcess(m_process.Get(), 1) && WaitForExit();
}

DWORD App::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (!m_process.Get() || !GetExitCodeProcess(m_process.Get(), &code))
        return STILL_ACTIVE;
    return code;
}

bool App::HasAnyWindow() const
{
    if (!TopWindows(m_id).empty())
        return true;
    // Message-only windows are not top-level ones: they are listed apart.
    for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));) {
        if (Window(window).ProcessId() == m_id)
            return true;
    }
    return false;
}

Window App::Wizard() const
{
    if (m_wizard.Exists())
        return m_wizard;
    m_wizard = Window();
    for (const Window& window : TopWindows(m_id)) {
        if (window.IsVisible() && window.ClassName() == kDialogClass && window.HasItem(IDC_NEXT)) {
            m_wizard = window;
            break;
        }
    }
    return m_wizard;
}

Window App::Dialog() const
{
    Window wizard = Wizard();
    for (const Window& window : TopWindows(m_id)) {
        if (window != wizard && window.IsVisible() && window.ClassName() == kDialogClass) {
            // Under load a dialog can be seen shown before its controls are
            // made and set up: it is there once its own loop answers.
            const bool ready = window.IsEnabled() && window.Answers() && DialogKind(window) != "dialog";
            return ready ? window : Window();
        }
    }
    return Window();
}

bool App::HasHiddenDialog() const
{
    // A dialog is created hidden and shown by its own message loop; once ended,
    // it stays hidden until it is destroyed.
    Window wizard = Wizard();
    for (const Window& window : TopWindows(m_id)) {
        if (window != wizard && window.ClassName() == kDialogClass)
            return true;
    }
    return false;
}

bool App::IsIdle() const
{
    Window wizard = Wizard();
    // While it copies, the wizard answers other programs but leaves input
    // queued: the copy page is never one that waits for input.
    return wizard && wizard.IsEnabled() && !HasHiddenDialog() && wizard.Answers() && StatusText() != copyingText;
}

bool App::IsFinalPage() const
{
    Window wizard = Wizard();
    return wizard && wizard.Item(IDOK).IsEnabled() && !wizard.Item(IDCANCEL).IsEnabled();
}

bool App::Page::operator!=(const Page& other) const
{
    return text != other.text || finishEnabled != other.finishEnabled || dialog != other.dialog;
}

App::Page App::CurrentPage() const
{
    return {StatusText(), Control(IDOK).IsEnabled(), Dialog().Hwnd()};
}

bool App::WaitForWizard()
{
    bool shown = WaitUntil([&] { return IsIdle(); });
    if (shown)
        Wizard().CloseBoxPoint(m_closeBox);
    Shot("start");
    return shown;
}

bool App::Step(const std::string& page, const std::function<void()>& act)
{
    const Page before = CurrentPage();
    act();
    // The page is read first: once it shows a change, the input has been taken,
    // and a wizard that then answers has either finished handling it or waits
    // in a dialog on top.
    bool settled = WaitUntil([&] { return CurrentPage() != before && (IsIdle() || Dialog()); });
    Window dialog = Dialog();
    if (dialog)
        Shot(DialogKind(dialog));
    else if (!page.empty())
        Shot(page);
    return settled;
}

bool App::PassStart()
{
    return Step("summary", [&] { Control(IDC_NEXT).Click(); }) && IsIdle() && !IsFinalPage();
}

bool App::PassLicence()
{
    return Step("ready", [&] { Control(IDC_NEXT).Click(); }) && IsIdle() && StatusText() == kReadyText;
}

bool App::PassCopy()
{
    return Step("final", [&] { Control(IDC_NEXT).Click(); }) && IsIdle() && IsFinalPage();
}

bool App::Cancel(CancelBy how)
{
    return Step("cancelled", [&] { RequestCancel(how); }) && IsIdle() && IsFinalPage();
}

bool App::RequestCancel(CancelBy how) const
{
    switch (how) {
    case CancelBy::Button:
        Control(IDCANCEL).Click();
        return true;
    case CancelBy::SentClick:
        Control(IDCANCEL).SendClick();
        return true;
    case CancelBy::EscapeKey: {
        // The dialog manager turns Escape at any of its controls into the cancel command.
        Window focus = Wizard().Focus();
        (focus ? focus : Wizard()).PressKey(VK_ESCAPE);
        return true;
    }
    case CancelBy::CloseBox:
        Wizard().SysCommand(SC_CLOSE);
        return true;
    case CancelBy::CloseMessage:
        Wizard().Post(WM_CLOSE);
        return true;
    case CancelBy::AltF4: {
        Window focus = Wizard().Focus();
        (focus ? focus : Wizard()).PressAltKey(VK_F4);
        return true;
    }
    case CancelBy::MouseOnButton:
        return Control(IDCANCEL).ClickWithMouse();
    case CancelBy::MouseOnCloseBox:
        return (Wizard().HitTest(m_closeBox) == HTCLOSE || Wizard().CloseBoxPoint(m_closeBox)) &&
               Window::ClickAt(m_closeBox, Wizard());
    case CancelBy::EscapeTyped:
        // Typed at the window in front, which the wizard must be.
        if (!Wizard().WaitForForeground())
            return false;
        TypeKey(VK_ESCAPE);
        return true;
    }
    return false;
}

void App::PressEnter() const
{
    Window focus = Wizard().Focus();
    (focus ? focus : Wizard()).PressKey(VK_RETURN);
}

bool App::Drain() const
{
    // Posted messages are handled in order: once a marker posted after the input
    // has taken effect, so has the input. The marker is the pushed look of
    // "Create log file", set and cleared again; the second round covers what the
    // input posted in turn (the close box posts the cancel command).
    Window box = Control(IDC_CREATE_LOG);
    for (bool pushed : {true, false}) {
        box.Post(BM_SETSTATE, pushed);
        if (!WaitUntil([&] { return box.IsPushed() == pushed; }))
            return false;
    }
    return true;
}

bool App::AnswerDialog(const std::string& page)
{
    Window dialog = Dialog();
    return dialog && Step(page, [&] { dialog.Item(IDOK).Click(); }) && !dialog.IsVisible();
}

std::string App::AnswerMessageBox(const std::string& page, int button)
{
    Window box = Dialog();
    if (!box || DialogKind(box) != "message" || !box.HasItem(button))
        return std::string();
    const std::string text = MessageText(box);
    return Step(page, [&] { box.Item(button).Click(); }) && !box.IsVisible() ? text : std::string();
}

std::string App::WaitForMessageBox()
{
    Window box;
    WaitUntil([&] {
        box = Dialog();
        return box && DialogKind(box) == "message" && box.IsVisible() && box.Answers();
    });
    if (!box)
        return std::string();
    Shot("message");
    return MessageText(box);
}

bool App::StartCopy()
{
    Control(IDC_NEXT).Click();
    return WaitUntil([&] { return StatusText() == copyingText; });
}

std::vector<DWORD> App::Children(const char* exeName) const
{
    std::vector<DWORD> children;
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL found = Process32First(snapshot.Get(), &entry); found; found = Process32Next(snapshot.Get(), &entry)) {
        if (m_id && entry.th32ParentProcessID == m_id && (!exeName || _stricmp(entry.szExeFile, exeName) == 0))
            children.push_back(entry.th32ProcessID);
    }
    return children;
}

Window App::ChildWindow(const std::string& titlePart) const
{
    for (DWORD child : Children(nullptr)) {
        for (const Window& window : TopWindows(child)) {
            if (window.IsVisible() && window.Text().find(titlePart) != std::string::npos)
                return window;
        }
    }
    return Window();
}

void App::Shot(const std::string& name)
{
    std::vector<DWORD> programs = Children(nullptr);
    programs.push_back(m_id);
    RECT area = {};
    for (DWORD program : programs) {
        for (const Window& window : TopWindows(program)) {
            if (!window.IsVisible())
                continue;
            // Paint what is pending, so that the picture shows the current state.
            RedrawWindow(window.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            RECT rect = window.Rect();
            UnionRect(&area, &area, &rect);
        }
    }
    if (IsRectEmpty(&area))
        return;
    // Wine puts what a window painted on the screen a moment later: wait until
    // two pictures taken apart agree.
    std::string picture = CaptureScreenArea(area);
    std::string previous;
    WaitUntil(
        [&] {
            previous.swap(picture);
            picture = CaptureScreenArea(area);
            return picture == previous;
        },
        kPictureSettleMs, 50);
    char number[16];
    std::snprintf(number, sizeof number, "%02d-", ++m_shots);
    WriteFileBytes(m_shotFolder + "\\" + number + name + ".bmp", picture);
}

std::string App::Describe() const
{
    if (!m_id)
        return "fernwick.exe did not start, error " + std::to_string(m_startError);
    std::string text = HasExited() ? "fernwick.exe has exited" : "fernwick.exe is running";
    Window wizard = Wizard();
    for (const Window& window : TopWindows(m_id)) {
        if (!window.IsVisible())
            continue;
        text += "\n  window " + Quoted(window.Text()) + (window.IsEnabled() ? "" : " (disabled)");
        if (window == wizard) {
            text += ", text " + Quoted(StatusText());
            text += IsFinalPage() ? ", final page" : ", not the final page";
        } else {
            const std::string kind = DialogKind(window);
            text += ", a " + kind;
            if (kind == "message")
                text += " saying " + Quoted(MessageText(window));
        }
    }
    return text;
}

std::vector<DWORD> ProcessesNamed(const char* exeName)
{
    std::vector<DWORD> found;
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
        if (_stricmp(entry.szExeFile, exeName) == 0)
            found.push_back(entry.th32ProcessID);
    }
    return found;
}

std::string DialogKind(const Window& dialog)
{
    if (dialog.HasItem(IDC_RADIO_FP98))
        return "version-choice";
    if (dialog.HasItem(IDC_LICENCE_TEXT))
        return "licence";
    if (dialog.HasItem(IDC_VERSION_TEXT))
        return "about";
    // Other dialogs may have unnamed statics with this id as well: told last.
    if (dialog.HasItem(kMessageTextId))
        return "message";
    return "dialog";
}

std::string MessageText(const Window& box)
{
    return box.Item(kMessageTextId).Text();
}

bool CloseProgramWindow(const Window& window)
{
    Handle process(OpenProcess(SYNCHRONIZE, FALSE, window.ProcessId()));
    window.Post(WM_CLOSE);
    return process.Get() && WaitForSingleObject(process.Get(), kTimeoutMs) == WAIT_OBJECT_0;
}

} // namespace e2e

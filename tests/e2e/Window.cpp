#include "Window.h"

#include <commctrl.h>

#include "Text.h"
#include "Wait.h"

#include <vector>

namespace e2e {

const char kNoAnswer[] = "<window did not answer>";

namespace {

// How long one message may wait for a busy window before it counts as not answering.
const UINT kAnswerMs = 5000;

} // namespace

DWORD Window::ProcessId() const
{
    DWORD id = 0;
    GetWindowThreadProcessId(m_hwnd, &id);
    return id;
}

std::string Window::ClassName() const
{
    char name[256];
    int length = GetClassNameA(m_hwnd, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

RECT Window::Rect() const
{
    RECT rect = {};
    GetWindowRect(m_hwnd, &rect);
    return rect;
}

bool Window::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, UINT timeoutMs) const
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(m_hwnd, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer))
        return false;
    result = (LRESULT)answer;
    return true;
}

std::string Window::Text() const
{
    LRESULT length = 0;
    if (!Send(WM_GETTEXTLENGTH, 0, 0, length, kAnswerMs))
        return kNoAnswer;
    std::wstring text(length + 1, L'\0');
    LRESULT copied = 0;
    if (!Send(WM_GETTEXT, text.size(), (LPARAM)&text[0], copied, kAnswerMs))
        return kNoAnswer;
    text.resize(copied);
    return Utf8Of(text);
}

int Window::CheckState() const
{
    LRESULT state = 0;
    return Send(BM_GETCHECK, 0, 0, state, kAnswerMs) ? (int)state : -1;
}

bool Window::IsPushed() const
{
    LRESULT state = 0;
    return Send(BM_GETSTATE, 0, 0, state, kAnswerMs) && (state & BST_PUSHED);
}

bool Window::IsDefaultButton() const
{
    return (GetWindowLongA(m_hwnd, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
}

Window Window::Focus() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(m_hwnd, nullptr), &info))
        return Window();
    return Window(info.hwndFocus);
}

bool Window::HasFocus() const
{
    return m_hwnd && Focus().Hwnd() == m_hwnd;
}

int Window::ProgressPosition() const
{
    LRESULT position = 0;
    return Send(PBM_GETPOS, 0, 0, position, kAnswerMs) ? (int)position : -1;
}

int Window::ProgressUpperBound() const
{
    LRESULT bound = 0;
    return Send(PBM_GETRANGE, FALSE, 0, bound, kAnswerMs) ? (int)bound : -1;
}

bool Window::Answers() const
{
    LRESULT ignored = 0;
    return Send(WM_NULL, 0, 0, ignored, 200);
}

void Window::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    PostMessageW(m_hwnd, message, wParam, lParam);
}

void Window::PressKey(UINT key) const
{
    LPARAM scan = (LPARAM)MapVirtualKeyA(key, 0) << 16;
    Post(WM_KEYDOWN, key, scan | 1);
    Post(WM_KEYUP, key, scan | 1 | (1u << 30) | (1u << 31));
}

void Window::PressAltKey(UINT key) const
{
    LPARAM scan = (LPARAM)MapVirtualKeyA(key, 0) << 16;
    Post(WM_SYSKEYDOWN, key, scan | 1 | (KF_ALTDOWN << 16));
    Post(WM_SYSKEYUP, key, scan | 1 | ((LPARAM)KF_ALTDOWN << 16) | (1u << 30) | (1u << 31));
}

bool Window::WaitForForeground() const
{
    return WaitUntil([&] { return GetForegroundWindow() == m_hwnd; });
}

void TypeKey(UINT key, bool alt)
{
    std::vector<INPUT> inputs;
    auto add = [&](UINT virtualKey, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = (WORD)virtualKey;
        input.ki.wScan = (WORD)MapVirtualKeyA(virtualKey, 0);
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (alt)
        add(VK_MENU, false);
    add(key, false);
    add(key, true);
    if (alt)
        add(VK_MENU, true);
    SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT));
}

} // namespace e2e

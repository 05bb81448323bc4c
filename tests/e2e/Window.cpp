#include "Window.h"

#include <commctrl.h>

#include <vector>

#include "Text.h"
#include "Wait.h"

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

LRESULT Window::HitTest(POINT point) const
{
    LRESULT hit = HTNOWHERE;
    return Send(WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y), hit, kAnswerMs) ? hit : HTNOWHERE;
}

bool Window::CloseBoxPoint(POINT& point) const
{
    // Along the middle of the caption, from the right edge in: the frame's
    // border first, then the close box.
    RECT rect = Rect();
    POINT client = {0, 0};
    if (!ClientToScreen(m_hwnd, &client) || client.y <= rect.top)
        return false;
    const LONG y = (rect.top + client.y) / 2;
    std::vector<LONG> hits;
    for (LONG x = rect.right - 1; x > (rect.left + rect.right) / 2; x -= 2) {
        if (HitTest({x, y}) == HTCLOSE)
            hits.push_back(x);
        else if (!hits.empty())
            break;
    }
    if (hits.empty())
        return false;
    point = {hits[hits.size() / 2], y};
    return true;
}

Window Window::Capture() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(m_hwnd, nullptr), &info))
        return Window();
    return Window(info.hwndCapture);
}

namespace {

// The mouse at `point` of the screen, with its left button going down or up
// when `flags` say so. Each event carries its point: the pointer's position
// the system last heard of may be an older one still on its way.
void SendMouse(POINT point, DWORD flags)
{
    // Absolute positions run from 0 to 65536 across the screen: the first
    // value that falls on the point's pixel.
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (point.x * 65536 + width - 1) / width;
    input.mi.dy = (point.y * 65536 + height - 1) / height;
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

} // namespace

bool Window::ClickAt(POINT point, const Window& taker)
{
    // The pointer comes to rest on the point first. Under Wine a window that
    // went away from under the pointer (a message box answered) makes the
    // display report the pointer's crossing into the window below late, as a
    // move to where it was then; between the press and the release the
    // frame's tracking of its close box would take it for the pointer
    // leaving the box. The window's thread reads those reports each time it
    // finds its queue empty: two messages answered one after the other, and
    // the reports on their way before are in the queue, ahead of the press.
    SendMouse(point, 0);
    for (int answered = 0; answered < 2; ++answered)
        WaitUntil([&] { return taker.Answers(); });
    SendMouse(point, MOUSEEVENTF_LEFTDOWN);
    const bool taken = WaitUntil([&] { return taker.Capture() == taker; });
    SendMouse(point, MOUSEEVENTF_LEFTUP);
    return taken;
}

bool Window::ClickWithMouse() const
{
    RECT rect = Rect();
    return ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, *this);
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

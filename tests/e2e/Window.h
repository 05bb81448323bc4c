// A window of another process, read and driven from outside with messages,
// the way a user's input reaches it.
#pragma once
#include <windows.h>

#include <string>

namespace e2e {

// What Text() gives for a window that does not answer in time.
extern const char kNoAnswer[];

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : m_hwnd(hwnd) {}

    HWND Hwnd() const { return m_hwnd; }
    bool Exists() const { return m_hwnd && IsWindow(m_hwnd); }
    explicit operator bool() const { return Exists(); }
    bool operator==(const Window& other) const { return m_hwnd == other.m_hwnd; }
    bool operator!=(const Window& other) const { return m_hwnd != other.m_hwnd; }

    Window Item(int id) const { return Window(GetDlgItem(m_hwnd, id)); }
    bool HasItem(int id) const { return GetDlgItem(m_hwnd, id) != nullptr; }
    DWORD ProcessId() const;
    std::string ClassName() const;
    RECT Rect() const;

    // In UTF-8, read as the wide text it is.
    std::string Text() const;
    bool IsEnabled() const { return IsWindowEnabled(m_hwnd) != FALSE; }
    bool IsVisible() const { return IsWindowVisible(m_hwnd) != FALSE; }
    // BST_CHECKED or BST_UNCHECKED; -1 when the window does not answer.
    int CheckState() const;
    bool IsPushed() const;
    bool IsDefaultButton() const;
    bool HasFocus() const;
    // The control of this window's thread that has the keyboard focus.
    Window Focus() const;
    // Position and upper bound of a progress bar; -1 when it does not answer.
    int ProgressPosition() const;
    int ProgressUpperBound() const;
    // True when the window's thread takes messages, that is, waits in a message loop.
    bool Answers() const;

    // Input is posted, never sent: a handler that opens a modal dialog must
    // not hold the harness.
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void Click() const { Post(BM_CLICK); }
    // A click sent rather than posted, as accessibility tools and UI
    // automation send it: it reaches the window's procedure the next time
    // its thread looks at its messages, ahead of everything queued. Returns at once.
    void SendClick() const { SendNotifyMessageW(m_hwnd, BM_CLICK, 0, 0); }
    // A key pressed and released while this window has the focus.
    void PressKey(UINT key) const;
    // The same with Alt held down (Alt+F4).
    void PressAltKey(UINT key) const;
    void SysCommand(UINT command) const { Post(WM_SYSCOMMAND, command); }
    // Waits until this window is the one the keyboard types into; false when
    // it does not become so in time.
    bool WaitForForeground() const;

    // Real input, as a person gives it: events put into the system's input
    // queue (SendInput), which reach a window by the road a person's do.
    // What the window says is at `point` of the screen (WM_NCHITTEST: HTCLOSE
    // for its close box); HTNOWHERE when it does not answer.
    LRESULT HitTest(POINT point) const;
    // The point of the screen where the window answers HTCLOSE: its close
    // box. False when it has none, or does not answer.
    bool CloseBoxPoint(POINT& point) const;
    // The window of this window's thread that holds the mouse capture, as a
    // button and the frame's own buttons do while pressed.
    Window Capture() const;
    // The mouse moved to `point` of the screen and its left button pressed
    // there, then let go once `taker` holds the capture: the press has been
    // taken. False when it was not taken in time (the button is let go all the same).
    static bool ClickAt(POINT point, const Window& taker);
    // The left button clicked in the middle of this window, taken by it.
    bool ClickWithMouse() const;

private:
    bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, UINT timeoutMs) const;

    HWND m_hwnd = nullptr;
};

// A key pressed and released on the real keyboard, as SendInput types it into
// the foreground window; with Alt held down for a mnemonic.
void TypeKey(UINT key, bool alt = false);

} // namespace e2e

#include "win/Controls.h"

namespace {

// Often enough for the bar to move smoothly.
const DWORD kQuietPaintInterval = 50;

} // namespace

std::string Control::GetText() const
{
    std::string text(GetWindowTextLengthA(m_hwnd) + 1, '\0');
    text.resize(GetWindowTextA(m_hwnd, &text[0], (int)text.size()));
    return text;
}

void Button::SetDefault(bool isDefault)
{
    // The button style is the low byte of the window style.
    UINT style = (UINT)GetWindowLongA(m_hwnd, GWL_STYLE) & 0xFF;
    style = isDefault ? (style | BS_DEFPUSHBUTTON) : (style & ~(UINT)BS_DEFPUSHBUTTON);
    SendMessageA(m_hwnd, BM_SETSTYLE, style, TRUE);
}

void ProgressBar::StepIt()
{
    SendMessageA(m_hwnd, PBM_STEPIT, 0, 0);
    if (m_quiet && GetTickCount() - m_painted >= kQuietPaintInterval) {
        // Painting is off while quiet (the bar counts as hidden meanwhile): on for one paint.
        SendMessageA(m_hwnd, WM_SETREDRAW, TRUE, 0);
        Paint();
        SendMessageA(m_hwnd, WM_SETREDRAW, FALSE, 0);
    }
}

void ProgressBar::SetQuiet(bool quiet)
{
    if (quiet == m_quiet)
        return;
    m_quiet = quiet;
    if (quiet) {
        Paint();
        SendMessageA(m_hwnd, WM_SETREDRAW, FALSE, 0);
    } else {
        SendMessageA(m_hwnd, WM_SETREDRAW, TRUE, 0);
        Paint();
    }
}

void ProgressBar::Paint()
{
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    m_painted = GetTickCount();
}

void ProgressBar::Register()
{
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = LoadLibraryA("comctl32.dll");
    auto init = reinterpret_cast<InitCommonControlsExFn>(
        reinterpret_cast<void (*)()>(library ? GetProcAddress(library, "InitCommonControlsEx") : nullptr));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    if (init)
        init(&controls);
}

#include "win/Controls.h"

#include "win/SystemLibrary.h"

namespace {

// Often enough for the bar to move smoothly; each move repaints it, a few ms under Wine.
const DWORD kQuietMoveInterval = 100;

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

void ProgressBar::SetStep(int step)
{
    m_step = step;
    SendMessageA(m_hwnd, PBM_SETSTEP, step, 0);
}

void ProgressBar::StepIt()
{
    if (!m_quiet) {
        SendMessageA(m_hwnd, PBM_STEPIT, 0, 0);
        return;
    }
    ++m_gathered;
    if (GetTickCount() - m_moved >= kQuietMoveInterval)
        MoveByGathered();
}

void ProgressBar::SetQuiet(bool quiet)
{
    if (!quiet)
        MoveByGathered();
    m_quiet = quiet;
    m_moved = GetTickCount();
}

void ProgressBar::MoveByGathered()
{
    if (m_gathered > 0)
        SendMessageA(m_hwnd, PBM_DELTAPOS, m_gathered * m_step, 0);
    m_gathered = 0;
    m_moved = GetTickCount();
}

void ProgressBar::Register()
{
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = LibraryFunction<InitCommonControlsExFn>(LoadLibraryA("comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    if (init)
        init(&controls);
}

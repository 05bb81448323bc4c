#include "win/Controls.h"

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

#include "win/Controls.h"

#include "win/Accessibility.h"
#include "win/SystemLibrary.h"
#include "win/Unicode.h"

namespace {

// Often enough for the bar to move smoothly; each move repaints it, a few ms under Wine.
const DWORD kQuietMoveInterval = 100;

// Bytes of text put into an edit box at a time: under Wine each piece costs
// a pass over the whole text already in the box, so pieces are large; a
// piece still takes well under a second there.
const size_t kEditPiece = 256 * 1024;

// Where the piece of `text` that starts at `start` ends: after its last line
// feed, else at the start of a character, never between CR and LF.
size_t PieceEnd(const std::string& text, size_t start)
{
    size_t end = start + kEditPiece;
    if (end >= text.size())
        return text.size();
    size_t lineFeed = text.rfind('\n', end - 1);
    if (lineFeed != std::string::npos && lineFeed >= start)
        return lineFeed + 1;
    while (end > start + 1 && (((unsigned char)text[end] & 0xC0) == 0x80 || text[end - 1] == '\r'))
        --end;
    return end;
}

} // namespace

void Control::SetText(const std::string& text)
{
    SetWindowTextW(m_hwnd, Wide(text).c_str());
}

std::string Control::GetText() const
{
    std::wstring text(GetWindowTextLengthW(m_hwnd) + 1, L'\0');
    text.resize(GetWindowTextW(m_hwnd, &text[0], (int)text.size()));
    return Utf8(text);
}

void Static::SetStatus(const std::string& text, HWND labelled)
{
    SetText(text);
    AnnounceNameChange(m_hwnd);
    AnnotateNameFromLabel(labelled);
}

void Button::SetDefault(bool isDefault)
{
    // The button style is the low byte of the window style.
    UINT style = (UINT)GetWindowLongW(m_hwnd, GWL_STYLE) & 0xFF;
    style = isDefault ? (style | BS_DEFPUSHBUTTON) : (style & ~(UINT)BS_DEFPUSHBUTTON);
    SendMessageW(m_hwnd, BM_SETSTYLE, style, TRUE);
}

void Edit::SetLongText(const std::string& text, const std::function<void()>& betweenPieces)
{
    // Zero lifts the limit on the text's length; each piece goes at the end.
    SendMessageW(m_hwnd, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(m_hwnd, L"");
    size_t length = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = PieceEnd(text, start);
        std::wstring piece = Wide(text.substr(start, end - start));
        SendMessageW(m_hwnd, EM_SETSEL, length, length);
        SendMessageW(m_hwnd, EM_REPLACESEL, FALSE, (LPARAM)piece.c_str());
        length += piece.size();
        start = end;
        betweenPieces();
    }
    SendMessageW(m_hwnd, EM_SETSEL, 0, 0);
    SendMessageW(m_hwnd, EM_SCROLLCARET, 0, 0);
}

void ProgressBar::SetStep(int step)
{
    m_step = step;
    SendMessageW(m_hwnd, PBM_SETSTEP, step, 0);
}

void ProgressBar::StepIt()
{
    if (!m_quiet) {
        SendMessageW(m_hwnd, PBM_STEPIT, 0, 0);
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

void ProgressBar::FollowSteps(int done, int total)
{
    if (done > 0) {
        StepIt();
        return;
    }
    SetRange(total);
    SetStep(1);
    SetQuiet(true);
}

void ProgressBar::MoveByGathered()
{
    if (m_gathered > 0)
        SendMessageW(m_hwnd, PBM_DELTAPOS, m_gathered * m_step, 0);
    m_gathered = 0;
    m_moved = GetTickCount();
}

void ProgressBar::Register()
{
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = LibraryFunction<InitCommonControlsExFn>(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    if (init)
        init(&controls);
}

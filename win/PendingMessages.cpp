#include "win/PendingMessages.h"

namespace {

// Often enough to look alive, rarely enough that a walk over many small files
// does not pay a queue look-up for each.
const DWORD kInterval = 50;
// Enough for every window of a dialog to repaint; a steady stream of messages
// from another program must not hold the operation.
const int kMostLooks = 100;

// The messages an input filter is asked about, as ranges for PeekMessage:
// keys, the mouse in a window and on its frame, and the posted commands.
const struct {
    UINT first;
    UINT last;
} kInputRanges[] = {
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_MOUSEFIRST, WM_MOUSELAST},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
    {WM_COMMAND, WM_SYSCOMMAND},
    {WM_CLOSE, WM_CLOSE},
    {BM_CLICK, BM_CLICK},
};

} // namespace

void PendingMessages::Dispatch()
{
    if (m_dispatched && GetTickCount() - m_last < kInterval)
        return;
    DispatchNow();
}

void PendingMessages::DispatchNow()
{
    m_dispatched = true;
    m_last = GetTickCount();
    // A look that answers sent messages returns nothing, even with a paint
    // message waiting: look again while either kind is left.
    MSG message;
    for (int look = 0; look < kMostLooks && HIWORD(GetQueueStatus(QS_PAINT | QS_SENDMESSAGE)); ++look) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
            DispatchMessageW(&message);
    }
    if (m_filter)
        DispatchInput();
}

void PendingMessages::SetInputFilter(HWND dialog, InputFilter filter)
{
    m_dialog = dialog;
    m_filter = std::move(filter);
}

void PendingMessages::DispatchInput()
{
    MSG message;
    for (const auto& range : kInputRanges) {
        for (int look = 0; look < kMostLooks && PeekMessageW(&message, nullptr, range.first, range.last, PM_REMOVE);
             ++look) {
            if (!m_filter(message))
                continue;
            if (!IsDialogMessageW(m_dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
}

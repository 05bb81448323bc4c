#include "win/PendingMessages.h"

namespace {

// Often enough to look alive, rarely enough that a walk over many small files
// does not pay a queue look-up for each.
const DWORD kInterval = 50;
// Enough for every window of a dialog to repaint; a steady stream of messages
// from another program must not hold the operation.
const int kMostLooks = 100;

} // namespace

void PendingMessages::Dispatch()
{
    DWORD now = GetTickCount();
    if (m_dispatched && now - m_last < kInterval)
        return;
    m_dispatched = true;
    m_last = now;
    // A look that answers sent messages returns nothing, even with a paint
    // message waiting: look again while either kind is left.
    MSG message;
    for (int look = 0; look < kMostLooks && HIWORD(GetQueueStatus(QS_PAINT | QS_SENDMESSAGE)); ++look) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
            DispatchMessageW(&message);
    }
}

#include "win/PendingMessages.h"

namespace {

// Often enough to look alive, rarely enough that a walk over many small files
// does not pay a queue look-up for each.
const DWORD kInterval = 50;

} // namespace

void PendingMessages::Dispatch()
{
    DWORD now = GetTickCount();
    if (m_dispatched && now - m_last < kInterval)
        return;
    m_dispatched = true;
    m_last = now;
    // Sent messages are answered inside PeekMessage itself; only paint messages
    // come back here, and painting validates them, so the loop ends.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
        DispatchMessageA(&message);
}

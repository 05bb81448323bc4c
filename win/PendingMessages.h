// Keeping a window alive while a long operation holds its thread.
#pragma once
#include <windows.h>

// Repaints this thread's windows and answers the messages other threads and
// programs send them, so a window stays drawn and is not taken for hung while
// its thread is busy. The user's input and every posted message (a posted
// click or command, WM_CLOSE, timers) stay queued for the message loop: no
// handler of the window can run in the middle of the operation.
class PendingMessages {
public:
    // Dispatches the pending paint and sent messages. Cheap to call after every
    // small step: within 50 ms of its last dispatch it does nothing. The first
    // call always dispatches.
    void Dispatch();

private:
    bool m_dispatched = false;
    DWORD m_last = 0;
};

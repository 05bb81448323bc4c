// Keeping a window alive while a long operation holds its thread.
#pragma once
#include <windows.h>

#include <functional>

// Repaints this thread's windows and answers the messages other threads and
// programs send them, so a window stays drawn and is not taken for hung while
// its thread is busy. The user's input and every posted message (a posted
// click or command, WM_CLOSE, timers) stay queued for the message loop, unless
// an input filter is set: no handler of the window can run in the middle of
// the operation but those the filter lets through.
class PendingMessages {
public:
    // Decides for one message taken from the queue, and may change it into
    // the form its window is to get: true dispatches it now, false discards it.
    using InputFilter = std::function<bool(MSG& message)>;

    // Dispatches the pending paint and sent messages, and with a filter set
    // the input the filter lets through. Cheap to call after every small
    // step: within 50 ms of its last dispatch it does nothing. The first call
    // always dispatches.
    void Dispatch();
    // The same at once, whenever it last dispatched.
    void DispatchNow();

    // From now on, each dispatch also takes the user's input (keys, mouse
    // buttons and moves, in the window or on its frame) and the posted
    // commands (WM_COMMAND, WM_SYSCOMMAND, WM_CLOSE, BM_CLICK) from the queue,
    // and hands each to `filter`: what it lets through goes on to the dialog
    // manager of `dialog` and the window procedures, as the dialog's message
    // loop would pass it; the rest is discarded, never seen later. An empty
    // filter leaves input and posted commands queued again.
    void SetInputFilter(HWND dialog, InputFilter filter);

private:
    void DispatchInput();

    bool m_dispatched = false;
    DWORD m_last = 0;
    HWND m_dialog = nullptr;
    InputFilter m_filter;
};

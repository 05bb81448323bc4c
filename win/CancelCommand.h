// Which of the queued messages give a dialog its cancel command, for a filter
// of PendingMessages that lets only the cancel command through.
#pragma once
#include <windows.h>

// True when `message` gives `dialog` its cancel command: the Escape key at any
// of its windows; a click on its Cancel button (IDCANCEL) by the mouse or by
// BM_CLICK; its close box, Alt+F4, SC_CLOSE or WM_CLOSE; the command IDCANCEL
// itself. Nothing else: no other click, key or command. A press of the close
// box soon after the one before comes as a double click, which the frame's
// own handling need not take for a press of its button (Wine's does not): it
// is made the press it is, so that every click of the close box closes.
bool KeepCancelCommand(HWND dialog, MSG& message);

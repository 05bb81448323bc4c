// The hourglass for the length of a busy operation.
#pragma once
#include <windows.h>

// Shows the wait cursor for the object's life, then brings back the cursor it replaced.
class WaitCursor {
public:
    WaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, (LPCWSTR)IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

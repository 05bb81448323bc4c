// Waiting for a state of another program: always by polling, always bounded.
#pragma once
#include <windows.h>

namespace e2e {

// How long any awaited state may take. Generous: under Wine the first start
// of a program, or a step that copies files, can take several seconds.
constexpr DWORD kTimeoutMs = 30000;

// Polls until `condition` holds; false when the time ran out first.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = kTimeoutMs, DWORD pollMs = 10)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(pollMs);
    }
    return true;
}

} // namespace e2e

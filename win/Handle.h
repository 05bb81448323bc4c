// Scoped owners of the few kinds of system handle the wizard opens.
#pragma once
#include <windows.h>

#include <memory>
#include <type_traits>

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using ScopedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// Owns a handle whose "none" value is null: threads and events.
struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ScopedHandle = std::unique_ptr<void, HandleCloser>;

// Owns a handle whose "none" value is INVALID_HANDLE_VALUE: files (CloseHandle)
// or searches (FindClose).
template <BOOL(WINAPI* Close)(HANDLE)>
class ScopedInvalidHandle {
public:
    explicit ScopedInvalidHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~ScopedInvalidHandle() { Reset(); }
    ScopedInvalidHandle(const ScopedInvalidHandle&) = delete;
    ScopedInvalidHandle& operator=(const ScopedInvalidHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (IsValid())
            Close(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

using ScopedFile = ScopedInvalidHandle<CloseHandle>;
using ScopedFind = ScopedInvalidHandle<FindClose>;

// A name that one process at a time holds, across every session of the
// machine, and that only administrators can take: a program that must not run
// twice finds out that it already runs, and a standard user cannot take the
// name first to keep it from running.
#pragma once
#include <windows.h>

class SingleInstance {
public:
    SingleInstance() = default;
    // Gives the name back.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the name `name` (letters and digits) for this object's life. False
    // when another process holds it, or it cannot be taken.
    bool Take(const wchar_t* name);

private:
    bool EnterNamespace(const wchar_t* name, SECURITY_ATTRIBUTES& attributes);

    HANDLE m_namespace = nullptr;
    HANDLE m_mutex = nullptr;
};

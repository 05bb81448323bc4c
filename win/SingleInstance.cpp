#include "win/SingleInstance.h"

#include <sddl.h>

#include <string>

#include "win/SystemLibrary.h"

namespace {

// Administrators and SYSTEM have every right; no one else has any.
const wchar_t kAdministratorsOnly[] = L"D:P(A;;GA;;;BA)(A;;GA;;;SY)";
const wchar_t kAdministratorsSid[] = L"S-1-5-32-544";

// Private namespaces came with Windows Vista: looked up by name.
using CreateBoundaryDescriptorFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddSidToBoundaryDescriptorFn = BOOL(WINAPI*)(HANDLE*, PSID);
using DeleteBoundaryDescriptorFn = VOID(WINAPI*)(HANDLE);
using CreatePrivateNamespaceFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenPrivateNamespaceFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
using ClosePrivateNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

HMODULE Kernel()
{
    return GetModuleHandleW(L"kernel32.dll");
}

} // namespace

SingleInstance::~SingleInstance()
{
    if (m_mutex)
        CloseHandle(m_mutex);
    auto closeNamespace = LibraryFunction<ClosePrivateNamespaceFn>(Kernel(), "ClosePrivateNamespace");
    if (m_namespace && closeNamespace)
        closeNamespace(m_namespace, 0);
}

bool SingleInstance::Take(const wchar_t* name)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnly, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    // Where there is no private namespace (Windows XP and 2000, or a system
    // that does not offer one), the global namespace, where a standard user
    // could take the name first: then the program would not start, which is
    // all such a user could make of it.
    std::wstring mutexName = EnterNamespace(name, attributes) ? std::wstring(name) + L"\\Instance"
                                                              : L"Global\\" + std::wstring(name);
    m_mutex = CreateMutexW(&attributes, FALSE, mutexName.c_str());
    DWORD error = GetLastError();
    LocalFree(descriptor);
    // Not made: it exists, made by someone who does not let this process in.
    if (!m_mutex)
        return false;
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(m_mutex);
        m_mutex = nullptr;
        return false;
    }
    return true;
}

// A private namespace bounded by the Administrators group: only a process
// with administrator rights can make it, and only administrators and SYSTEM
// may open it, so no standard user can make a name in it first.
bool SingleInstance::EnterNamespace(const wchar_t* name, SECURITY_ATTRIBUTES& attributes)
{
    auto createBoundary = LibraryFunction<CreateBoundaryDescriptorFn>(Kernel(), "CreateBoundaryDescriptorW");
    auto addSid = LibraryFunction<AddSidToBoundaryDescriptorFn>(Kernel(), "AddSIDToBoundaryDescriptor");
    auto deleteBoundary = LibraryFunction<DeleteBoundaryDescriptorFn>(Kernel(), "DeleteBoundaryDescriptor");
    auto createNamespace = LibraryFunction<CreatePrivateNamespaceFn>(Kernel(), "CreatePrivateNamespaceW");
    auto openNamespace = LibraryFunction<OpenPrivateNamespaceFn>(Kernel(), "OpenPrivateNamespaceW");
    if (!createBoundary || !addSid || !deleteBoundary || !createNamespace || !openNamespace)
        return false;
    // Wine has the functions, but its boundary descriptor is always null.
    HANDLE boundary = createBoundary(name, 0);
    if (!boundary)
        return false;
    PSID administrators = nullptr;
    if (ConvertStringSidToSidW(kAdministratorsSid, &administrators) && addSid(&boundary, administrators)) {
        // Twice: the namespace of a program that has just ended goes away
        // between finding that it exists and opening it.
        for (int attempt = 0; attempt < 2 && !m_namespace; ++attempt) {
            m_namespace = createNamespace(&attributes, boundary, name);
            if (!m_namespace && GetLastError() == ERROR_ALREADY_EXISTS)
                m_namespace = openNamespace(boundary, name);
        }
    }
    LocalFree(administrators);
    deleteBoundary(boundary);
    return m_namespace != nullptr;
}

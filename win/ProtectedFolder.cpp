#include "win/ProtectedFolder.h"

#include <windows.h>
#include <sddl.h>

#include "win/Unicode.h"

bool CreateProtectedFolder(const std::string& path, bool usersMayRead)
{
    // Protected (P): nothing inherited from the parent. Objects and containers
    // below inherit (OICI). FA full access, 0x1200a9 read and execute.
    const wchar_t* sddl = usersMayRead ? L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
                                       : L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    BOOL created = CreateDirectoryW(Wide(path).c_str(), &attributes);
    DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return created != FALSE;
}

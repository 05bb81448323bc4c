#include "win/ProtectedFolder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "win/Handle.h"
#include "win/Unicode.h"

namespace {

// Every right that changes a file or folder, what it holds, or its security.
const ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                  FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                  GENERIC_ALL;

bool IsSid(PSID sid, const wchar_t* text)
{
    PSID known = nullptr;
    if (!ConvertStringSidToSidW(text, &known))
        return false;
    bool same = EqualSid(sid, known) != FALSE;
    LocalFree(known);
    return same;
}

bool IsCurrentUser(PSID sid)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> user(size);
    bool same = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                EqualSid(sid, ((TOKEN_USER*)user.data())->User.Sid);
    CloseHandle(token);
    return same;
}

// Administrators, SYSTEM, or the administrator running this program.
bool IsTrusted(PSID sid)
{
    return IsSid(sid, L"S-1-5-32-544") || IsSid(sid, L"S-1-5-18") || IsCurrentUser(sid);
}

bool OnlyTrustedMayChange(const ACL* acl)
{
    // No access list at all lets everyone do everything.
    if (!acl)
        return false;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(const_cast<ACL*>(acl), i, &ace))
            return false;
        const auto* header = (const ACE_HEADER*)ace;
        if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            continue;
        // Object and conditional entries are not expected here: not trusted.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return false;
        const auto* allowed = (const ACCESS_ALLOWED_ACE*)ace;
        if ((allowed->Mask & kChangeRights) && !IsTrusted((PSID)&allowed->SidStart))
            return false;
    }
    return true;
}

} // namespace

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

bool IsProtected(const std::string& path)
{
    const std::wstring wide = Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    ScopedFile handle(CreateFileW(wide.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (!handle.IsValid())
        return false;
    PSID owner = nullptr;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    // The owner may always change the access list.
    bool isProtected = owner && IsTrusted(owner) && OnlyTrustedMayChange(acl);
    LocalFree(descriptor);
    return isProtected;
}

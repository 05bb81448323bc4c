// The wizard's only registry access: string values below HKLM\Software\Microsoft\.
#include "frontpage/Registry.h"

#include <cstring>

#include "res/resource.h"
#include "win/Handle.h"
#include "win/MessageBox.h"
#include "win/Unicode.h"

const char* const g_regMicrosoft = "Software\\Microsoft\\";
const char* const g_regFrontPage98 = "FrontPage\\3.0";
const char* const g_regFrontPageRoot = "FrontPageRoot";
const char* const g_regFrontPageAppPath = "Windows\\CurrentVersion\\App Paths\\frontpg.exe";
const char* const g_regOffice2000Root = "Office\\9.0\\Common\\InstallRoot";
const char* const g_regOffice2002Root = "Office\\10.0\\Common\\InstallRoot";
const char* const g_regOffice2003Root = "Office\\11.0\\Common\\InstallRoot";
const char* const g_regOffice2000Languages = "Office\\9.0\\Common\\LanguageResources";
const char* const g_regOffice2002Languages = "Office\\10.0\\Common\\LanguageResources";
const char* const g_regOffice2003Languages = "Office\\11.0\\Common\\LanguageResources";
const char* const g_regSkuLanguage = "SKULanguage";
const char* const g_regPath = "Path";
const char* const g_regCurrentVersion = "Windows\\CurrentVersion";
const char* const g_regCommonFilesDir = "CommonFilesDir";
const char* const g_sharedThemes = "\\Microsoft Shared\\themes";
const char* const g_regExplorer = "Windows\\CurrentVersion\\Explorer\\";
const char* const g_regTempFilesCache = "VolumeCaches\\Temporary files";
const char* const g_regFolder = "folder";

namespace {

// The Windows path limit, in characters with the final NUL: values and
// expansions longer than a path are refused.
const DWORD kBufferLength = 260;

// Reads the string held by an open key; false on any failure.
bool QueryString(HKEY key, const std::string& valueName, std::string& out)
{
    // One character more than the limit: the stored data may lack its final
    // NUL, and with that NUL added it must still fit in the limit.
    wchar_t raw[kBufferLength + 1];
    DWORD type = 0;
    DWORD size = sizeof raw;
    if (RegQueryValueExW(key, Wide(valueName).c_str(), nullptr, &type, (BYTE*)raw, &size) != ERROR_SUCCESS)
        return false;
    size_t stored = size / sizeof(wchar_t);
    bool endsInNul = stored > 0 && raw[stored - 1] == L'\0';
    if (stored + (endsInNul ? 0 : 1) > kBufferLength)
        return false;
    // The stored text need not end in a NUL: never read past what was returned.
    std::wstring text(raw, wcsnlen(raw, stored));
    if (type == REG_SZ) {
        out = Utf8(text);
        return true;
    }
    if (type != REG_EXPAND_SZ)
        return false;
    wchar_t expanded[kBufferLength];
    DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded, kBufferLength);
    if (length == 0 || length > kBufferLength)
        return false;
    out = Utf8(expanded, wcsnlen(expanded, kBufferLength));
    return true;
}

// Opens `key` below HKEY_LOCAL_MACHINE\Software\Microsoft\ to read its values.
LONG OpenMachineKey(const std::string& key, HKEY& opened)
{
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(g_regMicrosoft + key).c_str(), 0, KEY_QUERY_VALUE, &opened);
}

} // namespace

LONG ReadMachineString(const std::string& key, const std::string& valueName, std::string& out)
{
    out.clear();
    HKEY opened = nullptr;
    LONG status = OpenMachineKey(key, opened);
    if (status != ERROR_SUCCESS)
        return status;
    ScopedKey owner(opened);
    if (!QueryString(opened, valueName, out) || out.empty()) {
        out.clear();
        return ERROR_INVALID_DATA;
    }
    if (out.back() == '\\')
        out.pop_back();
    return ERROR_SUCCESS;
}

LONG ReadMachineNumber(const std::string& key, const std::string& valueName, DWORD& out)
{
    out = 0;
    HKEY opened = nullptr;
    LONG status = OpenMachineKey(key, opened);
    if (status != ERROR_SUCCESS)
        return status;
    ScopedKey owner(opened);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    status = RegQueryValueExW(opened, Wide(valueName).c_str(), nullptr, &type, (BYTE*)&value, &size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_DWORD || size != sizeof value)
        return ERROR_INVALID_DATA;
    out = value;
    return ERROR_SUCCESS;
}

RegistryRead ReadRegistryString(const std::string& key, const std::string& valueName, std::string& out)
{
    const LONG status = ReadMachineString(key, valueName, out);
    if (status == ERROR_SUCCESS)
        return RegistryRead::Read;
    if (status != ERROR_ACCESS_DENIED)
        return RegistryRead::Missing;
    ShowMessage(IDS_NO_PRIVILEGE, MB_OK | MB_ICONSTOP);
    return RegistryRead::Refused;
}

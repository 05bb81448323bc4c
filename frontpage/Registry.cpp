// The wizard's only registry access: string values below HKLM\Software\Microsoft\.
#include "frontpage/Registry.h"

#include <cstring>

#include "app/InstallDlg.h"
#include "res/resource.h"
#include "win/MessageBox.h"

const char* const g_regMicrosoft = "Software\\Microsoft\\";
const char* const g_regFrontPage98 = "FrontPage\\3.0";
const char* const g_regFrontPageRoot = "FrontPageRoot";
const char* const g_regFrontPageAppPath = "Windows\\CurrentVersion\\App Paths\\frontpg.exe";
const char* const g_regOffice2000Root = "Office\\9.0\\Common\\InstallRoot";
const char* const g_regOffice2002Root = "Office\\10.0\\Common\\InstallRoot";
const char* const g_regPath = "Path";
const char* const g_regCurrentVersion = "Windows\\CurrentVersion";
const char* const g_regCommonFilesDir = "CommonFilesDir";
const char* const g_sharedThemes = "\\Microsoft Shared\\themes";
const char* const g_regExplorer = "Windows\\CurrentVersion\\Explorer\\";
const char* const g_regTempFilesCache = "VolumeCaches\\Temporary files";
const char* const g_regFolder = "folder";
const char* const g_commonFolder = "common";

namespace {

// The Windows path limit: values and expansions longer than a path are refused.
const DWORD kBufferSize = 260;

// Reads the string held by an open key; false on any failure.
bool QueryString(HKEY key, const std::string& valueName, std::string& out)
{
    char raw[kBufferSize];
    DWORD type = 0;
    DWORD size = kBufferSize;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, (BYTE*)raw, &size) != ERROR_SUCCESS)
        return false;
    // The stored text need not end in a NUL: never read past what was returned.
    std::string text(raw, strnlen(raw, size));
    if (type == REG_SZ) {
        out = text;
        return true;
    }
    if (type != REG_EXPAND_SZ)
        return false;
    char expanded[kBufferSize];
    DWORD length = ExpandEnvironmentStringsA(text.c_str(), expanded, kBufferSize);
    if (length == 0 || length > kBufferSize)
        return false;
    out = expanded;
    return true;
}

} // namespace

bool CInstallDlg::ReadRegistryString(std::string key, std::string valueName, std::string& out)
{
    out.clear();
    std::string path = g_regMicrosoft + key;
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (status == ERROR_ACCESS_DENIED) {
        ShowMessage(IDS_NO_PRIVILEGE, MB_OK | MB_ICONSTOP);
        out = "fatal";
        return false;
    }
    if (status != ERROR_SUCCESS)
        return false;
    ScopedKey owner(opened);
    if (!QueryString(opened, valueName, out)) {
        out.clear();
        return false;
    }
    if (out.empty())
        return false;
    if (out.back() == '\\')
        out.pop_back();
    return true;
}

// frontpg.ini, which FrontPage 98 reads from the Windows folder.
#include "frontpage/WizardsIni.h"

#include <windows.h>

#include "win/Unicode.h"

const char* const kPageWizardsDir = "PageWizardsDir";
const char* const kWebWizardsDir = "WebWizardsDir";

std::string WizardsIniPath(const std::string& windowsFolder)
{
    return windowsFolder + "\\frontpg.ini";
}

std::string WizardsDir(const std::string& ini, const char* key)
{
    // A value that fills the buffer may be cut: a path is never that long.
    wchar_t value[MAX_PATH + 1];
    DWORD length = GetPrivateProfileStringW(L"FrontPage 3.0", Wide(key).c_str(), L"", value, MAX_PATH + 1,
                                            Wide(ini).c_str());
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string folder = Utf8(value, length);
    if (folder.back() == '\\')
        folder.pop_back();
    return folder;
}

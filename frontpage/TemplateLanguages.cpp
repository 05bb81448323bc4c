// Which language folders of an Office installation get the templates.
#include "frontpage/TemplateLanguages.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "frontpage/Registry.h"
#include "win/FileSystem.h"

const char* const kDefaultLanguage = "1033";

namespace {

// The largest LCID: a language id of 16 bits with the default sort order.
const DWORD kLargestLanguage = 0xFFFF;

// True when `name` is a language folder's name: an LCID in decimal, without
// a leading zero.
bool IsLanguageName(const std::string& name)
{
    if (name.empty() || name.size() > 5 || name[0] == '0')
        return false;
    if (name.find_first_not_of("0123456789") != std::string::npos)
        return false;
    return strtol(name.c_str(), nullptr, 10) <= (long)kLargestLanguage;
}

} // namespace

TemplateLanguages FindTemplateLanguages(const std::string& languageKey, const std::string& templates)
{
    TemplateLanguages found;
    DWORD installed = 0;
    if (ReadMachineNumber(languageKey, g_regSkuLanguage, installed) == ERROR_SUCCESS && installed > 0 &&
        installed <= kLargestLanguage) {
        found.lcids = {std::to_string(installed)};
        found.from = LanguageFrom::Installation;
        return found;
    }
    for (const std::string& name : SubFolders(templates)) {
        if (IsLanguageName(name))
            found.lcids.push_back(name);
    }
    std::sort(found.lcids.begin(), found.lcids.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    if (found.lcids.empty())
        found.lcids = {kDefaultLanguage};
    else
        found.from = found.lcids.size() == 1 ? LanguageFrom::OnlyFolder : LanguageFrom::EveryFolder;
    return found;
}

#include "win/Language.h"

#include "win/Strings.h"

namespace {

LANGID g_uiLanguage = kEnglish;

bool IsTraditionalChinese(LANGID language)
{
    if (PRIMARYLANGID(language) != LANG_CHINESE)
        return false;
    switch (SUBLANGID(language)) {
    case SUBLANG_CHINESE_TRADITIONAL:
    case SUBLANG_CHINESE_HONGKONG:
    case SUBLANG_CHINESE_MACAU:
        return true;
    }
    return false;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The language part of a tag: up to the first '-'.
std::string LanguagePart(const std::string& tag)
{
    return tag.substr(0, tag.find('-'));
}

// Whether a later part of a tag names a region or script of Traditional Chinese.
bool NamesTraditionalChinese(const std::string& tag)
{
    for (size_t dash = tag.find('-'); dash != std::string::npos; dash = tag.find('-', dash + 1)) {
        const std::string part = tag.substr(dash + 1, tag.find('-', dash + 1) - dash - 1);
        for (const char* traditional : {"TW", "HK", "MO", "Hant"}) {
            if (EqualNoCase(part, traditional))
                return true;
        }
    }
    return false;
}

} // namespace

LANGID TranslationFor(LANGID language)
{
    for (const Translation& translation : kTranslations) {
        if (translation.language == language)
            return language;
    }
    if (IsTraditionalChinese(language))
        return kEnglish;
    for (const Translation& translation : kTranslations) {
        if (PRIMARYLANGID(translation.language) == PRIMARYLANGID(language))
            return translation.language;
    }
    return kEnglish;
}

bool IsLanguageTag(const std::string& tag)
{
    size_t start = 0;
    for (size_t part = 0; start <= tag.size(); ++part) {
        size_t end = tag.find('-', start);
        if (end == std::string::npos)
            end = tag.size();
        const size_t length = end - start;
        if (part == 0 ? length < 2 || length > 3 : length < 2 || length > 8)
            return false;
        for (size_t i = start; i < end; ++i) {
            if (!IsAsciiLetter(tag[i]) && (part == 0 || !IsAsciiDigit(tag[i])))
                return false;
        }
        start = end + 1;
    }
    return true;
}

LANGID TranslationForTag(const std::string& tag)
{
    for (const Translation& translation : kTranslations) {
        if (EqualNoCase(translation.tag, tag))
            return translation.language;
    }
    for (const Translation& translation : kTranslations) {
        if (!EqualNoCase(LanguagePart(translation.tag), LanguagePart(tag)))
            continue;
        if (PRIMARYLANGID(translation.language) == LANG_CHINESE && NamesTraditionalChinese(tag))
            return kEnglish;
        return translation.language;
    }
    return kEnglish;
}

LANGID UiLanguage()
{
    return g_uiLanguage;
}

void SetUiLanguage(LANGID translation)
{
    g_uiLanguage = translation;
}

HRSRC FindUiResource(LPCWSTR type, LPCWSTR name)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, type, name, g_uiLanguage);
    return found ? found : FindResourceExW(module, type, name, kEnglish);
}

bool FindResString(LANGID language, UINT id, std::wstring& text, HMODULE module)
{
    // Strings come in blocks of sixteen, each a length and that many characters.
    HRSRC block = FindResourceExW(module, (LPCWSTR)RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    HGLOBAL loaded = block ? LoadResource(module, block) : nullptr;
    const WCHAR* entry = loaded ? (const WCHAR*)LockResource(loaded) : nullptr;
    if (!entry)
        return false;
    const WCHAR* end = entry + SizeofResource(module, block) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && entry < end; ++i)
        entry += 1 + *entry;
    if (entry >= end || *entry == 0 || entry + 1 + *entry > end)
        return false;
    text.assign(entry + 1, *entry);
    return true;
}

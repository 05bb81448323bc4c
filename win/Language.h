// The wizard's language: which translation of its dialogs and string table
// it shows, chosen once at start. The log stays English: administrators,
// support and scripts read it.
#pragma once
#include <windows.h>

#include <string>

// English, the log's language and the one of every text a translation lacks.
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// A translation the program carries: its /LANG tag and the language of its resources.
struct Translation {
    const char* tag;
    LANGID language;
};

// English first.
inline constexpr Translation kTranslations[] = {
    {"en", kEnglish},
    {"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
    {"fr", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
    {"es", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN)},
    {"it", MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)},
    {"pt-BR", MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN)},
    {"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)},
    {"zh-CN", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
};

// The translation for a user whose interface language is `language`: its
// own, else the one of its language in another country (Austrian German
// reads German), else English. Traditional Chinese gets English, not the
// simplified characters.
LANGID TranslationFor(LANGID language);

// Whether `tag` is written as a language tag: a language of two or three
// letters, then parts of two to eight letters or digits, each after '-'.
bool IsLanguageTag(const std::string& tag);
// The translation a language tag names, in any letter case ("de", "DE-at",
// "pt-BR", "zh-TW"), on the same rules as TranslationFor.
LANGID TranslationForTag(const std::string& tag);

// The language the wizard shows; English until set.
LANGID UiLanguage();
void SetUiLanguage(LANGID translation);

// The resource `name` of `type` of this program in the wizard's language,
// else in English; null when neither has it.
HRSRC FindUiResource(LPCWSTR type, LPCWSTR name);

// The text of string `id` of the string table of `language` in `module`
// (this program's own by default); false when that table has none (a
// language whose resources lack the string, or have no string table at all).
bool FindResString(LANGID language, UINT id, std::wstring& text, HMODULE module = GetModuleHandleW(nullptr));

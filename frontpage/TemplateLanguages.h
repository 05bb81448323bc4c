// The language folders FrontPage 2000, 2002 and 2003 read their templates
// from: "templates\<LCID>" beside the Office folder, one per language.
#pragma once
#include <string>
#include <vector>

// The three template folders of one language.
struct TemplateFolders {
    std::string pages;
    std::string webs;
    std::string frames;
};

// How the template languages were told.
enum class LanguageFrom { Installation, OnlyFolder, EveryFolder, Default };

struct TemplateLanguages {
    // LCIDs in decimal, as the folders are named ("1031"), in increasing order.
    std::vector<std::string> lcids;
    LanguageFrom from = LanguageFrom::Default;
};

// English, the language when none can be told.
extern const char* const kDefaultLanguage;

// The languages whose folders below `templates` get the templates: the
// installation's language, value SKULanguage of the registry key
// `languageKey` (below HKLM\Software\Microsoft); without it, the one
// language folder that exists there; when several exist, each of them; when
// none can be told, English.
TemplateLanguages FindTemplateLanguages(const std::string& languageKey, const std::string& templates);

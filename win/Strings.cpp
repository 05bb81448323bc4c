#include "win/Strings.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "win/Language.h"
#include "win/Unicode.h"

std::string LoadResString(UINT id)
{
    std::wstring text;
    if (FindResString(UiLanguage(), id, text) || FindResString(kEnglish, id, text))
        return Utf8(text);
    return std::string();
}

std::string LoadLogString(UINT id)
{
    std::wstring text;
    return FindResString(kEnglish, id, text) ? Utf8(text) : std::string();
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatArgs(format, args);
    va_end(args);
    return text;
}

std::string FormatArgs(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int length = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(length + 1);
        vsnprintf(&text[0], text.size(), format, args);
        text.resize(length);
    }
    return text;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    // The system's own case mapping of every script, without the rules of a
    // language (no Turkish dotless i), as the file system compares names.
    std::wstring wideA = Wide(a);
    std::wstring wideB = Wide(b);
    if (wideA.size() != wideB.size())
        return false;
    if (!wideA.empty()) {
        CharUpperBuffW(&wideA[0], (DWORD)wideA.size());
        CharUpperBuffW(&wideB[0], (DWORD)wideB.size());
    }
    return wideA == wideB;
}

std::string ToLower(const std::string& text)
{
    std::wstring wide = Wide(text);
    if (!wide.empty())
        CharLowerBuffW(&wide[0], (DWORD)wide.size());
    return Utf8(wide);
}

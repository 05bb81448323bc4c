#include "win/Unicode.h"

#include <windows.h>

namespace {

bool IsHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf16(std::wstring& text, char32_t c)
{
    if (c < 0x10000) {
        text += (wchar_t)c;
        return;
    }
    c -= 0x10000;
    text += (wchar_t)(0xD800 + (c >> 10));
    text += (wchar_t)(0xDC00 + (c & 0x3FF));
}

bool IsAscii(const std::string& text)
{
    for (unsigned char byte : text) {
        if (byte >= 0x80)
            return false;
    }
    return true;
}

} // namespace

size_t DecodeUtf8(const unsigned char* bytes, size_t size, bool final, char32_t& c)
{
    unsigned char lead = bytes[0];
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    if (lead < 0xC2 || lead > 0xF4) {
        c = kReplacementCharacter;
        return 1;
    }
    size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    // The second byte's range rules out overlong forms, surrogates and
    // characters beyond U+10FFFF; the later ones are always 80..BF.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (i == size) {
            if (!final)
                return 0;
            c = kReplacementCharacter;
            return i;
        }
        if (bytes[i] < low || bytes[i] > high) {
            c = kReplacementCharacter;
            return i;
        }
        c = (c << 6) | (bytes[i] & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

namespace {

// `utf8` in UTF-16; with `astralAsQuestionMark`, each character beyond the
// 16-bit range is a '?'.
std::wstring Utf16(const std::string& utf8, bool astralAsQuestionMark)
{
    std::wstring wide;
    wide.reserve(utf8.size());
    const auto* bytes = (const unsigned char*)utf8.data();
    for (size_t at = 0; at < utf8.size();) {
        char32_t c;
        at += DecodeUtf8(bytes + at, utf8.size() - at, true, c);
        AppendUtf16(wide, astralAsQuestionMark && c >= 0x10000 ? U'?' : c);
    }
    return wide;
}

} // namespace

void AppendUtf8(std::string& utf8, char32_t c)
{
    if (c < 0x80) {
        utf8 += (char)c;
    } else if (c < 0x800) {
        utf8 += (char)(0xC0 | (c >> 6));
        utf8 += (char)(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        utf8 += (char)(0xE0 | (c >> 12));
        utf8 += (char)(0x80 | ((c >> 6) & 0x3F));
        utf8 += (char)(0x80 | (c & 0x3F));
    } else {
        utf8 += (char)(0xF0 | (c >> 18));
        utf8 += (char)(0x80 | ((c >> 12) & 0x3F));
        utf8 += (char)(0x80 | ((c >> 6) & 0x3F));
        utf8 += (char)(0x80 | (c & 0x3F));
    }
}

std::wstring Wide(const std::string& utf8)
{
    return Utf16(utf8, false);
}

std::string Utf8(const wchar_t* text, size_t length)
{
    std::string utf8;
    utf8.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        char32_t c = (char16_t)text[i];
        if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate((char16_t)text[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + ((char16_t)text[++i] - 0xDC00);
        else if (IsHighSurrogate(c) || IsLowSurrogate(c))
            c = kReplacementCharacter;
        AppendUtf8(utf8, c);
    }
    return utf8;
}

std::string Utf8(const std::wstring& text)
{
    return Utf8(text.data(), text.size());
}

std::string AnsiCodePage(const std::string& utf8)
{
    if (IsAscii(utf8) || GetACP() == CP_UTF8)
        return utf8;
    // A character beyond the 16-bit range is two UTF-16 units, which the
    // system would turn into two '?': it is one character, and one '?'.
    const std::wstring wide = Utf16(utf8, true);
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(), nullptr, 0, "?",
                                   nullptr);
    std::string ansi(size, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(), &ansi[0], size, "?", nullptr);
    return ansi;
}

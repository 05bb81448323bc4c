// Text inside the program is UTF-8 in std::string; the system's wide (UTF-16)
// functions take and give it through these conversions. They are the
// program's own, so that invalid text reads the same on every Windows (XP's
// converter drops what later ones replace).
#pragma once
#include <string>

const char32_t kReplacementCharacter = 0xFFFD;

// Invalid UTF-8 becomes U+FFFD.
std::wstring Wide(const std::string& utf8);

// A lone surrogate becomes U+FFFD.
std::string Utf8(const wchar_t* text, size_t length);
std::string Utf8(const std::wstring& text);

// Reads one character of the `size` (> 0) bytes of UTF-8 at `bytes` into `c`
// and returns how many bytes it takes. An invalid sequence is U+FFFD, one for
// each longest start of a valid sequence, as the Unicode standard recommends.
// When the bytes end inside a sequence that is valid so far, returns 0, or
// with `final` takes that start as one U+FFFD.
size_t DecodeUtf8(const unsigned char* bytes, size_t size, bool final, char32_t& c);

void AppendUtf8(std::string& utf8, char32_t c);

// The text in the system's ANSI code page, for files that keep that encoding:
// a character the code page lacks is '?', never a look-alike letter. ASCII
// text comes back unchanged.
std::string AnsiCodePage(const std::string& utf8);

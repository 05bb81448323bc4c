// Text inside the program is UTF-8 in std::string; the system's wide (UTF-16)
// functions take and give it through these two conversions.
#pragma once
#include <string>

// Invalid UTF-8 becomes U+FFFD.
std::wstring Wide(const std::string& utf8);

// A lone surrogate becomes U+FFFD.
std::string Utf8(const wchar_t* text, size_t length);
std::string Utf8(const std::wstring& text);

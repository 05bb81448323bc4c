// String-table loading and printf-style formatting.
#pragma once
#include <windows.h>

#include <cstdarg>

#include <string>

// The text of string-table entry `id` of this program in the wizard's
// language, in English where its translation lacks it; empty when there is none.
std::string LoadResString(UINT id);
// The same in English, the log's language.
std::string LoadLogString(UINT id);

// printf-style formatting into a std::string of any length.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatArgs(const char* format, va_list args);

// Windows compares paths and drive letters without regard to case, in every script.
bool EqualNoCase(const std::string& a, const std::string& b);

// Lower case in every script.
std::string ToLower(const std::string& text);

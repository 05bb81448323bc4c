// String-table loading and printf-style formatting.
#pragma once
#include <windows.h>

#include <string>

// The text of string-table entry `id` of this program; empty when there is none.
std::string LoadResString(UINT id);

// printf-style formatting into a std::string of any length.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Windows compares paths and drive letters without regard to case, in every script.
bool EqualNoCase(const std::string& a, const std::string& b);

// Lower case in every script.
std::string ToLower(const std::string& text);

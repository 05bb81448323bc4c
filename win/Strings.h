// String-table loading and printf-style formatting.
#pragma once
#include <windows.h>

#include <string>

// The text of string-table entry `id` of this program; empty when there is none.
std::string LoadResString(UINT id);

// printf-style formatting into a std::string of any length.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Windows compares paths and drive letters without regard to case.
bool EqualNoCase(const std::string& a, const std::string& b);

std::string ToLower(std::string text);

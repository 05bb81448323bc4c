// UTF-8 and UTF-16 by the system's own conversions, so that what a test
// expects does not rest on the program's conversions it checks.
#pragma once
#include <string>

std::wstring WideOf(const std::string& utf8);
std::string Utf8Of(const std::wstring& wide);

// UTF-16 code units as the bytes of a text file, little- or big-endian, after
// its byte-order mark.
std::string Utf16File(const std::wstring& units, bool bigEndian = false);

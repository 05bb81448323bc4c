// The id that names a kit's data folder: the same kit gets the same id
// wherever it is unpacked.
#pragma once
#include <string>

// The id of the kit named `name` (the first non-empty line of its intro.txt,
// else its folder's name). Blanks and tabs around the name are dropped; then
// letters and digits of any script, blanks, dots and hyphens are kept, and
// every other character becomes '_' (one per character, a character outside
// the Basic Multilingual Plane too); at most 64 characters are taken. The
// result is always a usable folder name: a trailing dot or blank, which
// Windows would drop, becomes '_'; a device name (CON, NUL, COM1, LPT1, ...
// before any dot) gets a '_' in front; an empty name gives "_".
std::string KitId(const std::string& name);

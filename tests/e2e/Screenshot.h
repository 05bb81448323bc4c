// Pictures of the screen, for people to look at: no test compares them.
#pragma once
#include <windows.h>

#include <string>

namespace e2e {

// Saves what the screen shows inside `area` as a 24-bit BMP file.
bool SaveScreenArea(const RECT& area, const std::string& path);

} // namespace e2e

// Pictures of the screen, for people to look at: no test compares them.
#pragma once
#include <windows.h>

#include <string>

namespace e2e {

// What the screen shows inside `area`: the bytes of a 24-bit BMP file, or
// empty when the screen cannot be read.
std::string CaptureScreenArea(const RECT& area);

} // namespace e2e

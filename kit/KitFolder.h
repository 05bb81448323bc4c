// What makes a folder a kit's (README "Writing a kit").
#pragma once
#include <string>

// True when `folder` holds a kit's introduction (intro.txt) or one of its
// roots of items (the folders common, fp98, fp2000 and fp2003), in any letter case.
bool HoldsKit(const std::string& folder);

// What makes a folder a kit's (README "Writing a kit").
#pragma once
#include <string>

// True when `folder` holds a kit's introduction (intro.txt) or one of its
// roots of items (the folders common, fp98 and fp2000), in any letter case.
bool HoldsKit(const std::string& folder);

// The kit's name, as people know it: what its data folder and its one-file
// setup are named after.
#pragma once
#include <string>

// The first line of `kitFolder`\intro.txt with more than blanks and tabs in
// it, read as the kit's texts are read (any encoding, careless line ends);
// else, when there is none or the file cannot be read, the folder's own name.
std::string KitName(const std::string& kitFolder);

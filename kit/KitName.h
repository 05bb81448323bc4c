// The kit's name, as people know it: what its data folder (journal/KitId.h)
// and its one-file setup are named after.
#pragma once
#include <string>

// The first line of `kitFolder`\intro.txt with more than blanks and tabs in
// it, read as the kit's texts are read (any encoding, careless line ends, its
// first 1,000 characters); else, when the file is missing, unreadable or
// holds no such line, the folder's own name.
std::string KitName(const std::string& kitFolder);

// The folder's own name, the last part of `kitFolder`; a drive's root keeps
// its whole path ("C:").
std::string KitFolderName(const std::string& kitFolder);

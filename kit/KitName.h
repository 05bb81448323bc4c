// The kit's name, which names its data folder (journal/KitId.h).
#pragma once
#include <string>

// The name of the kit in the current folder: the first line of its
// "intro.txt" that holds more than blanks and tabs, read as the kit's texts
// are (any encoding, its first 1,000 characters); else, when the file is
// missing, unreadable or holds no such line, the kit folder's own name.
std::string KitName();

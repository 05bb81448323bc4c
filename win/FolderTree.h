// Removing a whole folder tree.
#pragma once
#include <string>

// Removes the folder `path` with everything in it, read-only, hidden and
// system entries too. A link inside is removed, never followed. False when
// something stayed, with the last error of the first failure.
bool RemoveFolderTree(const std::string& path);

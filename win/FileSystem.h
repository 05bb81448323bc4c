// Existence tests on the file system.
#pragma once
#include <string>

// True when `path` names an existing file or folder. A drive (C:) or a drive
// root (C:\) counts as existing, which a file search alone never reports.
bool PathExists(const std::string& path);

// True when `path` names an existing file, not a folder.
bool FileExists(const std::string& path);

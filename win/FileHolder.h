// Which program holds a file open, where the system can tell.
#pragma once
#include <string>

// The name of a program that holds the file `path` open, as the system's
// restart manager (Windows Vista and later) gives it, for example "Microsoft
// FrontPage". Empty when no program holds it, or when the system cannot
// tell: an older Windows has no restart manager, and one that lists no
// program tells nothing.
std::string ProgramHoldingFile(const std::string& path);

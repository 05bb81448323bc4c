// The SHA-256 digest of a file's content.
#pragma once
#include <string>

// Reads the file at `path` whole: its size in bytes and its 32-byte SHA-256
// digest. False, with the last error set, when it cannot be opened or read.
bool DigestFile(const std::string& path, unsigned long long& size, std::string& digest);

// The digest a packed program's trailer holds.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "pack/ProgramImage.h"

// The SHA-256 of the packed program open as `file`, from its start to the
// trailer's digest (so the trailer's payload size, its first 8 bytes, too),
// with the two header fields that signing rewrites read as zeros: the
// checksum and the security directory entry. `trailerStart` is the trailer's
// offset. Empty, with the last error set, when the file cannot be read.
std::string PackDigest(HANDLE file, const ProgramLayout& layout, uint64_t trailerStart);

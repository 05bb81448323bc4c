// Where the parts of a program file lie: the image the loader maps (headers and
// sections), anything appended after it, and the certificate table a signature
// adds at the very end.
#pragma once
#include <windows.h>

#include <cstdint>

struct ProgramLayout {
    uint64_t imageEnd = 0;   // end of the headers and of the last section's data
    uint64_t appendedEnd = 0; // start of the certificate table, or the file's end
    // File offsets of the two header fields that signing rewrites: the
    // checksum (4 bytes) and the security directory entry (8 bytes), which a
    // copy of the image without the certificate table must clear.
    uint64_t checksumField = 0;
    uint64_t securityEntry = 0;
};

// Reads the headers of the 32-bit Windows program open as `file`. False when it
// is none, or its sections or certificate table lie beyond its end (cut short),
// with the last error set.
bool ReadProgramLayout(HANDLE file, ProgramLayout& layout);

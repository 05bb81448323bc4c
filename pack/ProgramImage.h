// Where the parts of a program file lie: the image the loader maps (headers and
// sections), anything appended after it, and the certificate table a signature
// adds at the very end.
#pragma once
#include <windows.h>

#include <cstdint>

#include "pack/FileStreams.h"

struct ProgramLayout {
    uint64_t imageEnd = 0;   // end of the headers and of the last section's data
    uint64_t appendedEnd = 0; // start of the certificate table, or the file's end
    uint64_t fileEnd = 0;
    // The size the headers give the certificate table; 0 when unsigned.
    uint64_t certificatesSize = 0;
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

// True when the certificate table that signing added, if there is one, lies
// as signing lays it: it starts on a multiple of 8 bytes, its size in the
// headers takes it to the end of the file, and its entries, each as long as
// its first 4 bytes say, rounded up to a multiple of 8, fill it exactly. What
// they hold is the system's to verify. False, with the last error
// ERROR_INVALID_DATA, when anything else is there; with another error when
// the file cannot be read.
bool CertificateTableFits(HANDLE file, const ProgramLayout& layout);

// Writes the image alone of the program open as `source` through `writer`,
// which stands at the file's start: a kit packed into the program and its
// signature stay behind, and the signature's entry in the headers is
// cleared, so the copy is a valid program of its own. `writer` is left at
// the image's end. False, with the last error set, when the program cannot
// be read (`readFailed`) or the copy cannot be written.
bool CopyProgramImage(HANDLE source, FileWriter& writer, bool& readFailed);

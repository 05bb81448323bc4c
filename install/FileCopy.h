// The copy of one file, hashed on the way, so that the journal can record
// what was installed without reading it back.
#pragma once
#include <windows.h>

#include <string>

// The source file, as its folder listing gives it.
struct SourceFile {
    std::string path;
    DWORD attributes = 0;
    FILETIME written = {};
};

// Copies `source` to `to`, creating it or replacing its content, as the
// system's CopyFile does: the copy gets the source's attributes and time of
// last change. `size` and `digest` (SHA-256, 32 bytes) are those of the bytes
// copied. False, with the last error set, on a failure; `atTarget` then tells
// whether it was `to` that could not be opened (another program may hold it)
// rather than the source, or a read or write. A copy that fails after `to`
// was opened leaves no file at `to`.
bool CopyAndDigest(const SourceFile& source, const std::string& to, unsigned long long& size, std::string& digest,
                   bool& atTarget);

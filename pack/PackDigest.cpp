#include "pack/PackDigest.h"

#include <algorithm>

#include "digest/Sha256.h"
#include "pack/FileStreams.h"

namespace {

// The headers with both fields lie in this much of the file's start.
const size_t kHeadSize = 64 * 1024;
const size_t kChunkSize = 256 * 1024;

} // namespace

std::string PackDigest(HANDLE file, const ProgramLayout& layout, uint64_t trailerStart)
{
    const uint64_t end = trailerStart + 8;
    std::string head((size_t)std::min<uint64_t>(end, kHeadSize), '\0');
    if (layout.checksumField + 4 > head.size() || layout.securityEntry + 8 > head.size()) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return std::string();
    }
    if (!ReadAt(file, 0, &head[0], head.size()))
        return std::string();
    head.replace((size_t)layout.checksumField, 4, 4, '\0');
    head.replace((size_t)layout.securityEntry, 8, 8, '\0');
    Sha256 digest;
    digest.Add(head.data(), head.size());
    FileReader rest(file, head.size(), end - head.size());
    const char* data;
    size_t size;
    while (rest.Take(kChunkSize, data, size))
        digest.Add(data, size);
    if (rest.Left() != 0)
        return std::string();
    return digest.Finish();
}

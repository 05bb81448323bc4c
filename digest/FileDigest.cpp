#include "digest/FileDigest.h"

#include <windows.h>

#include <vector>

#include "digest/Sha256.h"
#include "win/Handle.h"
#include "win/Unicode.h"

namespace {

const DWORD kChunk = 64 * 1024;

} // namespace

bool DigestFile(const std::string& path, unsigned long long& size, std::string& digest)
{
    ScopedFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid())
        return false;
    std::vector<char> buffer(kChunk);
    Sha256 sha;
    size = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer.data(), kChunk, &read, nullptr))
            return false;
        if (read == 0)
            break;
        sha.Add(buffer.data(), read);
        size += read;
    }
    digest = sha.Finish();
    return true;
}

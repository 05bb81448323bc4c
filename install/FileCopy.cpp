#include "install/FileCopy.h"

#include <memory>

#include "digest/Sha256.h"
#include "win/FileSystem.h"
#include "win/Handle.h"

namespace {

const DWORD kChunk = 64 * 1024;

// The attributes CopyFile gives a copy; the others are the file system's own.
const DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool CopyContent(HANDLE from, HANDLE to, unsigned long long& size, std::string& digest)
{
    // Not filled with zeros first, 64 KiB for each file, however small.
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    Sha256 sha;
    size = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, buffer.get(), kChunk, &read, nullptr))
            return false;
        if (read == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(to, buffer.get(), read, &written, nullptr))
            return false;
        if (written != read) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        sha.Add(buffer.get(), read);
        size += read;
    }
    digest = sha.Finish();
    return true;
}

} // namespace

bool CopyAndDigest(const SourceFile& source, const std::string& to, unsigned long long& size, std::string& digest,
                   bool& atTarget)
{
    atTarget = false;
    std::wstring wideFrom, wideTo;
    if (!SystemPath(source.path, wideFrom))
        return false;
    ScopedFile from(CreateFileW(wideFrom.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from.IsValid())
        return false;
    atTarget = true;
    if (!SystemPath(to, wideTo))
        return false;
    ScopedFile target(CreateFileW(wideTo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  (source.attributes & kCopiedAttributes) | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!target.IsValid())
        return false;
    atTarget = false;
    if (CopyContent(from.Get(), target.Get(), size, digest) &&
        SetFileTime(target.Get(), nullptr, nullptr, &source.written))
        return true;
    // Nothing half written stays under the target's name.
    DWORD error = GetLastError();
    target.Reset();
    SetFileAttributesW(wideTo.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wideTo.c_str());
    SetLastError(error);
    return false;
}

#include "pack/ProgramImage.h"

#include <algorithm>
#include <string>

#include "pack/FileStreams.h"

namespace {

// Headers lie in the first page or so; anything past this is no program of ours.
const size_t kMostHeaderBytes = 64 * 1024;
const size_t kCopyChunk = 256 * 1024;
// Certificate entries start on multiples of this, each with a header of
// its length, revision and type.
const uint64_t kCertificateAlignment = 8;
const uint64_t kCertificateHeaderSize = 8;

bool Malformed()
{
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return false;
}

bool NotAsSigned()
{
    SetLastError(ERROR_INVALID_DATA);
    return false;
}

} // namespace

bool ReadProgramLayout(HANDLE file, ProgramLayout& layout)
{
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file, &fileSize))
        return false;
    const uint64_t size = (uint64_t)fileSize.QuadPart;
    std::string head((size_t)std::min<uint64_t>(size, kMostHeaderBytes), '\0');
    if (!ReadAt(file, 0, &head[0], head.size()))
        return false;

    if (head.size() < sizeof(IMAGE_DOS_HEADER))
        return Malformed();
    auto dos = (const IMAGE_DOS_HEADER*)head.data();
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 ||
        head.size() < (size_t)dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32))
        return Malformed();
    auto nt = (const IMAGE_NT_HEADERS32*)(head.data() + dos->e_lfanew);
    const IMAGE_OPTIONAL_HEADER32& optional = nt->OptionalHeader;
    if (nt->Signature != IMAGE_NT_SIGNATURE || optional.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
        optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_SECURITY)
        return Malformed();
    const auto first = IMAGE_FIRST_SECTION(nt);
    const size_t sections = nt->FileHeader.NumberOfSections;
    if ((const char*)(first + sections) > head.data() + head.size())
        return Malformed();

    uint64_t imageEnd = optional.SizeOfHeaders;
    for (size_t i = 0; i < sections; ++i) {
        if (first[i].SizeOfRawData > 0)
            imageEnd = std::max<uint64_t>(imageEnd, (uint64_t)first[i].PointerToRawData + first[i].SizeOfRawData);
    }
    const IMAGE_DATA_DIRECTORY& security = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
    // The security directory's "address" is a file offset.
    uint64_t appendedEnd = size;
    if (security.VirtualAddress != 0) {
        appendedEnd = security.VirtualAddress;
        if (appendedEnd < imageEnd || appendedEnd + security.Size > size)
            return Malformed();
        layout.certificatesSize = security.Size;
    }
    if (imageEnd > size)
        return Malformed();
    layout.imageEnd = imageEnd;
    layout.appendedEnd = appendedEnd;
    layout.fileEnd = size;
    layout.checksumField = (const char*)&optional.CheckSum - head.data();
    layout.securityEntry = (const char*)&security - head.data();
    return true;
}

bool CertificateTableFits(HANDLE file, const ProgramLayout& layout)
{
    if (layout.appendedEnd == layout.fileEnd && layout.certificatesSize == 0)
        return true;
    if (layout.appendedEnd % kCertificateAlignment != 0 ||
        layout.appendedEnd + layout.certificatesSize != layout.fileEnd)
        return NotAsSigned();
    uint64_t at = layout.appendedEnd;
    while (at < layout.fileEnd) {
        // Each entry starts with its length, its revision and its type.
        uint32_t length = 0;
        if (layout.fileEnd - at < kCertificateHeaderSize)
            return NotAsSigned();
        if (!ReadAt(file, at, &length, sizeof length))
            return false;
        if (length < kCertificateHeaderSize)
            return NotAsSigned();
        at += (length + kCertificateAlignment - 1) / kCertificateAlignment * kCertificateAlignment;
    }
    return at == layout.fileEnd || NotAsSigned();
}

bool CopyProgramImage(HANDLE source, FileWriter& writer, bool& readFailed)
{
    readFailed = true;
    ProgramLayout layout;
    if (!ReadProgramLayout(source, layout))
        return false;
    FileReader image(source, 0, layout.imageEnd);
    const char* data;
    size_t size;
    while (image.Take(kCopyChunk, data, size)) {
        if (!writer.Write(data, size)) {
            readFailed = false;
            return false;
        }
    }
    if (image.Left() != 0)
        return false;
    readFailed = false;
    const char noSignature[8] = {};
    return writer.Seek(layout.securityEntry, false) && writer.Write(noSignature, sizeof noSignature) &&
           writer.Seek(layout.imageEnd, false);
}

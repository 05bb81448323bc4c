#include "Bytes.h"

#include <windows.h>

#include <cstring>
#include <stddef.h>

namespace {

size_t SecurityEntry(const std::string& program)
{
    return ((const IMAGE_DOS_HEADER*)program.data())->e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DataDirectory) +
           IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY);
}

} // namespace

std::string SeededBytes(int seed, size_t size)
{
    std::string bytes(size, '\0');
    unsigned value = 2166136261u ^ (unsigned)seed;
    for (char& c : bytes) {
        value = value * 16777619u + 12345u;
        c = (char)(value >> 24);
    }
    return bytes;
}

void CertificateTable(const std::string& program, uint32_t& offset, uint32_t& size)
{
    const size_t entry = SecurityEntry(program);
    memcpy(&offset, program.data() + entry, 4);
    memcpy(&size, program.data() + entry + 4, 4);
}

std::string WithCertificateTable(std::string program, uint32_t offset, uint32_t size)
{
    const size_t entry = SecurityEntry(program);
    program.replace(entry, 4, (const char*)&offset, 4);
    program.replace(entry + 4, 4, (const char*)&size, 4);
    return program;
}

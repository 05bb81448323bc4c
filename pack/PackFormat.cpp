#include "pack/PackFormat.h"

#include <cstring>

namespace {

void Put(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += (char)(value >> (8 * i));
}

uint64_t Get(const char* in, int bytes)
{
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | (uint8_t)in[i];
    return value;
}

} // namespace

std::string EncodePackHeader(const PackHeader& header)
{
    std::string out(kPackHeaderMagic, sizeof kPackHeaderMagic);
    Put(out, kPackHeaderFixedSize + header.kitFolder.size(), 4);
    Put(out, header.entryCount, 4);
    Put(out, header.tableSize, 8);
    Put(out, header.dataSize, 8);
    Put(out, header.kitFolder.size(), 2);
    return out + header.kitFolder;
}

bool DecodePackHeader(const char* bytes, PackHeader& header, size_t& nameSize)
{
    nameSize = (size_t)Get(bytes + 32, 2);
    if (memcmp(bytes, kPackHeaderMagic, sizeof kPackHeaderMagic) != 0 ||
        Get(bytes + 8, 4) != kPackHeaderFixedSize + nameSize)
        return false;
    header.entryCount = (uint32_t)Get(bytes + 12, 4);
    header.tableSize = Get(bytes + 16, 8);
    header.dataSize = Get(bytes + 24, 8);
    return true;
}

std::string EncodePackEntry(const PackEntry& entry)
{
    std::string out;
    Put(out, entry.name.size(), 2);
    Put(out, entry.kind, 1);
    Put(out, entry.method, 1);
    Put(out, entry.attributes, 4);
    Put(out, entry.written, 8);
    Put(out, entry.size, 8);
    Put(out, entry.packedSize, 8);
    Put(out, entry.offset, 8);
    Put(out, entry.crc, 4);
    return out + entry.name;
}

size_t DecodePackEntry(const char* bytes, PackEntry& entry)
{
    entry.kind = (uint8_t)bytes[2];
    entry.method = (uint8_t)bytes[3];
    entry.attributes = (uint32_t)Get(bytes + 4, 4);
    entry.written = Get(bytes + 8, 8);
    entry.size = Get(bytes + 16, 8);
    entry.packedSize = Get(bytes + 24, 8);
    entry.offset = Get(bytes + 32, 8);
    entry.crc = (uint32_t)Get(bytes + 40, 4);
    return (size_t)Get(bytes, 2);
}

std::string EncodePackTrailer(const PackTrailer& trailer)
{
    std::string out;
    Put(out, trailer.payloadSize, 8);
    out += trailer.digest;
    return out + std::string(kPackTrailerMagic, sizeof kPackTrailerMagic);
}

bool DecodePackTrailer(const char* bytes, PackTrailer& trailer)
{
    if (memcmp(bytes + 40, kPackTrailerMagic, sizeof kPackTrailerMagic) != 0)
        return false;
    trailer.payloadSize = Get(bytes, 8);
    trailer.digest.assign(bytes + 8, 32);
    return true;
}

// The layout of a packed program, shared by the packer, the unpacker and the
// tests that make damaged and malicious files. README "One-file kits" describes
// it for people: the program image, then the payload
//
//   header | table of entries | data | 0-7 zero bytes | trailer
//
// and, once signed, the certificate table. Integers are little-endian.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

const char kPackHeaderMagic[8] = {'F', 'W', 'K', 'I', 'T', 'H', 'D', '1'};
const char kPackTrailerMagic[8] = {'F', 'W', 'K', 'I', 'T', 'E', 'N', 'D'};
// The header's fixed part, which ends with the size of the name that follows it.
const size_t kPackHeaderFixedSize = 34;
const size_t kPackEntryFixedSize = 44;
const size_t kPackTrailerSize = 48;
// The packed file ends on a multiple of this, where a signature's certificate
// table must begin, so that signing adds no padding of its own.
const size_t kPackAlignment = 8;
// Longest entry name in bytes: longer names could not be made on disk anyway.
const size_t kPackMaxNameSize = 1024;

enum PackEntryKind : uint8_t { kPackFile = 0, kPackFolder = 1 };
enum PackMethod : uint8_t { kPackStored = 0, kPackDeflated = 8 };

struct PackHeader {
    uint32_t entryCount = 0;
    uint64_t tableSize = 0;
    uint64_t dataSize = 0;
    // The kit folder's own name, UTF-8: the kit is unpacked into a folder of
    // that name, so that a kit without an introduction keeps its name
    // (kit/KitName.h) wherever it is unpacked.
    std::string kitFolder = "kit";
};

// The attributes a file keeps through packing; the copy stage copies them on.
const DWORD kPackedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// One file or folder of the kit. Folders carry only their name: all sizes,
// the offset, the CRC and the attributes are 0.
struct PackEntry {
    std::string name; // relative to the kit folder, UTF-8, '\' between parts
    uint8_t kind = kPackFile;
    uint8_t method = kPackStored;
    uint32_t attributes = 0; // of kPackedAttributes
    uint64_t written = 0;    // last write time (FILETIME)
    uint64_t size = 0;       // unpacked
    uint64_t packedSize = 0; // in the data
    uint64_t offset = 0;     // from the start of the data
    uint32_t crc = 0;        // CRC-32 of the unpacked bytes
};

struct PackTrailer {
    uint64_t payloadSize = 0; // from the header's start to the trailer's
    std::string digest;       // SHA-256 of the file up to here (pack/PackDigest.h)
};

// Files done and files in all, after each file.
using PackProgress = std::function<void(int done, int total)>;

// The fixed part followed by the kit folder's name.
std::string EncodePackHeader(const PackHeader& header);
// Fills all but the name from the fixed part (kPackHeaderFixedSize bytes) and
// sets `nameSize`. False when `bytes` do not start with the magic, or the
// header's size does not match the name's.
bool DecodePackHeader(const char* bytes, PackHeader& header, size_t& nameSize);

// The fixed part followed by the name.
std::string EncodePackEntry(const PackEntry& entry);
// Fills all but the name from the fixed part (kPackEntryFixedSize bytes); returns the name's size.
size_t DecodePackEntry(const char* bytes, PackEntry& entry);

std::string EncodePackTrailer(const PackTrailer& trailer);
// False when `bytes` (kPackTrailerSize of them) do not end with the magic.
bool DecodePackTrailer(const char* bytes, PackTrailer& trailer);

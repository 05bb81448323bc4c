// SHA-256 (FIPS 180-4), fed in pieces of any size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    static const size_t kSize = 32;

    Sha256();
    void Add(const void* data, size_t size);
    // The 32-byte digest of everything added; the object is spent afterwards.
    std::string Finish();

    // The digest of `data` as 64 lower-case hexadecimal digits.
    static std::string Hex(const std::string& digest);

private:
    void Compress(const uint8_t* block);

    uint32_t m_state[8];
    uint8_t m_block[64];
    size_t m_used = 0;
    uint64_t m_bytes = 0;
};

// SHA-256 (FIPS 180-4), fed in pieces of any size. Uses the processor's SHA
// extensions where it has them (checked once, at run time), else portable code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    static const size_t kSize = 32;

    // `portable`: the portable code even where the processor has the
    // extensions, which tests compare them with.
    explicit Sha256(bool portable = false);
    void Add(const void* data, size_t size);
    // The 32-byte digest of everything added; the object is spent afterwards.
    std::string Finish();

    // The digest of `data` as 64 lower-case hexadecimal digits.
    static std::string Hex(const std::string& digest);
    // Whether this processor has the SHA extensions (and the SSE4.1 they need).
    static bool ProcessorHasExtensions();

private:
    // Compresses `blocks` blocks of 64 bytes at `data` into the state.
    void Compress(const uint8_t* data, size_t blocks);

    uint32_t m_state[8];
    uint8_t m_block[64];
    size_t m_used = 0;
    uint64_t m_bytes = 0;
    bool m_extensions;
};

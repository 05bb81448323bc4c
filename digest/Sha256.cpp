#include "digest/Sha256.h"

#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

namespace {

const uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

uint32_t Rotate(uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

void CompressPortable(uint32_t state[8], const uint8_t* block)
{
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = (uint32_t)block[4 * i] << 24 | (uint32_t)block[4 * i + 1] << 16 | (uint32_t)block[4 * i + 2] << 8 |
               block[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
        uint32_t t1 = h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

// The same with the processor's SHA instructions, four rounds at a time,
// several times faster. The stack of a 32-bit Windows thread is aligned to 4
// bytes only: the function aligns its own for the 16-byte registers it spills.
__attribute__((target("sha,sse4.1,ssse3"), force_align_arg_pointer)) void
CompressWithExtensions(uint32_t state[8], const uint8_t* data, size_t blocks)
{
    // The message's big-endian words, and the state as the instructions hold
    // it: A, B, E, F in one register and C, D, G, H in the other.
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    const __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128((const __m128i*)&state[0]), 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128((const __m128i*)&state[4]), 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        // The message schedule, four words per register, the last four groups.
        __m128i w[4];
        for (int group = 0; group < 16; ++group) {
            __m128i& current = w[group % 4];
            if (group < 4)
                current = _mm_shuffle_epi8(_mm_loadu_si128((const __m128i*)(data + 16 * group)), byteSwap);
            __m128i message = _mm_add_epi32(current, _mm_loadu_si128((const __m128i*)&kRound[4 * group]));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            // The words of the group after next: σ0 was added two groups ago, now σ1 and w[t-7].
            if (group >= 3 && group < 15) {
                __m128i& next = w[(group + 1) % 4];
                next = _mm_add_epi32(next, _mm_alignr_epi8(current, w[(group + 3) % 4], 4));
                next = _mm_sha256msg2_epu32(next, current);
            }
            message = _mm_shuffle_epi32(message, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
            if (group >= 1 && group < 13) {
                __m128i& earlier = w[(group + 3) % 4];
                earlier = _mm_sha256msg1_epu32(earlier, current);
            }
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128((__m128i*)&state[0], _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128((__m128i*)&state[4], _mm_alignr_epi8(dchg, feba, 8));
}

} // namespace

bool Sha256::ProcessorHasExtensions()
{
    static const bool has = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_SSSE3) || !(ecx & bit_SSE4_1))
            return false;
        if (__get_cpuid_max(0, nullptr) < 7)
            return false;
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        return (ebx & bit_SHA) != 0;
    }();
    return has;
}

Sha256::Sha256(bool portable) : m_extensions(!portable && ProcessorHasExtensions())
{
    const uint32_t initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    memcpy(m_state, initial, sizeof m_state);
}

void Sha256::Compress(const uint8_t* data, size_t blocks)
{
    if (m_extensions) {
        CompressWithExtensions(m_state, data, blocks);
        return;
    }
    for (; blocks > 0; --blocks, data += 64)
        CompressPortable(m_state, data);
}

void Sha256::Add(const void* data, size_t size)
{
    const auto* bytes = (const uint8_t*)data;
    m_bytes += size;
    if (m_used > 0) {
        size_t take = 64 - m_used < size ? 64 - m_used : size;
        memcpy(m_block + m_used, bytes, take);
        m_used += take;
        bytes += take;
        size -= take;
        if (m_used < 64)
            return;
        Compress(m_block, 1);
        m_used = 0;
    }
    // Whole blocks straight from the data.
    const size_t blocks = size / 64;
    if (blocks > 0)
        Compress(bytes, blocks);
    m_used = size % 64;
    memcpy(m_block, bytes + 64 * blocks, m_used);
}

std::string Sha256::Finish()
{
    uint64_t bits = m_bytes * 8;
    const uint8_t pad = 0x80;
    Add(&pad, 1);
    const uint8_t zero = 0;
    while (m_used != 56)
        Add(&zero, 1);
    uint8_t length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = (uint8_t)(bits >> (56 - 8 * i));
    Add(length, 8);
    std::string digest(kSize, '\0');
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = (char)(m_state[i] >> (24 - 8 * j));
    return digest;
}

std::string Sha256::Hex(const std::string& digest)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : digest) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

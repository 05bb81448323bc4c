#include <gtest/gtest.h>

#include <cstdio>

#include "digest/Sha256.h"

namespace {

// The FIPS 180-4 examples, each fed whole and in uneven pieces.
TEST(Sha256, KnownDigests)
{
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    // The processor's extensions where it has them, and the portable code.
    for (bool portable : {false, true}) {
        for (const auto& c : cases) {
            Sha256 whole(portable);
            whole.Add(c.message.data(), c.message.size());
            EXPECT_EQ(c.digest, Sha256::Hex(whole.Finish())) << c.message.size() << " bytes whole, " << portable;
            Sha256 pieces(portable);
            for (size_t at = 0, piece = 1; at < c.message.size(); at += piece, piece = piece * 3 % 101 + 1)
                pieces.Add(c.message.data() + at, std::min(piece, c.message.size() - at));
            EXPECT_EQ(c.digest, Sha256::Hex(pieces.Finish())) << c.message.size() << " bytes in pieces, " << portable;
        }
    }
}

// Both ways agree on messages of every length around the block and on
// pieces that split blocks anywhere.
TEST(Sha256, ExtensionsAgreeWithPortableCode)
{
    std::string message(3000, '\0');
    uint32_t seed = 12345;
    for (char& c : message) {
        seed = seed * 1103515245 + 12345;
        c = (char)(seed >> 16);
    }
    for (size_t size = 0; size <= message.size(); size += size < 300 ? 1 : 97) {
        Sha256 portable(true);
        portable.Add(message.data(), size);
        Sha256 fast;
        for (size_t at = 0, piece = 7; at < size; at += piece, piece = piece * 5 % 211 + 1)
            fast.Add(message.data() + at, std::min(piece, size - at));
        EXPECT_EQ(Sha256::Hex(portable.Finish()), Sha256::Hex(fast.Finish())) << size << " bytes";
    }
    std::printf("SHA extensions of the processor: %s\n", Sha256::ProcessorHasExtensions() ? "used" : "none");
}

} // namespace

// The encodings a text file may come in, and its bytes turned into Unicode
// characters block by block, whatever the blocks cut through.
#pragma once
#include <string>

class TextDecoder {
public:
    enum Encoding { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

    // The encoding named by a byte-order mark at the start of the `size`
    // bytes at `bytes`, with the mark's length; false when they start with none.
    static bool FromByteOrderMark(const char* bytes, size_t size, Encoding& encoding, size_t& markLength);

    explicit TextDecoder(Encoding encoding = Ansi);

    // Appends to `out` the characters of `size` bytes that follow those of
    // the calls before. A character the bytes end in the middle of waits for
    // the next call; `final` says no more bytes follow, and such a character is
    // then invalid. Every invalid sequence (a broken UTF-8 sequence, a lone
    // UTF-16 surrogate, an odd last byte) is one U+FFFD. False when the bytes
    // held an invalid sequence.
    bool Decode(const char* bytes, size_t size, bool final, std::u32string& out);

private:
    bool FromUtf8(const std::string& bytes, bool final, std::u32string& out);
    bool FromUtf16(const std::string& bytes, bool final, std::u32string& out);
    void FromAnsi(const std::string& bytes, bool final, std::u32string& out);

    Encoding m_encoding;
    // The start of a character cut by the end of the last block.
    std::string m_pending;
};

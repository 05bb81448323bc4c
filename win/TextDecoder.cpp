#include "win/TextDecoder.h"

#include <windows.h>

#include <cstring>

#include "win/Unicode.h"

bool TextDecoder::FromByteOrderMark(const char* bytes, size_t size, Encoding& encoding, size_t& markLength)
{
    if (size >= 3 && memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
        encoding = Utf8;
        markLength = 3;
        return true;
    }
    if (size >= 2 && memcmp(bytes, "\xFF\xFE", 2) == 0) {
        encoding = Utf16LittleEndian;
        markLength = 2;
        return true;
    }
    if (size >= 2 && memcmp(bytes, "\xFE\xFF", 2) == 0) {
        encoding = Utf16BigEndian;
        markLength = 2;
        return true;
    }
    return false;
}

TextDecoder::TextDecoder(Encoding encoding) : m_encoding(encoding) {}

bool TextDecoder::Decode(const char* bytes, size_t size, bool final, std::u32string& out)
{
    std::string block;
    block.reserve(m_pending.size() + size);
    block.append(m_pending).append(bytes, size);
    m_pending.clear();
    switch (m_encoding) {
    case Utf8:
        return FromUtf8(block, final, out);
    case Utf16LittleEndian:
    case Utf16BigEndian:
        return FromUtf16(block, final, out);
    case Ansi:
        // A system whose ANSI code page is UTF-8 reads such files as UTF-8.
        if (GetACP() == CP_UTF8)
            return FromUtf8(block, final, out);
        FromAnsi(block, final, out);
        return true;
    }
    return true;
}

bool TextDecoder::FromUtf8(const std::string& block, bool final, std::u32string& out)
{
    bool valid = true;
    const auto* bytes = (const unsigned char*)block.data();
    for (size_t at = 0; at < block.size();) {
        char32_t c;
        size_t length = DecodeUtf8(bytes + at, block.size() - at, final, c);
        if (length == 0) {
            m_pending = block.substr(at);
            break;
        }
        // EF BF BD is U+FFFD itself, written in the file.
        if (c == kReplacementCharacter && !(length == 3 && bytes[at] == 0xEF))
            valid = false;
        out += c;
        at += length;
    }
    return valid;
}

bool TextDecoder::FromUtf16(const std::string& block, bool final, std::u32string& out)
{
    const bool little = m_encoding == Utf16LittleEndian;
    const auto* bytes = (const unsigned char*)block.data();
    auto unit = [&](size_t at) -> char32_t {
        return little ? bytes[at] | (bytes[at + 1] << 8) : (bytes[at] << 8) | bytes[at + 1];
    };
    bool valid = true;
    size_t at = 0;
    for (; at + 2 <= block.size(); at += 2) {
        char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (at + 4 > block.size() && !final)
                break;
            char32_t next = at + 4 <= block.size() ? unit(at + 2) : 0;
            if (next >= 0xDC00 && next <= 0xDFFF) {
                out += 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                at += 2;
                continue;
            }
            c = kReplacementCharacter;
            valid = false;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = kReplacementCharacter;
            valid = false;
        }
        out += c;
    }
    if (at == block.size())
        return valid;
    if (!final) {
        m_pending = block.substr(at);
        return valid;
    }
    // An odd last byte.
    out += kReplacementCharacter;
    return false;
}

void TextDecoder::FromAnsi(const std::string& block, bool final, std::u32string& out)
{
    size_t complete = block.size();
    CPINFO info;
    if (!final && GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1) {
        // A double-byte code page: the block must not end between the two
        // bytes of a character.
        size_t at = 0;
        while (at < block.size())
            at += IsDBCSLeadByteEx(CP_ACP, (BYTE)block[at]) ? 2 : 1;
        if (at > block.size()) {
            complete = block.size() - 1;
            m_pending = block.substr(complete);
        }
    }
    if (complete == 0)
        return;
    std::wstring wide(complete, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, block.data(), (int)complete, &wide[0], (int)wide.size());
    for (int i = 0; i < length; ++i)
        out += (char16_t)wide[i];
}

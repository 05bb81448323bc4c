#include "win/TextFile.h"

#include <new>

#include "win/FileSystem.h"
#include "win/Unicode.h"

namespace {

const DWORD kBlockSize = 64 * 1024;

// C0 controls but the tab, DEL and the C1 controls.
bool IsControl(char32_t c)
{
    return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F);
}

bool HasHighByte(const char* bytes, DWORD size)
{
    for (DWORD i = 0; i < size; ++i) {
        if ((unsigned char)bytes[i] >= 0x80)
            return true;
    }
    return false;
}

} // namespace

bool TextFile::Open(const std::string& path)
{
    std::wstring widePath;
    HANDLE file = SystemPath(path, widePath)
                      ? CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                      : INVALID_HANDLE_VALUE;
    DWORD error = GetLastError();
    m_file.Reset(file);
    m_decoder = TextDecoder();
    m_chars.clear();
    m_pos = 0;
    m_encodingChosen = m_eof = m_failed = m_afterCr = false;
    m_missing = false;
    if (m_file.IsValid())
        return true;
    DWORD attributes = GetFileAttributesW(widePath.c_str());
    m_missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    return false;
}

bool TextFile::GetSize(ULONGLONG& size) const
{
    LARGE_INTEGER bytes;
    if (!m_file.IsValid() || !GetFileSizeEx(m_file.Get(), &bytes))
        return false;
    size = (ULONGLONG)bytes.QuadPart;
    return true;
}

bool TextFile::ReadBlock(DWORD& read)
{
    if (m_bytes.empty())
        m_bytes.resize(kBlockSize);
    read = 0;
    if (!ReadFile(m_file.Get(), m_bytes.data(), kBlockSize, &read, nullptr)) {
        m_failed = true;
        return false;
    }
    if (m_blockRead)
        m_blockRead();
    return true;
}

bool TextFile::ChooseEncoding()
{
    m_encodingChosen = true;
    DWORD read;
    if (!ReadBlock(read))
        return false;
    TextDecoder::Encoding encoding = TextDecoder::Ansi;
    size_t mark = 0;
    if (!TextDecoder::FromByteOrderMark(m_bytes.data(), read, encoding, mark)) {
        // UTF-8 only when the whole file is: one invalid sequence anywhere
        // makes it a file of the ANSI code page. ASCII alone is either.
        TextDecoder probe(TextDecoder::Utf8);
        std::u32string ignored;
        bool high = false;
        bool valid = true;
        for (;;) {
            high = high || HasHighByte(m_bytes.data(), read);
            valid = probe.Decode(m_bytes.data(), read, read == 0, ignored);
            ignored.clear();
            if (!valid || read == 0)
                break;
            if (!ReadBlock(read))
                return false;
        }
        encoding = valid && high ? TextDecoder::Utf8 : TextDecoder::Ansi;
    }
    m_decoder = TextDecoder(encoding);
    LARGE_INTEGER start;
    start.QuadPart = (LONGLONG)mark;
    if (!SetFilePointerEx(m_file.Get(), start, nullptr, FILE_BEGIN)) {
        m_failed = true;
        return false;
    }
    return true;
}

bool TextFile::Fill()
{
    DWORD read;
    if (!ReadBlock(read))
        return false;
    m_chars.clear();
    m_pos = 0;
    m_eof = read == 0;
    m_decoder.Decode(m_bytes.data(), read, m_eof, m_chars);
    return true;
}

TextFile::Result TextFile::Fail(std::string& line)
{
    m_failed = true;
    line.clear();
    return Error;
}

TextFile::Result TextFile::ReadLine(std::string& line)
{
    line.clear();
    if (m_failed || !m_file.IsValid())
        return Error;
    try {
        if (!m_encodingChosen && !ChooseEncoding())
            return Fail(line);
        bool any = false;
        bool afterNul = false;
        size_t length = 0;
        for (;;) {
            if (m_pos == m_chars.size()) {
                if (m_eof)
                    return any ? Line : End;
                if (!Fill())
                    return Fail(line);
                continue;
            }
            char32_t c = m_chars[m_pos++];
            if (m_afterCr) {
                m_afterCr = false;
                if (c == '\n')
                    continue;
            }
            any = true;
            if (c == '\n')
                return Line;
            if (c == '\r') {
                m_afterCr = true;
                return Line;
            }
            if (c == 0)
                afterNul = true;
            if (afterNul || IsControl(c) || length == m_lineLimit)
                continue;
            AppendUtf8(line, c);
            ++length;
        }
    } catch (const std::bad_alloc&) {
        return Fail(line);
    }
}

bool TextFile::ForEachLine(const std::function<bool(const std::string&)>& take)
{
    try {
        std::string line;
        for (;;) {
            Result result = ReadLine(line);
            if (result == End)
                return true;
            if (result == Error)
                return false;
            if (!take(line))
                return true;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

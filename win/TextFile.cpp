#include "win/TextFile.h"

#include <new>

namespace {

const size_t kBufferSize = 64 * 1024;

bool IsControl(unsigned char c)
{
    return (c < 0x20 && c != '\t') || c == 0x7F;
}

} // namespace

bool TextFile::Open(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    DWORD error = GetLastError();
    m_file.Reset(file);
    m_pos = m_size = 0;
    m_eof = m_failed = m_afterCr = false;
    m_missing = false;
    if (m_file.IsValid())
        return true;
    DWORD attributes = GetFileAttributesA(path.c_str());
    m_missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    return false;
}

bool TextFile::Fill()
{
    if (m_buffer.empty())
        m_buffer.resize(kBufferSize);
    DWORD read = 0;
    if (!ReadFile(m_file.Get(), m_buffer.data(), (DWORD)m_buffer.size(), &read, nullptr)) {
        m_failed = true;
        return false;
    }
    m_pos = 0;
    m_size = read;
    m_eof = read == 0;
    return !m_eof;
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
        bool any = false;
        for (;;) {
            if (m_pos == m_size && (m_eof || !Fill())) {
                if (m_failed)
                    return Fail(line);
                return any ? Line : End;
            }
            unsigned char c = (unsigned char)m_buffer[m_pos++];
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
            if (c == '\0')
                return Fail(line);
            if (IsControl(c))
                continue;
            if (line.size() == kMaxLine)
                return Fail(line);
            line += (char)c;
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

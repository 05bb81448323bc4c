#include "win/TextFile.h"

#include <cstring>
#include <new>

namespace {
const size_t kBufferSize = 64 * 1024;
}

bool TextFile::Open(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    m_file.Reset(file);
    m_pos = m_size = 0;
    m_eof = m_failed = false;
    return m_file.IsValid();
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
                    return Error;
                break;
            }
            any = true;
            const char* start = m_buffer.data() + m_pos;
            const char* feed = (const char*)memchr(start, '\n', m_size - m_pos);
            size_t length = feed ? (size_t)(feed - start) : m_size - m_pos;
            line.append(start, length);
            m_pos += length;
            if (feed) {
                ++m_pos;
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return Line;
            }
        }
        return any ? Line : End;
    } catch (const std::bad_alloc&) {
        m_failed = true;
        line.clear();
        return Error;
    }
}

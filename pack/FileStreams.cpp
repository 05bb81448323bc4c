#include "pack/FileStreams.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kBufferSize = 256 * 1024;

bool SeekTo(HANDLE file, uint64_t offset)
{
    LARGE_INTEGER to;
    to.QuadPart = (LONGLONG)offset;
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

} // namespace

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t size)
{
    if (!SeekTo(file, offset))
        return false;
    for (char* at = (char*)buffer; size > 0;) {
        DWORD read = 0;
        if (!ReadFile(file, at, (DWORD)std::min<size_t>(size, kBufferSize), &read, nullptr))
            return false;
        if (read == 0) {
            SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        at += read;
        size -= read;
    }
    return true;
}

bool WriteWhole(HANDLE file, const void* data, size_t size)
{
    DWORD written = 0;
    if (size > 0 && !WriteFile(file, data, (DWORD)size, &written, nullptr))
        return false;
    if (written == size)
        return true;
    SetLastError(ERROR_DISK_FULL);
    return false;
}

FileReader::FileReader(HANDLE file, uint64_t offset, uint64_t size)
    : m_file(file), m_offset(offset), m_left(size), m_buffer(kBufferSize)
{
}

bool FileReader::Take(size_t most, const char*& data, size_t& size)
{
    if (m_next == m_end) {
        if (m_left == 0)
            return false;
        size_t chunk = (size_t)std::min<uint64_t>(m_left, m_buffer.size());
        if (!ReadAt(m_file, m_offset, m_buffer.data(), chunk))
            return false;
        m_offset += chunk;
        m_left -= chunk;
        m_next = 0;
        m_end = chunk;
    }
    data = m_buffer.data() + m_next;
    size = std::min(most, m_end - m_next);
    m_next += size;
    return true;
}

bool FileReader::Read(void* buffer, size_t size)
{
    if (Left() < size)
        return false;
    for (char* at = (char*)buffer; size > 0;) {
        const char* data;
        size_t taken;
        if (!Take(size, data, taken))
            return false;
        memcpy(at, data, taken);
        at += taken;
        size -= taken;
    }
    return true;
}

FileWriter::FileWriter(HANDLE file, uint64_t position) : m_file(file), m_position(position)
{
    m_buffer.reserve(kBufferSize);
}

bool FileWriter::Write(const void* data, size_t size)
{
    const char* bytes = (const char*)data;
    while (size > 0) {
        if (m_buffer.size() == kBufferSize && !Flush())
            return false;
        size_t part = std::min(size, kBufferSize - m_buffer.size());
        m_buffer.insert(m_buffer.end(), bytes, bytes + part);
        bytes += part;
        size -= part;
    }
    return true;
}

bool FileWriter::Flush()
{
    if (m_buffer.empty())
        return true;
    if (!SeekTo(m_file, m_position) || !WriteWhole(m_file, m_buffer.data(), m_buffer.size()))
        return false;
    m_position += m_buffer.size();
    m_buffer.clear();
    return true;
}

bool FileWriter::Seek(uint64_t position, bool truncate)
{
    if (!Flush() || !SeekTo(m_file, position))
        return false;
    m_position = position;
    return !truncate || SetEndOfFile(m_file);
}

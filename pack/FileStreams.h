// Buffered reading and writing of the large files a packed program is made of,
// with 64-bit positions and the system's last error kept on failure.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Reads exactly `size` bytes at `offset` of `file`. False on a failure, or
// with ERROR_HANDLE_EOF when the file is shorter.
bool ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t size);

// Writes all `size` bytes at `file`'s position. A write that takes fewer
// fails with ERROR_DISK_FULL, what a disk or quota that is full does and
// the system does not say.
bool WriteWhole(HANDLE file, const void* data, size_t size);

// Reads the stretch of `size` bytes at `offset` of a file in order. It keeps
// its own position, so that two readers may take turns on one handle.
class FileReader {
public:
    FileReader(HANDLE file, uint64_t offset, uint64_t size);

    // Points `data` at the next bytes, at least one and at most `most`, and
    // moves past them; they stay valid until the next call. False at the end
    // of the stretch or on a read failure.
    bool Take(size_t most, const char*& data, size_t& size);
    // Exactly `size` bytes; false when fewer are left or the read failed.
    bool Read(void* buffer, size_t size);
    uint64_t Left() const { return m_left + (m_end - m_next); }

private:
    HANDLE m_file;
    uint64_t m_offset; // of the next read from the file
    uint64_t m_left;   // bytes of the stretch not read from the file yet
    std::vector<char> m_buffer;
    size_t m_next = 0;
    size_t m_end = 0;
};

// Writes a file in order through a buffer, from where its position is.
class FileWriter {
public:
    explicit FileWriter(HANDLE file, uint64_t position = 0);

    bool Write(const void* data, size_t size);
    uint64_t Position() const { return m_position + m_buffer.size(); }
    // Writes out what is buffered and moves to `position`; with `truncate`
    // the file ends there.
    bool Seek(uint64_t position, bool truncate);
    bool Flush();

private:
    HANDLE m_file;
    uint64_t m_position; // of the buffer's first byte in the file
    std::vector<char> m_buffer;
};

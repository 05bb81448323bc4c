// Small file and process-handle helpers of the end-to-end harness.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

// Owns a kernel handle and closes it.
class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle = nullptr)
    {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

// Paths are UTF-8.

// The folder of this executable; the build puts fernwick.exe there too.
std::string ExeFolder();

bool PathExists(const std::string& path);
// Creates a folder and its missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);
// Creates or replaces a file with exactly these bytes, creating its folder.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file, or empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// The names in a folder, as the file system spells them.
std::vector<std::string> FolderEntries(const std::string& folder);
// Removes a folder with everything in it.
void RemoveTree(const std::string& path);
// Everything below `folder` by relative path: each file with its content,
// each folder with a trailing backslash and no content.
std::map<std::string, std::string> Tree(const std::string& folder);

} // namespace e2e

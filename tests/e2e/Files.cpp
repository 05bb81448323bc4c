#include "Files.h"

#include "Text.h"

namespace e2e {

std::string ExeFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::string& path)
{
    if (PathExists(path))
        return true;
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash > 2 && !MakeFolders(path.substr(0, slash)))
        return false;
    return CreateDirectoryW(WideOf(path).c_str(), nullptr) || PathExists(path);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    MakeFolders(path.substr(0, path.find_last_of('\\')));
    Handle file(CreateFileW(WideOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    DWORD written = 0;
    return file.Get() != INVALID_HANDLE_VALUE &&
           WriteFile(file.Get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
}

std::string ReadFileBytes(const std::string& path)
{
    // Shared for writing too: the wizard may still hold its log open.
    Handle file(CreateFileW(WideOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(WideOf(folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(Utf8Of(name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(WideOf(path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::string child = path + "\\" + Utf8Of(name);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(WideOf(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(WideOf(child).c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(WideOf(path).c_str());
}

std::map<std::string, std::string> Tree(const std::string& folder)
{
    std::map<std::string, std::string> tree;
    for (const std::string& name : FolderEntries(folder)) {
        const std::string path = folder + "\\" + name;
        if (!(GetFileAttributesW(WideOf(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
            tree[name] = ReadFileBytes(path);
            continue;
        }
        tree[name + "\\"] = "";
        for (const auto& below : Tree(path))
            tree[name + "\\" + below.first] = below.second;
    }
    return tree;
}

} // namespace e2e

// The platform's limit for the copy stage: a walk of the same trees with
// FindFirstFile and one CopyFile call per file, creating the target folders
// on its way, nothing else: no count, no log, no checks.
//
//   bench_copyloop SOURCE TARGET [SOURCE TARGET]...
//
// Paths relative to the current folder are taken as given. Exits with 0 when
// every file was copied.
#include <windows.h>

#include <string>

namespace {

bool CopyTree(const std::wstring& source, const std::wstring& target)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((source + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    CreateDirectoryW(target.c_str(), nullptr);
    bool copied = true;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            copied = CopyTree(source + L"\\" + name, target + L"\\" + name);
        else
            copied = CopyFileW((source + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), FALSE) != FALSE;
    } while (copied && FindNextFileW(find, &entry));
    FindClose(find);
    return copied;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3 || argc % 2 == 0)
        return 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!CopyTree(argv[i], argv[i + 1]))
            return 1;
    }
    return 0;
}

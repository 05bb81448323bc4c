#include "kit/KitName.h"

#include <windows.h>

#include "win/TextFile.h"
#include "win/Unicode.h"

namespace {

// As much of a line as the introduction shows.
const size_t kNameLength = 1000;

bool IsBlankLine(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

// The last part of the current folder's path; empty at a drive's root.
std::string FolderName()
{
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length = GetCurrentDirectoryW((DWORD)folder.size(), &folder[0]);
    if (length >= folder.size()) {
        folder.resize(length);
        length = GetCurrentDirectoryW((DWORD)folder.size(), &folder[0]);
    }
    folder.resize(length < folder.size() ? length : 0);
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return Utf8(folder.substr(folder.find_last_of(L"\\:") + 1));
}

} // namespace

std::string KitName()
{
    std::string name;
    TextFile intro;
    intro.SetLineLimit(kNameLength);
    if (intro.Open("intro.txt")) {
        intro.ForEachLine([&](const std::string& line) {
            if (IsBlankLine(line))
                return true;
            name = line;
            return false;
        });
    }
    return name.empty() ? FolderName() : name;
}

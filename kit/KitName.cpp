#include "kit/KitName.h"

#include "win/TextFile.h"

namespace {

// As much of a line as the introduction shows.
const size_t kNameLength = 1000;

bool IsBlankLine(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos;
}

} // namespace

std::string KitFolderName(const std::string& kitFolder)
{
    std::string folder = kitFolder;
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

std::string KitName(const std::string& kitFolder)
{
    TextFile intro;
    intro.SetLineLimit(kNameLength);
    std::string name;
    if (intro.Open(kitFolder + "\\intro.txt")) {
        intro.ForEachLine([&](const std::string& line) {
            if (!IsBlankLine(line))
                name = line;
            return name.empty();
        });
    }
    return name.empty() ? KitFolderName(kitFolder) : name;
}

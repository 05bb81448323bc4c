// The scan of the kit roots into the four item lists, with the theme descriptors.
#include <cstdlib>
#include <cstring>

#include "kit/KitContents.h"
#include "win/FileSystem.h"
#include "win/Strings.h"
#include "win/TextFile.h"

namespace {

// True when `line` begins with `key` (which ends in "="), in any case, after
// optional blanks or tabs; `value` is then the rest of the line, untrimmed.
// A key elsewhere in the line ("subtitle=") is no key.
bool DescriptorValue(const std::string& line, const char* key, std::string& value)
{
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos)
        return false;
    size_t length = strlen(key);
    if (!EqualNoCase(line.substr(start, length), key))
        return false;
    value = line.substr(start + length);
    return true;
}

// Reads the "title=" and "version=" lines of the descriptor at `path` into
// `title` and `version`, the last of each winning. A missing descriptor leaves
// both alone. False on a read error or exhausted memory, and for a descriptor
// that is there but cannot be opened.
bool ReadDescriptor(const std::string& path, std::string& title, double& version)
{
    TextFile file;
    if (!file.Open(path))
        return file.IsMissing();
    std::string value;
    return file.ForEachLine([&](const std::string& line) {
        if (DescriptorValue(line, "title=", value))
            title = value;
        else if (DescriptorValue(line, "version=", value))
            version = atof(value.c_str());
        return true;
    });
}

void AppendNames(const std::string& folder, std::vector<std::string>& list)
{
    for (const std::string& name : SubFolders(folder))
        list.push_back(ToLower(name));
}

} // namespace

KitContents ScanKit(const std::vector<std::string>& roots)
{
    KitContents kit;
    for (const std::string& root : roots) {
        if (!kit.readable)
            break;
        std::string themes = root + "\\Themes";
        for (const std::string& folder : SubFolders(themes)) {
            std::string name = ToLower(folder);
            std::string path = ToLower(themes + "\\" + folder);
            // Each theme starts afresh: a descriptor without a title or version
            // must not inherit those of the theme before it.
            std::string title;
            double version = 0;
            // After a read error the remaining descriptors are still read, but
            // no further theme is listed: the kit is refused as a whole.
            if (!ReadDescriptor(path + "\\" + name + ".inf", title, version))
                kit.readable = false;
            if (kit.readable)
                kit.themes.emplace_back(name, title, version);
        }
        AppendNames(root + "\\Pages", kit.pageTemplates);
        AppendNames(root + "\\Webs", kit.webTemplates);
        AppendNames(root + "\\Frames", kit.frameTemplates);
    }
    return kit;
}

#include "KitMaker.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "Files.h"

namespace bench {

namespace {

const uint32_t kSeed = 20011206;
// Files per item, spread over its four folders; fewer in small kits, so that
// each of the eight trees has an item for xcopy to copy.
const int kFilesPerItem = 40;
const int kLargestFile = 64 * 1024;

const char* const kRoots[] = {"fp98", "common"};
const struct {
    const char* folder;
    const char* itemPrefix;
    const char* extension;
} kKinds[] = {
    {"Themes", "theme", ".css"},
    {"Pages", "page", ".htm"},
    {"Webs", "web", ".htm"},
    {"Frames", "frame", ".htm"},
};
// The folders of one item, relative to the item folder.
const char* const kItemFolders[] = {"", "\\images", "\\images\\small", "\\styles"};

// A small, fixed generator: the same kit on every machine and every run.
class Random {
public:
    explicit Random(uint32_t seed) : m_state(seed) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    // A size between 4 bytes and 64 KiB, evenly spread over the powers of two
    // between, so most files are small and a few are large, as in real kits.
    int FileSize()
    {
        int power = 2 + (int)(Next() % 14);
        int size = (1 << power) + (int)(Next() % (1u << power));
        return size < kLargestFile ? size : kLargestFile;
    }

private:
    uint32_t m_state;
};

bool WriteBytes(const std::string& path, const char* bytes, int size)
{
    e2e::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    DWORD written = 0;
    return file.Get() != INVALID_HANDLE_VALUE && WriteFile(file.Get(), bytes, (DWORD)size, &written, nullptr) &&
           written == (DWORD)size;
}

std::string Numbered(const char* prefix, int number, const char* suffix)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%05d%s", prefix, number, suffix);
    return name;
}

} // namespace

bool MakeKit(const std::string& folder, int files)
{
    Random random(kSeed);
    // File contents are slices of one block of noise, which no copy can shortcut.
    std::vector<char> noise(2 * kLargestFile);
    for (char& byte : noise)
        byte = (char)random.Next();

    if (!e2e::MakeFolders(folder) || !NameKit(folder, "Benchmark kit"))
        return false;

    // Items go round the eight trees in turn, so every tree grows with the kit.
    const int perItem = std::min(kFilesPerItem, std::max(1, files / 8));
    int written = 0;
    for (int item = 0; written < files; ++item) {
        const int tree = item % 8;
        const auto& kind = kKinds[tree / 2];
        const std::string name = Numbered(kind.itemPrefix, item, "");
        const std::string itemFolder =
            folder + "\\" + kRoots[tree % 2] + "\\" + kind.folder + "\\" + name;
        for (const char* sub : kItemFolders) {
            if (!e2e::MakeFolders(itemFolder + sub))
                return false;
        }
        for (int i = 0; i < perItem && written < files; ++i, ++written) {
            std::string path;
            if (tree / 2 == 0 && i == 0) {
                // A theme's descriptor, so the kit check lists it with a title.
                path = itemFolder + "\\" + name + ".inf";
                std::string text = "[info]\r\ntitle=" + name + "\r\nversion=1.0\r\n";
                if (!WriteBytes(path, text.data(), (int)text.size()))
                    return false;
                continue;
            }
            path = itemFolder + kItemFolders[i % 4] + "\\" + Numbered("file", i, kind.extension);
            const int size = random.FileSize();
            const int offset = (int)(random.Next() % kLargestFile);
            if (!WriteBytes(path, noise.data() + offset, size))
                return false;
        }
    }
    return true;
}

bool NameKit(const std::string& folder, const std::string& name)
{
    const std::string intro = name + "\r\nMany small files in nested folders.\r\n";
    return WriteBytes(folder + "\\intro.txt", intro.data(), (int)intro.size());
}

} // namespace bench

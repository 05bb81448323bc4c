// Packed kits: packing real kits and unpacking them back, damaged files and
// malicious entries (made by the test's own writer of the format), the unpack
// folder's access list, and a packed program signed afterwards.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <stddef.h>
#include <sddl.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "Bytes.h"
#include "Support.h"
#include "digest/Sha256.h"
#include "kit/KitName.h"
#include "pack/KitPacker.h"
#include "pack/PackFormat.h"
#include "pack/ProgramImage.h"
#include "pack/UnpackedKit.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/FolderTree.h"
#include "win/Handle.h"
#include "win/ProtectedFolder.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

std::string ProgramPath()
{
    return TestProgramFolder() + "\\fernwick.exe";
}

// A scratch folder whose entries may have names in any script, which the
// plain scratch folder's own removal cannot delete.
class ScratchFolder : public TempFolder {
public:
    ~ScratchFolder() { RemoveFolderTree(Path()); }
};

bool WriteWide(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    ScopedFile file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    DWORD written = 0;
    bool ok = file.IsValid() && WriteFile(file.Get(), content.data(), (DWORD)content.size(), &written, nullptr);
    file.Reset();
    return ok && (attributes == FILE_ATTRIBUTE_NORMAL || SetFileAttributesW(Wide(path).c_str(), attributes));
}

// Makes the folder `relative` below `root`, with its parents.
bool MakeFolders(const TempFolder& root, const std::string& relative)
{
    for (size_t slash = 0; slash != std::string::npos;) {
        slash = relative.find('\\', slash + 1);
        std::wstring path = Wide(root / relative.substr(0, slash));
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

std::string ReadWide(const std::string& path)
{
    ScopedFile file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string content;
    char buffer[65536];
    DWORD read = 0;
    while (file.IsValid() && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    return content;
}

// Everything below `folder` by relative name: "folder" for a folder; for a file
// its read-only, hidden and system attributes, its time and its bytes.
void AddTree(const std::string& folder, const std::string& relative, std::map<std::string, std::string>& tree)
{
    WIN32_FIND_DATAW found;
    ScopedFind find(FindFirstFileW(Wide(folder + relative + "\\*").c_str(), &found));
    if (!find.IsValid())
        return;
    do {
        std::string name = Utf8(found.cFileName, wcslen(found.cFileName));
        if (name == "." || name == "..")
            continue;
        std::string path = relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path.substr(1)] = "folder";
            AddTree(folder, path, tree);
        } else {
            DWORD kept = found.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
            tree[path.substr(1)] = Format("attributes %lx, written %lx:%lx, ", kept, found.ftLastWriteTime.dwHighDateTime,
                                          found.ftLastWriteTime.dwLowDateTime) +
                                   ReadWide(folder + path);
        }
    } while (FindNextFileW(find.Get(), &found));
}

std::map<std::string, std::string> Tree(const std::string& folder)
{
    std::map<std::string, std::string> tree;
    AddTree(folder, "", tree);
    return tree;
}

// The system's temporary folder, with its trailing backslash.
std::string TemporaryFolder()
{
    wchar_t temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    return Utf8(temp, length);
}

// The names in the system's temporary folder, where unpacking makes its folder.
std::set<std::string> TemporaryEntries()
{
    std::set<std::string> names;
    WIN32_FIND_DATAW found;
    ScopedFind find(FindFirstFileW(Wide(TemporaryFolder() + "*").c_str(), &found));
    while (find.IsValid()) {
        names.insert(Utf8(found.cFileName, wcslen(found.cFileName)));
        if (!FindNextFileW(find.Get(), &found))
            break;
    }
    return names;
}

// Packs `kit` into `output`; the reason of a failure becomes the test's message.
void Pack(const std::string& kit, const std::string& output, const PackProgress& progress = nullptr)
{
    std::string reason;
    ASSERT_TRUE(PackKit(ProgramPath(), kit, output, progress, reason)) << reason;
}

// The packed program's bytes with the payload's parts found from its header.
struct PackedParts {
    std::string bytes;
    size_t payload = 0; // the header's offset
    size_t table = 0;
    size_t data = 0;
};

PackedParts ReadPacked(const std::string& path)
{
    PackedParts parts;
    parts.bytes = ReadFileBytes(path);
    parts.payload = ReadFileBytes(ProgramPath()).size();
    PackHeader header;
    size_t nameSize = 0;
    EXPECT_TRUE(DecodePackHeader(parts.bytes.data() + parts.payload, header, nameSize));
    parts.table = parts.payload + kPackHeaderFixedSize + nameSize;
    parts.data = parts.table + (size_t)header.tableSize;
    return parts;
}

TEST(PackedKit, SampleKitUnpacksAsItWas)
{
    ScratchFolder scratch;
    const std::string packed = scratch / "sample-setup.exe";
    std::vector<std::pair<int, int>> calls;
    Pack(SampleKitFolder(), packed, [&](int done, int total) { calls.emplace_back(done, total); });

    const std::map<std::string, std::string> kit = Tree(SampleKitFolder());
    int files = 0;
    for (const auto& entry : kit)
        files += entry.second != "folder";
    ASSERT_EQ(files + 1, (int)calls.size());
    for (int i = 0; i <= files; ++i)
        EXPECT_EQ(std::make_pair(i, files), calls[i]);
    // Only the image and the kit went in: no temporary file is left beside it.
    EXPECT_EQ((std::map<std::string, std::string>{{"sample-setup.exe", Tree(scratch.Path())["sample-setup.exe"]}}),
              Tree(scratch.Path()));

    std::string unpackedFolder;
    {
        UnpackedKit unpacked;
        int reported = 0;
        ASSERT_EQ(UnpackedKit::kUnpacked, unpacked.Unpack(packed, [&](int done, int) { reported = done; }))
            << unpacked.Reason();
        EXPECT_EQ(files, reported);
        unpackedFolder = unpacked.Folder();
        EXPECT_EQ(kit, Tree(unpackedFolder));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Wide(unpackedFolder).c_str()));

    UnpackedKit plain;
    EXPECT_EQ(UnpackedKit::kNotPacked, plain.Unpack(ProgramPath(), nullptr));
    EXPECT_EQ("", plain.Folder());
}

// Names of several scripts, letter cases, attributes and empty folders go in
// as they are; the program and anything else in the kit folder stay out.
TEST(PackedKit, KitOfManyScriptsUnpacksAsItWas)
{
    ScratchFolder kit;
    ScratchFolder out;
    const struct {
        const char* name;
        std::string content;
        DWORD attributes;
    } files[] = {
        {"Intro.TXT", "Καλώς ήρθατε\r\n", FILE_ATTRIBUTE_NORMAL},
        {"license.txt", "使用許諾\r\n", FILE_ATTRIBUTE_READONLY},
        {"COMMON\\Themes\\θάλασσα\\θάλασσα.inf", "[info]\r\ntitle=Θάλασσα\r\n", FILE_ATTRIBUTE_NORMAL},
        {"COMMON\\Themes\\θάλασσα\\κύμα.css", "body { color: navy }", FILE_ATTRIBUTE_HIDDEN},
        {"COMMON\\Pages\\桜\\さくら.htm", "<p>桜</p>", FILE_ATTRIBUTE_SYSTEM},
        {"Fp98\\Webs\\🌲forest\\🌲.htm", std::string(100000, 'x'), FILE_ATTRIBUTE_READONLY},
        {"fp2000\\Frames\\empty.htm", "", FILE_ATTRIBUTE_NORMAL},
        {"FP2003\\Themes\\x\\x.css", "body { color: teal }", FILE_ATTRIBUTE_NORMAL},
    };
    const char* const emptyFolders[] = {"fp2000\\Frames\\空", "fp2000\\Themes"};
    const char* const leftOut[] = {"fernwick.exe", "notes.txt", "fp2002\\Themes\\x\\x.css", "intro.txt.bak"};

    for (const char* folder : {"COMMON\\Themes\\θάλασσα", "COMMON\\Pages\\桜", "Fp98\\Webs\\🌲forest",
                               "fp2000\\Frames\\空", "fp2000\\Themes", "fp2002\\Themes\\x", "FP2003\\Themes\\x"})
        ASSERT_TRUE(MakeFolders(kit, folder)) << folder;
    std::map<std::string, std::string> expected;
    for (const auto& file : files)
        ASSERT_TRUE(WriteWide(kit / file.name, file.content, file.attributes)) << file.name;
    for (const char* name : leftOut)
        ASSERT_TRUE(WriteWide(kit / name, "not part of the kit")) << name;
    expected = Tree(kit.Path());
    for (const char* name : leftOut)
        expected.erase(name);
    expected.erase("fp2002");
    expected.erase("fp2002\\Themes");
    expected.erase("fp2002\\Themes\\x");
    for (const char* folder : emptyFolders)
        ASSERT_EQ("folder", expected[folder]);

    Pack(kit.Path(), out / "setup.exe");
    UnpackedKit unpacked;
    ASSERT_EQ(UnpackedKit::kUnpacked, unpacked.Unpack(out / "setup.exe", nullptr)) << unpacked.Reason();
    EXPECT_EQ(expected, Tree(unpacked.Folder()));
    // In a folder of the kit folder's name, which names a kit without an introduction.
    EXPECT_EQ(KitFolderName(kit.Path()), KitFolderName(unpacked.Folder()));
}

// A damaged setup is caught by its trailer or digest, before anything is written.
TEST(PackedKit, DamagedFileIsCaughtBeforeAnythingIsWritten)
{
    EXPECT_EQ("This setup file is damaged. Please obtain a new copy.", LoadResString(IDS_SETUP_DAMAGED));
    ScratchFolder scratch;
    Pack(SampleKitFolder(), scratch / "good.exe");
    const PackedParts good = ReadPacked(scratch / "good.exe");
    ASSERT_TRUE(SignProgram(scratch.Path(), "good.exe", "signed.exe"));
    const std::string signedBytes = ReadFileBytes(scratch / "signed.exe");
    // Its certificate table starts where the setup ended before.
    const size_t certificates = good.bytes.size();
    const uint32_t certificatesSize = (uint32_t)(signedBytes.size() - certificates);
    auto flipped = [&](size_t at, std::string bytes) {
        bytes[at] ^= 0x20;
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"cut by one byte", good.bytes.substr(0, good.bytes.size() - 1)},
        {"cut inside the data", good.bytes.substr(0, good.data + 10)},
        {"cut just after the program", good.bytes.substr(0, good.payload + 40)},
        {"bytes added at the end", good.bytes + "more"},
        {"one byte of the program flipped", flipped(good.payload - 100, good.bytes)},
        {"one byte of the data flipped", flipped(good.data + 100, good.bytes)},
        {"one byte of the table flipped", flipped(good.table + kPackEntryFixedSize + 2, good.bytes)},
        {"one byte of the header flipped", flipped(good.payload + 13, good.bytes)},
        {"one byte of the digest flipped", flipped(good.bytes.size() - 20, good.bytes)},
        {"the trailer's payload size changed", flipped(good.bytes.size() - kPackTrailerSize, good.bytes)},
        // Signed: the certificates are the system's to verify, their table's layout is checked.
        {"a certificate's length changed by one byte", flipped(certificates + 1, signedBytes)},
        {"8 bytes added after the certificate table", signedBytes + std::string(8, '\0')},
        {"800 bytes added after the certificate table", signedBytes + std::string(800, 'x')},
        {"the certificate table 8 bytes longer, in the headers too",
         WithCertificateTable(signedBytes + std::string(8, '\0'), (uint32_t)certificates, certificatesSize + 8)},
        {"anything added, as a certificate table, to an unsigned setup",
         WithCertificateTable(good.bytes + std::string(4096, 'x'), (uint32_t)certificates, 4096)},
    };
    for (const auto& c : cases) {
        const std::string path = scratch / "damaged.exe";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        const std::set<std::string> before = TemporaryEntries();
        bool progressed = false;
        UnpackedKit unpacked;
        EXPECT_EQ(UnpackedKit::kDamaged, unpacked.Unpack(path, [&](int, int) { progressed = true; })) << c.what;
        EXPECT_NE("", unpacked.Reason()) << c.what;
        EXPECT_EQ("", unpacked.Folder()) << c.what;
        EXPECT_FALSE(progressed) << c.what;
        EXPECT_EQ(before, TemporaryEntries()) << c.what;
    }
}

// The test's own writer of the format, so that it can write what the packer never would.
struct RawEntry {
    PackEntry entry;
    std::string data; // the bytes it puts in the data
};

RawEntry Folder(const std::string& name)
{
    RawEntry raw;
    raw.entry.name = name;
    raw.entry.kind = kPackFolder;
    return raw;
}

RawEntry File(const std::string& name, const std::string& content, PackMethod method = kPackDeflated)
{
    RawEntry raw;
    raw.entry.name = name;
    raw.entry.method = method;
    raw.entry.size = content.size();
    raw.entry.crc = crc32(0, (const Bytef*)content.data(), (uInt)content.size());
    raw.data = content;
    if (method == kPackDeflated) {
        z_stream stream = {};
        deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        raw.data.assign(deflateBound(&stream, content.size()), '\0');
        stream.next_in = (Bytef*)content.data();
        stream.avail_in = (uInt)content.size();
        stream.next_out = (Bytef*)&raw.data[0];
        stream.avail_out = (uInt)raw.data.size();
        deflate(&stream, Z_FINISH);
        raw.data.resize(stream.total_out);
        deflateEnd(&stream);
    }
    raw.entry.packedSize = raw.data.size();
    return raw;
}

// Lays the entries' data one after another, as the packer does.
std::vector<RawEntry> Laid(std::vector<RawEntry> entries)
{
    uint64_t offset = 0;
    for (RawEntry& raw : entries) {
        raw.entry.offset = raw.entry.kind == kPackFile ? offset : 0;
        offset += raw.data.size();
    }
    return entries;
}

// The plain program followed by a payload of `entries` exactly as they are,
// with a header (naming the kit folder `kitFolder`) and trailer that fit them
// and a digest that matches.
std::string WritePacked(const std::vector<RawEntry>& entries, const std::string& kitFolder = "kit")
{
    std::string out = ReadFileBytes(ProgramPath());
    const size_t start = out.size();
    std::string table, data;
    for (const RawEntry& raw : entries) {
        table += EncodePackEntry(raw.entry);
        data += raw.data;
    }
    PackHeader header;
    header.kitFolder = kitFolder;
    header.entryCount = (uint32_t)entries.size();
    header.tableSize = table.size();
    header.dataSize = data.size();
    out += EncodePackHeader(header) + table + data;
    out.append((kPackAlignment - (out.size() + kPackTrailerSize) % kPackAlignment) % kPackAlignment, '\0');
    PackTrailer trailer;
    trailer.payloadSize = out.size() - start;
    // All of the file, with the checksum and the security directory entry as zeros.
    std::string hashed = out + EncodePackTrailer(trailer).substr(0, 8);
    const size_t headers = ((const IMAGE_DOS_HEADER*)hashed.data())->e_lfanew;
    hashed.replace(headers + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.CheckSum), 4, 4, '\0');
    hashed.replace(headers + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DataDirectory) +
                       IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY),
                   8, 8, '\0');
    Sha256 digest;
    digest.Add(hashed.data(), hashed.size());
    trailer.digest = digest.Finish();
    return out + EncodePackTrailer(trailer);
}

TEST(PackedKit, MaliciousEntriesAreRefusedWithNothingLeftBehind)
{
    ScratchFolder scratch;
    const std::string path = scratch / "setup.exe";

    // The writer itself makes files that unpack.
    std::ofstream(path, std::ios::binary) << WritePacked(Laid({Folder("common"), File("common\\a.htm", "first"),
                                                               File("common\\b.htm", "second", kPackStored)}),
                                                         "Harbour Lights");
    {
        UnpackedKit unpacked;
        ASSERT_EQ(UnpackedKit::kUnpacked, unpacked.Unpack(path, nullptr)) << unpacked.Reason();
        EXPECT_EQ("second", ReadWide(unpacked.Folder() + "\\common\\b.htm"));
        EXPECT_EQ("Harbour Lights", KitFolderName(unpacked.Folder()));
    }

    const std::string content = "<html>Nothing to see here</html>";
    auto changed = [&](std::vector<RawEntry> entries, const std::function<void(PackEntry&)>& change) {
        change(entries.back().entry);
        return entries;
    };
    const std::vector<RawEntry> good = Laid({Folder("common"), File("common\\a.htm", content)});
    const struct {
        const char* what;
        std::vector<RawEntry> entries;
        std::string kitFolder = "kit";
    } cases[] = {
        {"'..' at the start", Laid({File("..\\evil.txt", content)})},
        {"'..' inside", Laid({Folder("common"), File("common\\..\\..\\evil.txt", content)})},
        {"'..' with slashes", Laid({File("common/../../evil.txt", content)})},
        {"'..' written overlong", Laid({File("\xC0\xAE\xC0\xAE\\evil.txt", content)})},
        {"'.' part", Laid({File(".\\evil.txt", content)})},
        {"absolute", Laid({File("\\evil.txt", content)})},
        {"absolute with a slash", Laid({File("/evil.txt", content)})},
        {"network path", Laid({File("\\\\server\\share\\evil.txt", content)})},
        {"drive", Laid({File("C:\\evil.txt", content)})},
        {"drive-relative", Laid({File("C:evil.txt", content)})},
        {"device CON", Laid({Folder("common"), File("common\\CON", content)})},
        {"device nul with an extension", Laid({Folder("common"), File("common\\nul.txt", content)})},
        {"device Aux in mixed case", Laid({Folder("common"), File("common\\Aux.htm", content)})},
        {"device PRN as a folder", Laid({Folder("prn")})},
        {"device COM1", Laid({Folder("common"), File("common\\com1", content)})},
        {"device LPT9 with an extension", Laid({Folder("common"), File("common\\LPT9.log", content)})},
        {"device COM with a superscript digit", Laid({Folder("common"), File("common\\COM\xC2\xB9", content)})},
        {"device name then blanks", Laid({Folder("common"), File("common\\con .txt", content)})},
        {"stream", Laid({Folder("common"), File("common\\a.htm:hidden", content)})},
        {"default stream", Laid({Folder("common"), File("common\\a.htm::$DATA", content)})},
        {"empty name", Laid({File("", content)})},
        {"empty part", Laid({File("common\\\\a.htm", content)})},
        {"part ending in a dot", Laid({File("evil.", content)})},
        {"wildcard", Laid({File("a*.htm", content)})},
        {"data longer than its size", changed(good, [](PackEntry& e) { e.size -= 1; })},
        {"data shorter than its size", changed(good, [](PackEntry& e) { e.size += 1; })},
        {"stored data longer than its size",
         changed(Laid({File("a.htm", content, kPackStored)}), [](PackEntry& e) { e.size -= 1; })},
        {"CRC-32 that does not match", changed(good, [](PackEntry& e) { e.crc ^= 1; })},
        {"offset outside the data", changed(good, [](PackEntry& e) { e.offset = 1000000; })},
        {"offset into the data before it",
         changed(Laid({File("a.htm", content), File("b.htm", content)}), [](PackEntry& e) { e.offset = 0; })},
        {"packed size beyond the data", changed(good, [](PackEntry& e) { e.packedSize += 1; })},
        {"unknown method", changed(good, [](PackEntry& e) { e.method = 12; })},
        {"unknown kind", changed(good, [](PackEntry& e) { e.kind = 7; })},
        {"its folder not listed first", Laid({File("common\\a.htm", content)})},
        {"name twice", Laid({File("a.htm", content), File("A.HTM", content)})},
        {"folder with data", changed(Laid({Folder("common")}), [](PackEntry& e) { e.size = 5; })},
        {"kit folder '..'", good, ".."},
        {"kit folder of two parts", good, "kit\\common"},
        {"kit folder a drive", good, "C:"},
        {"kit folder a device", good, "CON"},
        {"kit folder without a name", good, ""},
        {"kit folder with a slash", good, "k/t"},
        {"kit folder of 256 characters", good, std::string(256, 'k')},
        {"name part of 256 characters", Laid({File(std::string(256, 'a') + ".htm", content)})},
        {"file time the system does not take",
         changed(good, [](PackEntry& e) { e.written = 0x8000000000000000ull; })},
    };
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << WritePacked(c.entries, c.kitFolder);
        const std::set<std::string> before = TemporaryEntries();
        UnpackedKit unpacked;
        EXPECT_EQ(UnpackedKit::kDamaged, unpacked.Unpack(path, nullptr)) << c.what;
        EXPECT_NE("", unpacked.Reason()) << c.what;
        EXPECT_EQ("", unpacked.Folder()) << c.what;
        EXPECT_EQ(before, TemporaryEntries()) << c.what;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\evil.txt")) << c.what;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((scratch / "evil.txt").c_str())) << c.what;
    }
}

// A setup ended from outside leaves its unpack folder behind; the next one
// removes it, and only such a folder: named for a setup that no longer runs
// and protected as setups make them.
TEST(PackedKit, FoldersLeftByEndedSetupsGoWithTheNextOne)
{
    ScratchFolder scratch;
    Pack(SampleKitFolder(), scratch / "setup.exe");
    // No process has this id, nor the one the name of the last case reads.
    const std::string ended = "4294967292";
    const std::string running = std::to_string(GetCurrentProcessId());
    const struct {
        std::string name;
        // Protected as a setup makes it; else anyone may change it (under
        // Wine, which keeps no access lists: its Unix mode lets everyone write).
        bool made;
        bool goes;
    } cases[] = {
        {"fernwick-kit-" + ended + "-1", true, true},
        {"fernwick-kit-" + ended + "-2", false, false},
        {"fernwick-kit-" + running + "-1", true, false},
        {"fernwick-kit-" + ended, true, false},
        {"fernwick-kit-" + ended + "-1x", true, false},
        {"fernwick-kit-notes", true, false},
        {"fernwick-kit-4294967300-1", true, false},
    };
    const std::string temp = TemporaryFolder();
    for (const auto& c : cases) {
        const std::string folder = temp + c.name;
        ASSERT_TRUE(CreateProtectedFolder(folder, false)) << c.name;
        ASSERT_TRUE(WriteWide(folder + "\\left.txt", "left behind")) << c.name;
        if (!c.made) {
            ASSERT_TRUE(RunShell("chmod a+w " + ShellQuote(UnixPath(folder)))) << c.name;
            ASSERT_FALSE(IsProtected(folder)) << c.name;
        }
    }

    {
        UnpackedKit unpacked;
        ASSERT_EQ(UnpackedKit::kUnpacked, unpacked.Unpack(scratch / "setup.exe", nullptr)) << unpacked.Reason();
    }
    for (const auto& c : cases) {
        EXPECT_EQ(!c.goes, PathExists(temp + c.name)) << c.name;
        RemoveFolderTree(temp + c.name);
    }
}

// Whom the access list of `path` allows anything, in the system's notation
// ("SY", "BA", or a SID); "none" when it has no list, which allows everyone all.
std::set<std::string> AllowedTrustees(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (GetNamedSecurityInfoW(Wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return {"unreadable"};
    std::set<std::string> trustees;
    if (!dacl)
        trustees.insert("none");
    wchar_t* text = nullptr;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        // Each entry reads "(type;flags;rights;object;inherited object;trustee)".
        std::string list = Utf8(text, wcslen(text));
        for (size_t open = list.find('('); open != std::string::npos; open = list.find('(', open + 1)) {
            std::string entry = list.substr(open + 1, list.find(')', open) - open - 1);
            if (entry.compare(0, 2, "A;") == 0)
                trustees.insert(entry.substr(entry.rfind(';') + 1));
        }
    }
    LocalFree(text);
    LocalFree(descriptor);
    return trustees;
}

std::string CurrentUserSid()
{
    HANDLE token = nullptr;
    char buffer[256];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    std::string text;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
        GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidW(((TOKEN_USER*)buffer)->User.Sid, &sid))
        text = Utf8(sid, wcslen(sid));
    LocalFree(sid);
    CloseHandle(token);
    return text;
}

// Windows keeps the folder's own list: administrators (BA) and SYSTEM (SY)
// with full access, nothing inherited. Wine keeps no lists, only Unix modes,
// and reads back the owner and SYSTEM, with Everyone (WD) too for a folder
// made as usual: so the test asks that no one else is allowed anything.
TEST(PackedKit, UnpackFolderOnlyAdministratorsAndSystemMayChangeAndGoesAfterwards)
{
    ScratchFolder scratch;
    Pack(SampleKitFolder(), scratch / "setup.exe");
    const std::set<std::string> mayBeAllowed = {"SY", "BA", CurrentUserSid()};
    std::string folder;
    {
        UnpackedKit unpacked;
        std::set<std::string> whileUnpacking;
        ASSERT_EQ(UnpackedKit::kUnpacked, unpacked.Unpack(scratch / "setup.exe", [&](int done, int) {
            if (done == 1)
                whileUnpacking = AllowedTrustees(unpacked.Folder());
        })) << unpacked.Reason();
        folder = unpacked.Folder();
        EXPECT_EQ(1u, whileUnpacking.count("SY"));
        for (const std::string& trustee : whileUnpacking)
            EXPECT_EQ(1u, mayBeAllowed.count(trustee)) << trustee << " may use the unpack folder";
        EXPECT_EQ(whileUnpacking, AllowedTrustees(folder));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Wide(folder).c_str()));
}

// Signing appends a certificate table after the payload and changes the
// headers; the setup still finds its kit and checks its digest.
TEST(PackedKit, SignedAfterwardsStillUnpacks)
{
    ScratchFolder scratch;
    Pack(SampleKitFolder(), scratch / "setup.exe");
    ASSERT_TRUE(SignProgram(scratch.Path(), "setup.exe", "signed.exe"));
    ScopedFile signedFile(CreateFileA((scratch / "signed.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ProgramLayout layout;
    ASSERT_TRUE(ReadProgramLayout(signedFile.Get(), layout));
    EXPECT_EQ(ReadFileBytes(scratch / "setup.exe").size(), layout.appendedEnd);
    EXPECT_GT(ReadFileBytes(scratch / "signed.exe").size(), layout.appendedEnd);
    signedFile.Reset();

    UnpackedKit unpacked;
    ASSERT_EQ(UnpackedKit::kUnpacked, unpacked.Unpack(scratch / "signed.exe", nullptr)) << unpacked.Reason();
    EXPECT_EQ(Tree(SampleKitFolder()), Tree(unpacked.Folder()));

    // Packing from a signed program leaves its signature behind.
    Pack(SampleKitFolder(), scratch / "repacked.exe", nullptr);
    signedFile.Reset(CreateFileA((scratch / "repacked.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(ReadProgramLayout(signedFile.Get(), layout));
    EXPECT_EQ(ReadFileBytes(scratch / "repacked.exe").size(), layout.appendedEnd);
}

// A failed packing names the reason and leaves nothing under the output's
// name but what was there before, and nothing beside it.
TEST(PackedKit, FailedPackingLeavesNothingHalfWritten)
{
    const struct {
        const char* what;
        std::function<bool(TempFolder&, std::unique_ptr<FileLock>&)> make;
        const char* reasonStart;
        bool systemText = true; // a system call failed: the reason ends with its words
    } cases[] = {
        {"a kit file that fails its read",
         [](TempFolder& kit, std::unique_ptr<FileLock>&) { return MakeUnreadable(kit / "common\\Pages\\p\\p.htm"); },
         "Cannot read file "},
        {"a kit file held by another program",
         [](TempFolder& kit, std::unique_ptr<FileLock>& lock) {
             lock.reset(new FileLock(kit / "fp98\\Themes\\t\\t.css"));
             return lock->IsHeld();
         },
         "Cannot read file "},
        {"a kit file named as the unpacker would refuse, made on the Unix side",
         [](TempFolder& kit, std::unique_ptr<FileLock>&) {
             return RunShell("touch " + ShellQuote(UnixPath(kit / "common\\Pages\\p") + "/evil."));
         },
         "Cannot pack ", false},
        {"a kit folder that is not there", [](TempFolder& kit, std::unique_ptr<FileLock>&) {
             return RemoveFolderTree(kit.Path());
         },
         "Cannot read folder "},
    };
    for (const auto& c : cases) {
        TempFolder kit;
        TempFolder out;
        kit.Write("intro.txt", "Hello\r\n");
        kit.Write("common\\Pages\\p\\note.htm", "note");
        kit.Write("fp98\\Themes\\t\\t.css", "css");
        std::unique_ptr<FileLock> lock;
        ASSERT_TRUE(c.make(kit, lock)) << c.what;
        const std::string output = out.Write("setup.exe", "the setup made before");

        std::string reason;
        EXPECT_FALSE(PackKit(ProgramPath(), kit.Path(), output, nullptr, reason)) << c.what;
        EXPECT_EQ(0u, reason.find(c.reasonStart)) << c.what << ": " << reason;
        EXPECT_EQ(c.systemText, reason.find(": (") != std::string::npos) << c.what << ": " << reason;
        EXPECT_EQ((std::map<std::string, std::string>{{"setup.exe", Tree(out.Path())["setup.exe"]}}), Tree(out.Path()))
            << c.what;
        EXPECT_EQ("the setup made before", ReadFileBytes(output)) << c.what;
    }

    TempFolder kit;
    kit.Write("intro.txt", "Hello\r\n");
    std::string reason;
    EXPECT_FALSE(PackKit(ProgramPath(), kit.Path(), kit / "no such folder\\setup.exe", nullptr, reason));
    EXPECT_EQ(0u, reason.find("Cannot create a file beside ")) << reason;
}

} // namespace

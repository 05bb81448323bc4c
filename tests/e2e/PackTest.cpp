// One-file kits: a kit packed with /PACK, in the wizard's window or without
// one, and the setup it makes run like the kit's folder, whether signed,
// damaged or ended early; its unpacked kit gone afterwards.
#include "WizardTest.h"

#include <wincrypt.h>

#include <cstring>
#include <map>
#include <regex>

#include "Bytes.h"
#include "Text.h"
#include "Unix.h"

namespace e2e {
namespace {

const char kDamaged[] = "This setup file is damaged. Please obtain a new copy.";

// Everything below `folder` by relative name: "folder" for a folder, the bytes for a file.
void AddTree(const std::string& folder, const std::string& relative, std::map<std::string, std::string>& tree)
{
    for (const std::string& name : FolderEntries(folder + relative)) {
        const std::string path = relative + "\\" + name;
        if (GetFileAttributesW(WideOf(folder + path).c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path] = "folder";
            AddTree(folder, path, tree);
        } else {
            tree[path] = ReadFileBytes(folder + path);
        }
    }
}

std::map<std::string, std::string> Tree(const std::string& folder)
{
    std::map<std::string, std::string> tree;
    AddTree(folder, "", tree);
    return tree;
}

// The log with the times of its opening and closing lines taken out.
std::string Timeless(const std::string& log)
{
    static const std::regex time("(Log file (opened|closed) on ).*");
    return std::regex_replace(log, time, "$1<time>");
}

// The folders below the temporary folder where setups unpack their kits;
// those of the process `processId` when it is not 0.
std::vector<std::string> UnpackFolders(DWORD processId = 0)
{
    char temp[MAX_PATH];
    const std::string folder(temp, GetTempPathA(MAX_PATH, temp));
    const std::string prefix = "fernwick-kit-" + (processId ? std::to_string(processId) + "-" : std::string());
    std::vector<std::string> found;
    for (const std::string& name : FolderEntries(folder)) {
        if (name.compare(0, prefix.size(), prefix) == 0)
            found.push_back(folder + name);
    }
    return found;
}

// A packed setup's bytes, with where its payload's table and data start.
struct SetupFile {
    std::string bytes;
    size_t payload = 0;
    size_t table = 0;
    size_t data = 0;
};

SetupFile ReadSetup(const std::string& path)
{
    SetupFile setup;
    setup.bytes = ReadFileBytes(path);
    // The payload follows the program's image, fernwick.exe as built: a
    // header of 34 bytes and the kit folder's name, its table's size at
    // byte 16, the name's size at byte 32.
    setup.payload = ReadFileBytes(ExeFolder() + "\\fernwick.exe").size();
    unsigned long long tableSize = 0;
    uint16_t nameSize = 0;
    if (setup.bytes.size() >= setup.payload + 34) {
        memcpy(&tableSize, setup.bytes.data() + setup.payload + 16, sizeof tableSize);
        memcpy(&nameSize, setup.bytes.data() + setup.payload + 32, sizeof nameSize);
    }
    setup.table = setup.payload + 34 + nameSize;
    setup.data = setup.table + (size_t)tableSize;
    return setup;
}

// The SHA-256 of `bytes`, by the system's own provider (CALG_SHA_256, which
// the headers declare only for systems newer than the program's oldest).
std::string Sha256Of(const std::string& bytes)
{
    const ALG_ID sha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::string digest(32, '\0');
    DWORD size = (DWORD)digest.size();
    const bool made = CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
                      CryptCreateHash(provider, sha256, 0, 0, &hash) &&
                      CryptHashData(hash, (const BYTE*)bytes.data(), (DWORD)bytes.size(), 0) &&
                      CryptGetHashParam(hash, HP_HASHVAL, (BYTE*)&digest[0], &size, 0);
    if (hash)
        CryptDestroyHash(hash);
    if (provider)
        CryptReleaseContext(provider, 0);
    return made ? digest : std::string();
}

// An unsigned setup changed as one crafted to do harm would be, and sealed
// again: the trailer's digest made to match, over the file up to it (the
// trailer's payload size too) with the checksum and the security directory
// entry read as zeros.
std::string Sealed(std::string bytes)
{
    const size_t digest = bytes.size() - 40;
    std::string hashed = WithCertificateTable(bytes.substr(0, digest), 0, 0);
    const size_t checksum = *(const uint32_t*)&hashed[0x3c] + 4 + sizeof(IMAGE_FILE_HEADER) + 64;
    hashed.replace(checksum, 4, 4, '\0');
    return bytes.replace(digest, 32, Sha256Of(hashed));
}

// The offset of the first file's entry in the table: entries of 44 bytes and
// their names, a name's size in their first 2 bytes, their kind (0 for a
// file) in the third.
size_t FirstFileEntry(const SetupFile& setup)
{
    size_t at = setup.table;
    while (at + 44 <= setup.data && setup.bytes[at + 2] != 0)
        at += 44 + *(const uint16_t*)&setup.bytes[at];
    return at;
}

class PackedSetup : public WizardTest {
protected:
    // Walks the wizard from its first page to the final one, through the
    // licence when the kit has one, and ends it with "Finish". The text of
    // the readme Notepad shows when the kit has one, else empty.
    std::string Install(bool hasReadme)
    {
        EXPECT_TRUE(app->PassStart()) << app->Describe();
        EXPECT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
        if (app->Dialog()) {
            EXPECT_EQ(DialogKind(app->Dialog()), "licence");
            EXPECT_TRUE(app->AnswerDialog("ready")) << app->Describe();
        }
        EXPECT_EQ(app->StatusText(), kReadyText);
        EXPECT_TRUE(app->PassCopy()) << app->Describe();
        EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
        app->Control(IDOK).Click();
        EXPECT_TRUE(app->WaitForExit()) << app->Describe();
        EXPECT_EQ(app->ExitCode(), 0u);
        if (!hasReadme)
            return std::string();
        // Read once the wizard, and a packed kit's folder with it, have gone.
        Window notepad;
        EXPECT_TRUE(WaitUntil([&] { return (notepad = app->ChildWindow("readme.txt")); })) << app->Describe();
        app->Shot("readme");
        const std::string text = Window(FindWindowExA(notepad.Hwnd(), nullptr, "Edit", nullptr)).Text();
        EXPECT_TRUE(CloseProgramWindow(notepad));
        return text;
    }

    // What an installation left: the FrontPage folder's new trees and the log.
    // Both are taken away, ready for the next installation.
    std::pair<std::map<std::string, std::string>, std::string> TakeInstalled()
    {
        auto installed = std::make_pair(Tree(world.Path("FrontPage")), Timeless(Log()));
        for (const char* tree : {"themes", "pages", "webs", "frames"})
            RemoveTree(world.Path(std::string("FrontPage\\") + tree));
        DeleteFileA(world.LogPath().c_str());
        return installed;
    }
};

// A kit of the checkout or of the test, in the kit folder it returns; false when it cannot be made.
struct KitCase {
    const char* name;
    bool (*make)(const World& world, std::string& kitFolder);
};

void PrintTo(const KitCase& kit, std::ostream* out)
{
    *out << kit.name;
}

const KitCase kKits[] = {
    {"SampleKit",
     [](const World&, std::string& kitFolder) {
         kitFolder = World::SampleKitFolder();
         return PathExists(kitFolder + "\\intro.txt");
     }},
    // Names in several scripts, texts in UTF-8 and UTF-16, a licence and a readme.
    {"NamesOfSeveralScripts",
     [](const World& world, std::string& kitFolder) {
         kitFolder = world.KitFolder();
         RemoveTree(kitFolder);
         const struct {
             std::string path;
             std::string bytes;
         } files[] = {
             {u8"intro.txt", u8"Κύμα και 桜\r\nThemes in three scripts.\r\n"},
             {u8"license.txt", Utf16File(WideOf(u8"Άδεια χρήσης 使用許諾\r\n"))},
             {u8"readme.txt", u8"Διαβάστε με: 読んでください\r\n"},
             {u8"fp98\\Themes\\Κύμα\\Κύμα.inf", u8"[info]\r\ntitle=Κύμα\r\nversion=1.5\r\n"},
             {u8"fp98\\Themes\\Κύμα\\θέμα.css", "body { color: navy; }\r\n"},
             {u8"common\\Themes\\桜\\桜.inf", Utf16File(WideOf(u8"[info]\r\ntitle=桜の庭\r\n"), true)},
             {u8"common\\Pages\\Σελίδα\\Σελίδα.htm", "<html><body>Page</body></html>\r\n"},
             {u8"common\\Frames\\😀\\banner.htm", "<html><body>Frame</body></html>\r\n"},
         };
         bool written = true;
         for (const auto& file : files)
             written = WriteFileBytes(kitFolder + "\\" + file.path, file.bytes) && written;
         return written;
     }},
};

class PackedKit : public PackedSetup, public testing::WithParamInterface<KitCase> {};

// The setup installs what the kit's folder installs, byte for byte, and logs
// the same; it reads nothing of the folder it was packed from, and its
// unpacked kit is there while it runs and gone when it has ended.
TEST_P(PackedKit, InstallsAsItsFolderDoes)
{
    std::string kitFolder;
    ASSERT_TRUE(GetParam().make(world, kitFolder));
    app = std::make_unique<App>(ExeFolder() + "\\fernwick.exe", kitFolder, ShotFolder());
    ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
    const bool hasReadme = PathExists(kitFolder + "\\readme.txt");
    const std::string folderReadme = Install(hasReadme);
    const auto fromFolder = TakeInstalled();
    ASSERT_GT(fromFolder.first.size(), 5u);

    const std::string setup = world.Path("Downloads\\kit-setup.exe");
    ASSERT_TRUE(MakeFolders(world.Path("Downloads")));
    ASSERT_TRUE(PackSetup(kitFolder, setup)) << exitCode;
    if (kitFolder == world.KitFolder())
        RemoveTree(kitFolder);
    app = std::make_unique<App>(setup, world.Path("Downloads"), ShotFolder());
    ASSERT_TRUE(app->WaitForWizard()) << app->Describe();
    const std::vector<std::string> unpacked = UnpackFolders(app->Id());
    ASSERT_EQ(1u, unpacked.size());
    // In a folder named as the packed kit's, "kit" for both.
    EXPECT_TRUE(PathExists(unpacked[0] + "\\kit\\intro.txt"));
    const std::string packedReadme = Install(hasReadme);

    EXPECT_FALSE(PathExists(unpacked[0]));
    EXPECT_TRUE(hasReadme);
    EXPECT_NE("", packedReadme);
    EXPECT_EQ(folderReadme, packedReadme);
    const auto fromSetup = TakeInstalled();
    EXPECT_EQ(fromFolder.first, fromSetup.first);
    EXPECT_EQ(fromFolder.second, fromSetup.second);
}

INSTANTIATE_TEST_SUITE_P(Kits, PackedKit, testing::ValuesIn(kKits),
                         [](const testing::TestParamInfo<KitCase>& info) { return std::string(info.param.name); });

// A setup changed after packing: how, and how it is started.
struct DamageCase {
    const char* name;
    std::string (*damage)(const SetupFile& setup);
    const char* arguments;
    const char* reason;
    // Damaged once signed by its publisher.
    bool signedFirst = false;
};

void PrintTo(const DamageCase& damage, std::ostream* out)
{
    *out << damage.name;
}

std::string Flipped(const std::string& bytes, size_t at)
{
    std::string changed = bytes;
    changed[at] ^= 0x20;
    return changed;
}

const char kCertificatesDamaged[] =
    "The certificate table does not end the file in whole entries: it is changed, or something was added after it.";

const DamageCase kDamages[] = {
    {"CutShort", [](const SetupFile& setup) { return setup.bytes.substr(0, setup.bytes.size() - 1000); }, "",
     "The packed kit has no trailer where the file ends: it is cut short or changed."},
    {"DataByteFlipped", [](const SetupFile& setup) { return Flipped(setup.bytes, setup.data + 100); }, "/VERYSILENT",
     "The packed program's digest does not match: the file is changed."},
    {"TableByteFlipped", [](const SetupFile& setup) { return Flipped(setup.bytes, setup.table + 46); }, "/SILENT",
     "The packed program's digest does not match: the file is changed."},
    // The certificates are the system's to verify; how their table lies is the setup's.
    {"CertificateLengthChanged",
     [](const SetupFile& setup) {
         uint32_t offset = 0, size = 0;
         CertificateTable(setup.bytes, offset, size);
         return Flipped(setup.bytes, offset + 1);
     },
     "/VERYSILENT", kCertificatesDamaged, true},
    {"BytesAddedAfterTheCertificates", [](const SetupFile& setup) { return setup.bytes + std::string(800, 'x'); },
     "/VERYSILENT", kCertificatesDamaged, true},
    {"AnythingAddedAsCertificates",
     [](const SetupFile& setup) {
         return WithCertificateTable(setup.bytes + std::string(4096, 'x'), (uint32_t)setup.bytes.size(), 4096);
     },
     "/VERYSILENT", kCertificatesDamaged},
    // Tables no packer writes, sealed with a digest that matches.
    {"KitFolderNameWithASlash",
     [](const SetupFile& setup) { return Sealed(std::string(setup.bytes).replace(setup.payload + 34, 3, "k/t")); },
     "/VERYSILENT", "The packed kit's folder name is refused: k/t"},
    {"FileTimeTheSystemRefuses",
     [](const SetupFile& setup) {
         std::string bytes = setup.bytes;
         bytes[FirstFileEntry(setup) + 15] = (char)0x80;
         return Sealed(bytes);
     },
     "", "Entry 3 refused, a file time the system does not take: intro.txt"},
};

class DamagedSetup : public PackedSetup, public testing::WithParamInterface<DamageCase> {};

// Caught before anything is unpacked or installed: the box where the run has
// a window, the log with the reason, exit code 1.
TEST_P(DamagedSetup, SaysSoAndWritesNothing)
{
    const DamageCase& damage = GetParam();
    const std::string good = world.Path("good-setup.exe");
    ASSERT_TRUE(PackSetup(world.KitFolder(), good));
    if (damage.signedFirst) {
        ASSERT_TRUE(SignProgram(world.Path(""), "good-setup.exe", "signed-setup.exe"));
    }
    const SetupFile setup = ReadSetup(damage.signedFirst ? world.Path("signed-setup.exe") : good);
    ASSERT_LT(setup.data + 100, setup.bytes.size());
    const std::string damaged = world.Path("Downloads\\setup.exe");
    ASSERT_TRUE(WriteFileBytes(damaged, damage.damage(setup)));
    const std::vector<std::string> before = UnpackFolders();

    app = std::make_unique<App>(damaged, world.Path("Downloads"), ShotFolder(), damage.arguments);
    bool boxShown = false;
    ASSERT_TRUE(WaitUntil([&] {
        Window box = app->Dialog();
        if (box && DialogKind(box) == "message") {
            app->Shot("message");
            boxShown = true;
            EXPECT_EQ(MessageText(box), kDamaged);
            box.Item(IDOK).Click();
            WaitUntil([&] { return !box.Exists(); });
        }
        return app->HasExited();
    })) << app->Describe();

    EXPECT_EQ(app->ExitCode(), 1u);
    EXPECT_EQ(boxShown, std::string(damage.arguments) != "/VERYSILENT");
    std::vector<std::string> log = {damage.reason, kDamaged};
    EXPECT_TRUE(LogEndsWith(Log(), log));
    EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes")));
    EXPECT_EQ(before, UnpackFolders());
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedSetup, testing::ValuesIn(kDamages),
                         [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

using PackedSetupEnd = PackedSetup;

// Cancelled, failed or refused, the setup leaves no unpacked kit behind.
TEST_F(PackedSetupEnd, UnpackedKitGoesWhateverTheOutcome)
{
    const std::string setup = world.Path("Downloads\\setup.exe");
    ASSERT_TRUE(MakeFolders(world.Path("Downloads")));
    ASSERT_TRUE(PackSetup(world.KitFolder(), setup));

    // Cancelled on the first page.
    ASSERT_NO_FATAL_FAILURE(Start(setup));
    const std::vector<std::string> unpacked = UnpackFolders(app->Id());
    ASSERT_EQ(1u, unpacked.size());
    EXPECT_TRUE(PathExists(unpacked[0] + "\\kit\\common"));
    ASSERT_TRUE(app->Cancel(CancelBy::Button)) << app->Describe();
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 2u);
    EXPECT_FALSE(PathExists(unpacked[0]));

    // The copy failed: a file where the first theme's folder must go.
    ASSERT_TRUE(world.WriteFile("FrontPage\\themes", "a file where a folder must go\r\n"));
    app = std::make_unique<App>(setup, world.Path("Downloads"), ShotFolder(), "/VERYSILENT");
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 4u);
    EXPECT_TRUE(UnpackFolders(app->Id()).empty());
    EXPECT_TRUE(LogEndsWith(Log(), {"Installation failed. Please check the log file."}));

    // A kit folder named besides the kit the setup carries is refused.
    app = std::make_unique<App>(setup, world.Path("Downloads"), ShotFolder(),
                                "/VERYSILENT \"/KIT=" + world.KitFolder() + "\"");
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 1u);
    EXPECT_TRUE(UnpackFolders(app->Id()).empty());
    EXPECT_NE(std::string::npos, Log().find("The command line is not valid: /KIT=" + world.KitFolder() + "\r\n"))
        << Log();
}

// Signed afterwards with a certificate of its own, the setup still runs its
// kit. Packed from another folder, the setup goes where /OUT says, relative
// to the folder the packing started in.
TEST_F(PackedSetupEnd, SignedSetupRuns)
{
    const std::string downloads = world.Path("Downloads");
    ASSERT_TRUE(MakeFolders(downloads));
    ASSERT_TRUE(RunToEnd("/VERYSILENT /PACK \"/KIT=" + world.KitFolder() + "\" /OUT=setup.exe", downloads));
    ASSERT_EQ(exitCode, 0u);
    ASSERT_TRUE(SignProgram(downloads, "setup.exe", "signed.exe"));
    ASSERT_GT(ReadFileBytes(downloads + "\\signed.exe").size(), ReadFileBytes(downloads + "\\setup.exe").size());

    app = std::make_unique<App>(downloads + "\\signed.exe", downloads, ShotFolder(), "/VERYSILENT");
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();

    EXPECT_EQ(app->ExitCode(), 0u);
    EXPECT_EQ(ReadFileBytes(world.Path("FrontPage\\themes\\harbour\\theme.css")), "body { color: teal; }\r\n");
    EXPECT_TRUE(LogEndsWith(Log(), {kDoneText}));
    EXPECT_TRUE(UnpackFolders(app->Id()).empty());

    // Registered for removal: the program alone, neither kit nor signature,
    // as built but for the checksum the signer wrote into its header; it runs.
    const std::string registered = World::KitDataFolder() + "\\fernwick.exe";
    const std::string copy = ReadFileBytes(registered);
    std::string built = ReadFileBytes(ExeFolder() + "\\fernwick.exe");
    ASSERT_EQ(built.size(), copy.size());
    const size_t checksum = *(const uint32_t*)&built[0x3c] + 4 + sizeof(IMAGE_FILE_HEADER) + 64;
    built.replace(checksum, 4, copy.substr(checksum, 4));
    EXPECT_TRUE(built == copy);
    ASSERT_TRUE(RunToEnd("/UNINSTALL /VERYSILENT", downloads, registered));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(PathExists(World::KitDataFolder()));
}

// The disk of the temporary folder fills while the setup unpacks: the
// system's reason is told, not a success, and nothing is left on that disk.
TEST_F(PackedSetupEnd, FullDiskWhileUnpackingIsToldWithItsReason)
{
    // More than the disk holds, in bytes deflate cannot shrink.
    ASSERT_TRUE(world.WriteFile("kit\\common\\Themes\\harbour\\photo.jpg", SeededBytes(5, 3 * 1024 * 1024)));
    const std::string downloads = world.Path("Downloads");
    ASSERT_TRUE(MakeFolders(downloads));
    ASSERT_TRUE(PackSetup(world.KitFolder(), downloads + "\\setup.exe"));
    SmallDisk disk(world.Path("temp"), "1m");
    ASSERT_TRUE(disk.IsMounted());
    // The temporary folder the setup finds, as its environment names it.
    char temp[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", temp, MAX_PATH);
    SetEnvironmentVariableA("TMP", disk.Folder().c_str());
    const bool ended = RunToEnd("/VERYSILENT", downloads, downloads + "\\setup.exe");
    SetEnvironmentVariableA("TMP", temp);
    ASSERT_TRUE(ended) << app->Describe();

    EXPECT_EQ(exitCode, 1u);
    const std::string log = Log();
    const size_t reason = log.find("This setup could not unpack its kit.\r\n\r\nCannot write " + disk.Folder());
    ASSERT_NE(std::string::npos, reason) << log;
    EXPECT_NE(std::string::npos, log.find(": (112) " + SystemText(ERROR_DISK_FULL), reason)) << log;
    EXPECT_TRUE(FolderEntries(disk.Folder()).empty());
    EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes")));
}

// A setup ended from outside leaves its unpack folder behind; the next setup
// takes it away.
TEST_F(PackedSetupEnd, FolderOfASetupEndedFromOutsideGoesWithTheNext)
{
    const std::string downloads = world.Path("Downloads");
    ASSERT_TRUE(MakeFolders(downloads));
    ASSERT_TRUE(PackSetup(world.KitFolder(), downloads + "\\setup.exe"));
    Launch("", downloads, downloads + "\\setup.exe");
    std::vector<std::string> left;
    ASSERT_TRUE(WaitUntil([&] { return !(left = UnpackFolders(app->Id())).empty(); })) << app->Describe();
    ASSERT_TRUE(app->Kill());
    ASSERT_EQ(1u, left.size());
    ASSERT_TRUE(PathExists(left[0]));

    ASSERT_TRUE(RunToEnd("/VERYSILENT", downloads, downloads + "\\setup.exe")) << app->Describe();

    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(PathExists(left[0]));
    EXPECT_TRUE(UnpackFolders().empty());
}

// A setup cut exactly where its program ends is the plain wizard: run in the
// download folder, which holds no kit, it copies nothing and registers nothing.
TEST_F(PackedSetupEnd, CutAtTheProgramsEndRegistersNothing)
{
    const std::string downloads = world.Path("Downloads");
    ASSERT_TRUE(MakeFolders(downloads));
    ASSERT_TRUE(PackSetup(world.KitFolder(), downloads + "\\whole.exe"));
    const SetupFile whole = ReadSetup(downloads + "\\whole.exe");
    ASSERT_TRUE(WriteFileBytes(downloads + "\\setup.exe", whole.bytes.substr(0, whole.payload)));

    ASSERT_TRUE(RunToEnd("/VERYSILENT", downloads, downloads + "\\setup.exe")) << app->Describe();

    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(LogEndsWith(Log(), {"Copying common frame templates...", kDoneText}));
    EXPECT_FALSE(PathExists(world.Path("FrontPage\\themes")));
    EXPECT_TRUE(World::RemovalEntries().empty());
    EXPECT_TRUE(FolderEntries(World::DataFolders()).empty());
}

using Packing = WizardTest;

// An author packs the kit of the current folder: the wizard's window shows
// the bar, and ends with the setup's path and size, by default beside the
// kit folder and named after the kit.
TEST_F(Packing, InTheWizardsWindow)
{
    // Enough files for the packing to take a while.
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(world.WriteFile("kit\\common\\Themes\\harbour\\part" + std::to_string(i) + ".css", "p {}\r\n"));
    const std::string setup = world.Path("Harbour Lights theme pack-setup.exe");
    Launch("/PACK");
    bool packingShown = false;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (app->Wizard() && app->StatusText() == "Packing the kit into one setup program:\n" + setup)
                packingShown = app->Control(IDC_PROGRESS).IsVisible();
            return app->IsFinalPage() || app->HasExited();
        },
        kTimeoutMs, 1))
        << app->Describe();
    app->Shot("packed");
    EXPECT_TRUE(packingShown);

    const std::string size = std::to_string(ReadFileBytes(setup).size());
    EXPECT_EQ(app->StatusText(), "The kit is packed into one setup program:\n" + setup + "\n\nSize: " + size + " bytes");
    Window bar = app->Control(IDC_PROGRESS);
    EXPECT_TRUE(bar.IsVisible());
    // The kit's files: its introduction and those of its trees.
    EXPECT_EQ(bar.ProgressUpperBound(), 308);
    EXPECT_EQ(bar.ProgressPosition(), 308);
    ExpectFinalPageControls(*app);
    for (int hidden : {IDC_CREATE_LOG, IDC_VIEW_README, IDC_ABOUT})
        EXPECT_FALSE(app->Control(hidden).IsVisible()) << hidden;
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 0u);
    EXPECT_FALSE(PathExists(world.LogPath()));

    // The setup made is one that installs.
    app = std::make_unique<App>(setup, world.Path(""), ShotFolder(), "/VERYSILENT");
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 0u);
    EXPECT_TRUE(PathExists(world.Path("FrontPage\\themes\\harbour\\theme.css")));
}

// A kit file held by another program: the reason in a box and on the page,
// exit code 1, and the setup made before stays as it was, alone.
TEST_F(Packing, FailedLeavesNothingHalfWritten)
{
    const std::string out = world.Path("out");
    const std::string setup = out + "\\setup.exe";
    ASSERT_TRUE(WriteFileBytes(setup, "the setup made before"));
    FileLock lock(world.Path("kit\\common\\Webs\\club\\default.htm"));
    ASSERT_TRUE(lock.IsHeld());
    Launch("/PACK \"/OUT=" + setup + "\"");

    Window box;
    // The packing's own window may be taken for a dialog while it is being shown.
    ASSERT_TRUE(WaitUntil([&] { return ((box = app->Dialog()) && DialogKind(box) == "message") || app->HasExited(); }))
        << app->Describe();
    ASSERT_EQ(DialogKind(box), "message") << app->Describe();
    app->Shot("message");
    const std::string text = MessageText(box);
    const std::string start = "The kit could not be packed.\n\nCannot read file " +
                              world.Path("kit\\common\\Webs\\club\\default.htm") + ": (32) ";
    EXPECT_EQ(0u, text.find(start)) << text;
    box.Item(IDOK).Click();
    ASSERT_TRUE(WaitUntil([&] { return app->IsFinalPage(); })) << app->Describe();
    EXPECT_EQ(app->StatusText(), text);
    EXPECT_FALSE(app->Control(IDC_PROGRESS).IsVisible());
    app->Control(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();

    EXPECT_EQ(app->ExitCode(), 1u);
    EXPECT_EQ(FolderEntries(out), std::vector<std::string>{"setup.exe"});
    EXPECT_EQ(ReadFileBytes(setup), "the setup made before");
}

} // namespace
} // namespace e2e

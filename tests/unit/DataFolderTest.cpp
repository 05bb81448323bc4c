// A kit's id and data folder, and when its journal is trusted: only while no
// one but administrators can have put or changed anything there.
#include <gtest/gtest.h>

#include "Support.h"
#include "Text.h"
#include "install/FileInstaller.h"
#include "frontpage/Registry.h"
#include "journal/DataFolder.h"
#include "journal/Journal.h"
#include "journal/KitId.h"
#include "win/ProtectedFolder.h"
#include "win/SystemError.h"

namespace {

TEST(DataFolder, KitIdKeepsLettersDigitsBlanksDotsAndHyphensAndMakesAFolderName)
{
    struct Case {
        std::string name;
        std::string id;
    };
    const Case cases[] = {
        {"Harbour Lights", "Harbour Lights"},
        {" \tHarbour Lights \t", "Harbour Lights"},
        {"Theme-Pack v2.1", "Theme-Pack v2.1"},
        {"Kit: \"Best\" <of> 2001/2002?", "Kit_ _Best_ _of_ 2001_2002_"},
        {"a\\b|c*d\te", "a_b_c_d_e"},
        // Letters and digits of any script.
        {u8"Caf\u00e9 \u03a9mega \u0416\u0443\u043a \u65e5\u672c \u0661\u0662", u8"Caf\u00e9 \u03a9mega \u0416\u0443\u043a \u65e5\u672c \u0661\u0662"},
        // A combining accent is no letter; a character outside the BMP is one character.
        {u8"Cafe\u0301", "Cafe_"},
        {u8"Kit \U0001F600!", "Kit __"},
        {"Bad \xff\xfe", "Bad __"},
        // 64 characters, not bytes.
        {std::string(70, 'x'), std::string(64, 'x')},
        {std::string(63, 'x') + u8"\u00e9\u00e9", std::string(63, 'x') + u8"\u00e9"},
        // No trailing dot or blank, which Windows would drop from a folder name.
        {"Kit.", "Kit_"},
        {"Kit. .", "Kit. _"},
        {".", "_"},
        {"..", "._"},
        {std::string(63, 'x') + ".yz", std::string(63, 'x') + "_"},
        // No device name, whatever follows its first dot.
        {"CON", "_CON"},
        {"nul.theme", "_nul.theme"},
        {"Com1", "_Com1"},
        {"LPT9 .x", "_LPT9 .x"},
        {u8"COM\u00b9", u8"_COM\u00b9"},
        {"AUX.", "_AUX_"},
        {"CONSOLE", "CONSOLE"},
        {"COM10", "COM10"},
        // Never empty.
        {"", "_"},
        {" \t ", "_"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.id, KitId(c.name)) << c.name;
}

TEST(DataFolder, BelowCommonFilesElseBelowTheWindowsFolder)
{
    EXPECT_EQ("C:\\Program Files (x86)\\Common Files\\Fernwick\\Harbour Lights",
              DataFolderPath("C:\\Program Files (x86)\\Common Files", "C:\\windows", "Harbour Lights"));
    EXPECT_EQ("C:\\windows\\Fernwick\\Harbour Lights", DataFolderPath("", "C:\\windows", "Harbour Lights"));
}

// The wizard's data folder, from the kit in its current folder and the
// registry: the kit named by the first line of its introduction that holds
// more than blanks, decoded as the kit's texts are, else by its folder; below
// Common Files, else below the Windows folder, read without a word to the user.
TEST(DataFolder, OfTheKitInTheCurrentFolder)
{
    enum class CommonFiles { Set, Missing, Refused };
    struct Case {
        const char* what;
        bool hasIntro;
        std::string intro;
        CommonFiles commonFiles;
        std::string folder;
    };
    const std::string utf16 = Utf16File(WideOf(u8"\r\n  \t \r\n K\u00fcste: Lichter \r\nmore\r\n"));
    const Case cases[] = {
        {"the introduction's first line", true, "Harbour Lights\r\nTwo themes\r\n", CommonFiles::Set,
         "C:\\Shared\\Fernwick\\Harbour Lights"},
        {"blank lines passed over, UTF-16", true, utf16, CommonFiles::Set, u8"C:\\Shared\\Fernwick\\K\u00fcste_ Lichter"},
        {"no introduction", false, "", CommonFiles::Set, "C:\\Shared\\Fernwick\\Dock kit"},
        {"an introduction of blanks", true, " \r\n\t\r\n", CommonFiles::Set, "C:\\Shared\\Fernwick\\Dock kit"},
        {"no Common Files value", true, "Harbour Lights", CommonFiles::Missing, "C:\\Win\\Fernwick\\Harbour Lights"},
        {"its key refused", true, "Harbour Lights", CommonFiles::Refused, "C:\\Win\\Fernwick\\Harbour Lights"},
    };
    for (const Case& c : cases) {
        ScratchRegistry registry;
        TempFolder scratch;
        const std::string folder = scratch.MakeDir("Dock kit");
        if (c.hasIntro)
            scratch.Write("Dock kit\\intro.txt", c.intro);
        if (c.commonFiles == CommonFiles::Set)
            registry.SetString(g_regCurrentVersion, g_regCommonFilesDir, "C:\\Shared\\");
        if (c.commonFiles == CommonFiles::Refused)
            registry.DenyAccess(g_regCurrentVersion);
        CurrentFolder current(folder);
        ModalAnswerer answerer([](HWND box) { Click(box, IDOK); });
        EXPECT_EQ(c.folder, FindDataFolder("C:\\Win").dataFolder) << c.what;
        EXPECT_TRUE(answerer.Seen().empty()) << c.what << ": a box was shown";
    }
}

TEST(DataFolder, JournalTrustedOnlyWhileOnlyAdministratorsCanChangeIt)
{
    struct Case {
        const char* what;
        // Shell commands run on the Unix paths of the parent, the kit's folder and the journal.
        std::string (*damage)(const std::string& parent, const std::string& folder, const std::string& journal);
        bool trusted;
        // The folders alone are trusted (the damage is the journal's).
        bool foldersTrusted;
    };
    const Case cases[] = {
        {"as made", nullptr, true, true},
        {"parent writable by everyone", [](const std::string& p, const std::string&, const std::string&) { return "chmod 777 " + p; }, false, false},
        {"kit's folder owned by another user", [](const std::string&, const std::string& f, const std::string&) { return "chown 4321 " + f; }, false, false},
        {"journal writable by everyone", [](const std::string&, const std::string&, const std::string& j) { return "chmod 666 " + j; }, false, true},
        {"kit's folder a link", [](const std::string&, const std::string& f, const std::string&) { return "mv " + f + " " + f + "-real && ln -s " + f + "-real " + f; }, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string data = DataFolderPath(folder.Path(), "", "Kit");
        const std::string parent = folder / "Fernwick";
        ASSERT_TRUE(CreateDataFolder(data));
        EXPECT_TRUE(IsProtected(parent));
        EXPECT_TRUE(IsProtected(data));
        // An installation cut short, which created one file.
        const std::string created = folder / "created.css";
        {
            Journal journal;
            ASSERT_TRUE(journal.Begin(data, {folder.Path()}));
            journal.AddNewFile(created);
            ASSERT_TRUE(journal.Commit());
            folder.Write("created.css", "x");
        }
        if (c.damage) {
            ASSERT_TRUE(RunShell(c.damage(ShellQuote(UnixPath(parent)), ShellQuote(UnixPath(data)),
                                          ShellQuote(UnixPath(data + "\\journal.txt")))));
        }

        EXPECT_EQ(c.foldersTrusted, CreateDataFolder(data));
        EXPECT_EQ(c.trusted, UnfinishedInstallationIn(data));
        Journal another;
        EXPECT_FALSE(another.Begin(data, {folder.Path()}));
        EXPECT_EQ(c.trusted ? (DWORD)ERROR_BUSY : (DWORD)ERROR_INVALID_SECURITY_DESCR, GetLastError());
        std::vector<std::string> lines;
        KeptFiles kept;
        EXPECT_EQ(c.trusted,
                  UndoUnfinishedSession(data, [&](const std::string& line) { lines.push_back(line); }, kept));
        if (c.trusted) {
            EXPECT_EQ(std::vector<std::string>({"Undoing the installation...", "Removed file: " + created,
                                                "Installation undone"}),
                      lines);
        } else {
            EXPECT_EQ(std::vector<std::string>({"Failed to read journal: " + data + "\\journal.txt",
                                                "Reason: " + SystemErrorText(ERROR_INVALID_SECURITY_DESCR)}),
                      lines);
            EXPECT_EQ("x", ReadFileBytes(created));
        }
        // The scratch folder is removed through Windows, which sees no link.
        const std::string unixData = ShellQuote(UnixPath(data));
        RunShell("if [ -L " + unixData + " ]; then rm " + unixData + " && mv " + unixData + "-real " + unixData + "; fi");
    }
}

} // namespace

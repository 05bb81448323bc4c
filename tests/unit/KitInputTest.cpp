// The kit's text files as a careless or hostile kit brings them: empty,
// binary, with every kind of line end, with NUL and control bytes, with
// enormous lines, or held open by another program. Each reader gives a clear
// result and lets nothing unprintable through to the screen or the log.
#include <gtest/gtest.h>

#include <fstream>

#include "KitWizard.h"
#include "res/resource.h"
#include "win/Strings.h"

namespace {

// A file of one line of 100 megabytes, written once per run and linked into
// each kit that needs it.
const std::string& HugeLineFile()
{
    static TempFolder folder;
    static const std::string path = [] {
        std::string file = folder / "huge.txt";
        std::ofstream out(file, std::ios::binary);
        const std::string chunk(1 << 20, 'h');
        out << "title=";
        for (int i = 0; i < 100; ++i)
            out << chunk;
        out << "\r\nversion=1\r\n";
        return file;
    }();
    return path;
}

struct Input {
    const char* what;
    std::string bytes;      // the file, unless huge
    bool huge;              // the 100 MB line instead
    bool readable;
    std::vector<std::string> lines;  // what a reader sees when readable
    std::string title;      // the theme's title and version, as a descriptor
    double version;
};

std::vector<Input> Inputs()
{
    std::string binary;
    for (int i = 0; i < 1024; ++i)
        binary += (char)(i * 37 % 256);
    const std::string megabyte(1 << 20, 'm');
    return {
        {"empty", "", false, true, {}, "", 0},
        {"binary", binary, false, false, {}, "", 0},
        {"no final line end", "title=Sky\r\nversion=2.5", false, true, {"title=Sky", "version=2.5"}, "Sky", 2.5},
        {"CR only", "title=Sky\rversion=2.5\r", false, true, {"title=Sky", "version=2.5"}, "Sky", 2.5},
        {"mixed line ends", "[info]\r\ntitle=Sky\rversion=2.5\n", false, true,
         {"[info]", "title=Sky", "version=2.5"}, "Sky", 2.5},
        {"NUL bytes", std::string("title=Sky\r\nver\0sion=2.5\r\n", 24), false, false, {}, "", 0},
        {"control bytes", "title=Sky\x1b[0m\x07\r\nversion=2.5\x1a", false, true, {"title=Sky[0m", "version=2.5"},
         "Sky[0m", 2.5},
        {"a line of a megabyte", "title=" + megabyte + "\r\nversion=2.5\r\n", false, false, {}, "", 0},
        {"a line of 100 megabytes", "", true, false, {}, "", 0},
    };
}

// Puts `input` at `path` in the kit.
void Place(const TempFolder& kit, const std::string& relative, const Input& input)
{
    if (!input.huge) {
        kit.Write(relative, input.bytes);
        return;
    }
    size_t slash = relative.find_last_of('\\');
    if (slash != std::string::npos)
        kit.MakeDir(relative.substr(0, slash));
    ASSERT_TRUE(CreateHardLinkA((kit / relative).c_str(), HugeLineFile().c_str(), nullptr));
}

// True when `text` holds no control character but tabs and line ends.
bool Printable(const std::string& text)
{
    for (unsigned char c : text) {
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f)
            return false;
    }
    return true;
}

TEST(KitInput, Introduction)
{
    const std::string intro = LoadResString(IDS_INTRO);
    for (const Input& input : Inputs()) {
        TempFolder kit;
        ASSERT_NO_FATAL_FAILURE(Place(kit, "intro.txt", input));
        CurrentFolder current(kit.Path());
        CInstallDlg wizard;
        std::string expected = LoadResString(IDS_INTRO_READ_ERROR);
        if (input.readable) {
            expected.clear();
            for (const std::string& line : input.lines)
                expected += line + "\n";
        }
        EXPECT_TRUE(SameText(expected + "\n" + intro, wizard.ReadIntroduction())) << input.what;
    }
}

TEST(KitInput, Licence)
{
    for (const Input& input : Inputs()) {
        TempFolder kit;
        ASSERT_NO_FATAL_FAILURE(Place(kit, "license.txt", input));
        CurrentFolder current(kit.Path());
        KitWizard test;
        std::string shown = "(no dialog)";
        ModalAnswerer answerer([&](HWND dialog) {
            shown = WindowText(GetDlgItem(dialog, IDC_LICENCE_TEXT));
            Click(dialog, IDOK);
        });
        EXPECT_EQ(input.readable, test.wizard.ShowLicence()) << input.what;
        std::string expected = "(no dialog)";
        if (input.readable) {
            expected.clear();
            for (const std::string& line : input.lines)
                expected += line + "\r\n";
        }
        EXPECT_TRUE(SameText(expected, shown)) << input.what;
        // Half an agreement is never offered, and an unreadable one is no
        // reason to say the kit has none.
        EXPECT_TRUE(SameText(input.readable ? "User accepted licence\r\n" : "", test.Log())) << input.what;
    }
}

TEST(KitInput, ThemeDescriptor)
{
    for (const Input& input : Inputs()) {
        TempFolder kit;
        ASSERT_NO_FATAL_FAILURE(Place(kit, "fp98\\Themes\\sky\\sky.inf", input));
        kit.MakeDir("fp98\\Pages\\notice");
        CurrentFolder current(kit.Path());
        KitWizard test;
        test.wizard.m_versionFolder = "fp98";
        std::string box = "(none)";
        ModalAnswerer answerer([&](HWND dialog) {
            box = MessageBoxText(dialog);
            Click(dialog, IDOK);
        });
        EXPECT_EQ(input.readable, test.wizard.CheckKit()) << input.what;
        if (input.readable) {
            ASSERT_EQ(1u, test.wizard.m_themes.size()) << input.what;
            EXPECT_TRUE(SameText(input.title, test.wizard.m_themes[0]->GetTitle())) << input.what;
            EXPECT_EQ(input.version, test.wizard.m_themes[0]->GetVersion()) << input.what;
            std::string entry = Format("%s\tVersion %g", input.title.c_str(), input.version);
            EXPECT_NE(std::string::npos, test.Log().find("Will install theme " + entry + "\r\n")) << input.what;
            EXPECT_NE(std::string::npos, test.Status().find("Themes:\t" + entry + "\n")) << input.what;
        } else {
            EXPECT_EQ("There is an error in the installation kit.  The installation cannot continue.", box)
                << input.what;
            EXPECT_TRUE(SameText("Checking kit for items to install...\r\nError in kit\r\n", test.Log())) << input.what;
        }
        EXPECT_TRUE(Printable(test.Log())) << input.what;
        EXPECT_TRUE(Printable(test.Status())) << input.what;
    }
}

// Another program holds the file open with no sharing: for the reader it is
// as unreadable as one that fails a read, never as if it were missing.
TEST(KitInput, FilesHeldByAnotherProgram)
{
    TempFolder kit;
    kit.Write("intro.txt", "Welcome\r\n");
    kit.Write("license.txt", "Terms\r\n");
    kit.Write("fp98\\Themes\\sky\\sky.inf", "title=Sky\r\n");
    CurrentFolder current(kit.Path());
    KitWizard test;
    test.wizard.m_versionFolder = "fp98";
    int boxes = 0;
    ModalAnswerer answerer([&](HWND dialog) {
        ++boxes;
        Click(dialog, IDOK);
    });
    {
        FileLock lock(kit / "intro.txt");
        ASSERT_TRUE(lock.IsHeld());
        EXPECT_EQ("Error reading intro file\n" + LoadResString(IDS_INTRO), test.wizard.ReadIntroduction());
    }
    {
        FileLock lock(kit / "license.txt");
        ASSERT_TRUE(lock.IsHeld());
        EXPECT_FALSE(test.wizard.ShowLicence());
        EXPECT_EQ(0, boxes);
    }
    {
        FileLock lock(kit / "fp98\\Themes\\sky\\sky.inf");
        ASSERT_TRUE(lock.IsHeld());
        EXPECT_FALSE(test.wizard.CheckKit());
        EXPECT_EQ(1, boxes);
    }
    EXPECT_EQ("Checking kit for items to install...\r\nError in kit\r\n", test.Log());
}

} // namespace

// The kit's text files as a careless or hostile kit brings them: empty,
// binary, with every kind of line end, with NUL and control bytes, with
// enormous lines, in UTF-16, or held open by another program. Each reader
// gives a clear result and lets nothing unprintable through to the screen or
// the log; only a file that cannot be opened or read is an error.
#include <gtest/gtest.h>

#include <fstream>

#include "KitLog.h"
#include "Text.h"
#include "kit/Introduction.h"
#include "kit/Licence.h"
#include "res/resource.h"
#include "win/Strings.h"
#include "win/TextFile.h"

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
    std::vector<std::string> lines;  // what a reader sees, before any line is cut
    std::string title;      // the theme's title and version, as a descriptor
    double version;
};

std::vector<Input> Inputs()
{
    // Every ASCII byte, twice: NUL, line ends and controls among the text.
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += (char)(i & 0x7F);
    std::string printable;
    for (char c = ' '; c < 0x7F; ++c)
        printable += c;
    const std::string megabyte(1 << 20, 'm');
    // Past every limit a reader has, as the 100 MB line is.
    const std::string hundredMegabytes(TextFile::kMaxLine + 1, 'h');
    return {
        {"empty", "", false, {}, "", 0},
        {"binary", binary, false, {"", "", printable, "", printable}, "", 0},
        {"no final line end", "title=Sky\r\nversion=2.5", false, {"title=Sky", "version=2.5"}, "Sky", 2.5},
        {"CR only", "title=Sky\rversion=2.5\r", false, {"title=Sky", "version=2.5"}, "Sky", 2.5},
        {"mixed line ends", "[info]\r\ntitle=Sky\rversion=2.5\n", false, {"[info]", "title=Sky", "version=2.5"},
         "Sky", 2.5},
        {"NUL bytes", std::string("title=Sky\r\nver\0sion=2.5\r\n", 24), false, {"title=Sky", "ver"}, "Sky", 0},
        {"control bytes", "title=Sky\x1b[0m\x07\r\nversion=2.5\x1a", false, {"title=Sky[0m", "version=2.5"},
         "Sky[0m", 2.5},
        {"UTF-16", Utf16File(WideOf(u8"[info]\r\ntitle=Κύμα\r\nversion=2.5\r\n")), false,
         {"[info]", u8"title=Κύμα", "version=2.5"}, u8"Κύμα", 2.5},
        {"a line of a megabyte before the keys", megabyte + "\r\ntitle=Sky\r\nversion=2.5\r\n", false,
         {megabyte, "title=Sky", "version=2.5"}, "Sky", 2.5},
        {"a line of 100 megabytes", "", true, {"title=" + hundredMegabytes, "version=1"},
         std::string(TextFile::kMaxLine - 6, 'h'), 1},
    };
}

// The first `length` characters of UTF-8 `text`.
std::string Head(const std::string& text, size_t length)
{
    size_t at = 0;
    for (size_t count = 0; at < text.size(); ++at) {
        if (((unsigned char)text[at] & 0xC0) != 0x80 && count++ == length)
            break;
    }
    return text.substr(0, at);
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
    for (wchar_t c : WideOf(text)) {
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || (c >= 0x7f && c <= 0x9f))
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
        // The first five lines, each cut to the thousand characters shown.
        std::string expected;
        for (size_t i = 0; i < input.lines.size() && i < 5; ++i)
            expected += Head(input.lines[i], 1000) + "\n";
        EXPECT_TRUE(SameText(expected + "\n" + intro, ReadIntroduction())) << input.what;
    }
}

TEST(KitInput, Licence)
{
    for (const Input& input : Inputs()) {
        TempFolder kit;
        ASSERT_NO_FATAL_FAILURE(Place(kit, "license.txt", input));
        CurrentFolder current(kit.Path());
        KitLog test;
        std::string shown = "(no dialog)";
        ModalAnswerer answerer([&](HWND dialog) {
            shown = TextOf(GetDlgItem(dialog, IDC_LICENCE_TEXT));
            Click(dialog, IDOK);
        });
        // Every character is shown, a long line as lines of 2,000 characters;
        // a file of 100 MB is refused unread.
        EXPECT_EQ(!input.huge, ShowLicence(LicenceAnswer::User, test.Line(), nullptr)) << input.what;
        std::string expected = "(no dialog)";
        if (!input.huge) {
            expected.clear();
            for (std::string line : input.lines) {
                for (; Head(line, 2000).size() < line.size(); line = line.substr(Head(line, 2000).size()))
                    expected += Head(line, 2000) + "\r\n";
                expected += line + "\r\n";
            }
        }
        EXPECT_TRUE(SameText(expected, shown)) << input.what;
        EXPECT_TRUE(SameText(input.huge ? "Licence file too large\r\n" : "User accepted licence\r\n", test.Log()))
            << input.what;
    }
}

TEST(KitInput, ThemeDescriptor)
{
    for (const Input& input : Inputs()) {
        TempFolder kit;
        ASSERT_NO_FATAL_FAILURE(Place(kit, "fp98\\Themes\\sky\\sky.inf", input));
        kit.MakeDir("fp98\\Pages\\notice");
        CurrentFolder current(kit.Path());
        KitLog test;
        std::string box = "(none)";
        ModalAnswerer answerer([&](HWND dialog) {
            box = MessageBoxText(dialog);
            Click(dialog, IDOK);
        });
        // Only key lines matter: a line of any length before "title=" hides nothing.
        EXPECT_TRUE(test.Check("fp98")) << input.what;
        EXPECT_EQ("(none)", box) << input.what;
        ASSERT_EQ(1u, test.kit->themes.size()) << input.what;
        EXPECT_TRUE(SameText(input.title, test.kit->themes[0].GetTitle())) << input.what;
        EXPECT_EQ(input.version, test.kit->themes[0].GetVersion()) << input.what;
        std::string entry = Format("%s\tVersion %g", input.title.c_str(), input.version);
        EXPECT_NE(std::string::npos, test.status.find("Themes:\t" + entry + "\n")) << input.what;
        // The log is in the code page: the Greek title's letters are '?' there.
        std::string logged = input.title == u8"Κύμα" ? Format("????\tVersion %g", input.version) : entry;
        EXPECT_NE(std::string::npos, test.Log().find("Will install theme " + logged + "\r\n")) << input.what;
        EXPECT_TRUE(Printable(test.Log())) << input.what;
        EXPECT_TRUE(Printable(test.status)) << input.what;
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
    KitLog test;
    int boxes = 0;
    ModalAnswerer answerer([&](HWND dialog) {
        ++boxes;
        Click(dialog, IDOK);
    });
    {
        FileLock lock(kit / "intro.txt");
        ASSERT_TRUE(lock.IsHeld());
        EXPECT_EQ("Error reading intro file\n" + LoadResString(IDS_INTRO), ReadIntroduction());
    }
    {
        FileLock lock(kit / "license.txt");
        ASSERT_TRUE(lock.IsHeld());
        EXPECT_FALSE(ShowLicence(LicenceAnswer::User, test.Line(), nullptr));
        EXPECT_EQ(0, boxes);
    }
    {
        FileLock lock(kit / "fp98\\Themes\\sky\\sky.inf");
        ASSERT_TRUE(lock.IsHeld());
        EXPECT_FALSE(test.Check("fp98"));
        EXPECT_EQ(1, boxes);
    }
    EXPECT_EQ("Checking kit for items to install...\r\nError in kit\r\n", test.Log());
}

} // namespace

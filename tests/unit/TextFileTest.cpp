#include <gtest/gtest.h>

#include <vector>

#include "Support.h"
#include "Text.h"
#include "win/TextFile.h"

namespace {

std::vector<std::string> ReadAll(const std::string& path, size_t limit, TextFile::Result& last)
{
    std::vector<std::string> lines;
    TextFile file;
    EXPECT_TRUE(file.Open(path));
    file.SetLineLimit(limit);
    std::string line;
    while ((last = file.ReadLine(line)) == TextFile::Line)
        lines.push_back(line);
    return lines;
}

// A file of `text` in UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian = false)
{
    return Utf16File(WideOf(text), bigEndian);
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::string kInvalid = u8"\uFFFD";

// The decoder and the line rules as a kit's text files meet them: every
// encoding with and without its byte-order mark, invalid sequences, NUL,
// controls, line ends of every kind, lines over the limit, and characters
// and line ends cut by the reader's 64 KB blocks.
TEST(TextFile, LinesOfEveryEncodingAndShape)
{
    const size_t block = 64 * 1024;
    const std::string chunk(block - 1, 'x');
    const std::string longest(TextFile::kMaxLine, 'w');
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::string> lines;
        size_t limit = TextFile::kMaxLine;
    };
    const Case cases[] = {
        // Bytes without a mark, ASCII or the ANSI code page (1252 here).
        {"empty", "", {}},
        {"one byte", "a", {"a"}},
        {"one line feed", "\n", {""}},
        {"one NUL", std::string(1, '\0'), {""}},
        {"one byte of the code page", "\xE9", {u8"é"}},
        {"no final line end", "a\nb", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"blanks kept", "a\r\n b \r\n", {"a", " b "}},
        {"empty lines", "\n\r\n\r", {"", "", ""}},
        {"CR only", "a\rb\r", {"a", "b"}},
        {"mixed line ends", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"CR LF across blocks", chunk + "\r\nz", {chunk, "z"}},
        {"CR alone at a block's end", chunk + "\rz", {chunk, "z"}},
        {"controls left out, tab kept", "a\x01\x07\tb\x1b[1m\x7f\x0c", {"a\tb[1m"}},
        {"a line of controls only", "a\n\x1a", {"a", ""}},
        {"code page characters", "caf\xE9 \xA9 \x80", {u8"café © €"}},
        {"code page controls left out", "a\x81" "b", {"ab"}},
        {"NUL ends the line's text", std::string("a\nb\0c\nd", 7), {"a", "b", "d"}},
        {"NUL first", std::string("\0abc\r\nz", 7), {"", "z"}},
        {"longest line", longest + "\nz", {longest, "z"}},
        {"longer line cut", longest + "ww\x01\nz", {longest, "z"}},
        {"UTF-8 is not whole: code page", "Caf\xC3\xA9 \xE9", {u8"CafÃ© é"}},
        {"UTF-16 without its mark is bytes", std::string("a\0b\0", 4), {"a"}},
        // UTF-8 without a mark: valid throughout, with a byte of 0x80 or above.
        {"UTF-8", "Caf\xC3\xA9\r\n\xCE\xBA\xCF\x8D\xCE\xBC\xCE\xB1", {u8"Café", u8"κύμα"}},
        {"UTF-8 U+FFFD itself", "\xEF\xBF\xBD", {kInvalid}},
        {"UTF-8 character across blocks", chunk + "\xC3\xA9\n", {chunk + u8"é"}},
        {"UTF-8 NUL", std::string("\xC3\xA9\0x\n\xC3\xA9", 7), {u8"é", u8"é"}},
        // UTF-8 with its mark, which is never shown.
        {"UTF-8 mark alone", kUtf8Mark, {}},
        {"UTF-8 with mark", kUtf8Mark + "title=\xE6\xA1\x9C\r\n", {u8"title=桜"}},
        {"UTF-8 with mark, ASCII", kUtf8Mark + "a\rb", {"a", "b"}},
        {"UTF-8 broken sequences", kUtf8Mark + "a\xC3(b\xE2\x82\n\xC0\xAF", {"a" + kInvalid + "(b" + kInvalid,
                                                                              kInvalid + kInvalid}},
        {"UTF-8 surrogate", kUtf8Mark + "\xED\xA0\x80", {kInvalid + kInvalid + kInvalid}},
        {"UTF-8 cut at the end", kUtf8Mark + "a\xF0\x9F\x98", {"a" + kInvalid}},
        {"UTF-8 beyond 16 bits", kUtf8Mark + "\xF0\x9F\x98\x80", {u8"😀"}},
        // UTF-16 little-endian.
        {"UTF-16 LE mark alone", "\xFF\xFE", {}},
        {"UTF-16 LE", Utf16(u8"title=Κύμα\r\nversion=2\r\n"), {u8"title=Κύμα", "version=2"}},
        {"UTF-16 LE CR only", Utf16("a\rb\r"), {"a", "b"}},
        {"UTF-16 LE NUL", Utf16(std::string("a\0b\nc", 5)), {"a", "c"}},
        {"UTF-16 LE controls", Utf16("a\x01\tb\x7f"), {"a\tb"}},
        {"UTF-16 LE lone surrogates", Utf16File(L"a\xD800" L"b\xDC00"), {"a" + kInvalid + "b" + kInvalid}},
        {"UTF-16 LE odd last byte", Utf16("ab") + "c", {"ab" + kInvalid}},
        {"UTF-16 LE surrogate pair across blocks",
         Utf16(std::string(block / 2 - 1, 'x') + u8"😀"), {std::string(block / 2 - 1, 'x') + u8"😀"}},
        // UTF-16 big-endian.
        {"UTF-16 BE mark alone", "\xFE\xFF", {}},
        {"UTF-16 BE", Utf16(u8"桜\r\nb", true), {u8"桜", "b"}},
        {"UTF-16 BE lone surrogate at the end", Utf16File(L"a\xD83D", true), {"a" + kInvalid}},
        // Lines cut at a limit count characters, not bytes.
        {"limit in characters", kUtf8Mark + u8"αβγδ\n😀😀😀😀\nab", {u8"αβγ", u8"😀😀😀", "ab"}, 3},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        TextFile::Result last;
        EXPECT_EQ(c.lines, ReadAll(folder.Write("file.txt", c.content), c.limit, last)) << c.what;
        EXPECT_EQ(TextFile::End, last) << c.what;
    }
}

TEST(TextFile, MissingTellsNoFileFromARefusedOne)
{
    TempFolder folder;
    const std::string locked = folder.Write("locked.txt", "text");
    FileLock lock(locked);
    ASSERT_TRUE(lock.IsHeld());
    struct Case {
        const char* what;
        std::string path;
        bool missing;
    };
    const Case cases[] = {
        {"no such file", folder / "missing.txt", true},
        {"no such folder", folder / "missing\\file.txt", true},
        {"a folder", folder.MakeDir("folder.txt"), true},
        {"held by another program", locked, false},
    };
    for (const Case& c : cases) {
        TextFile file;
        EXPECT_FALSE(file.Open(c.path)) << c.what;
        EXPECT_EQ(c.missing, file.IsMissing()) << c.what;
    }
}

TEST(TextFile, ForEachLineStopsWhenTold)
{
    const std::string content("one\ntwo\nthree\n");
    struct Case {
        size_t wanted;
        std::vector<std::string> taken;
    };
    const Case cases[] = {
        {1, {"one"}},
        {2, {"one", "two"}},
        {5, {"one", "two", "three"}},
    };
    TempFolder folder;
    const std::string path = folder.Write("file.txt", content);
    for (const Case& c : cases) {
        TextFile file;
        ASSERT_TRUE(file.Open(path));
        std::vector<std::string> taken;
        bool ok = file.ForEachLine([&](const std::string& line) {
            taken.push_back(line);
            return taken.size() < c.wanted;
        });
        EXPECT_TRUE(ok) << c.wanted;
        EXPECT_EQ(c.taken, taken) << c.wanted;
    }
}

TEST(TextFile, ReadFailureIsAnError)
{
    // The process's own memory file opens, and its first read (at address 0) fails.
    TextFile file;
    ASSERT_TRUE(file.Open("Z:\\proc\\self\\mem"));
    std::string line = "stale";
    EXPECT_EQ(TextFile::Error, file.ReadLine(line));
    EXPECT_EQ("", line);
    EXPECT_EQ(TextFile::Error, file.ReadLine(line));
    EXPECT_FALSE(file.ForEachLine([](const std::string&) { return true; }));
}

} // namespace

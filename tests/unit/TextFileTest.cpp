#include <gtest/gtest.h>

#include <vector>

#include "Support.h"
#include "win/TextFile.h"

namespace {

std::vector<std::string> ReadAll(const std::string& path, TextFile::Result& last)
{
    std::vector<std::string> lines;
    TextFile file;
    EXPECT_TRUE(file.Open(path));
    std::string line;
    while ((last = file.ReadLine(line)) == TextFile::Line)
        lines.push_back(line);
    return lines;
}

TEST(TextFile, LinesOfEveryShape)
{
    const std::string chunk(64 * 1024 - 1, 'x');
    const std::string longest(TextFile::kMaxLine, 'w');
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::string> lines;
        TextFile::Result last;
    };
    const Case cases[] = {
        {"empty", "", {}, TextFile::End},
        {"no final line end", "a", {"a"}, TextFile::End},
        {"final line feed", "a\n", {"a"}, TextFile::End},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}, TextFile::End},
        {"blanks kept", "a\r\n b \r\n", {"a", " b "}, TextFile::End},
        {"empty lines", "\n\r\n\r", {"", "", ""}, TextFile::End},
        {"CR alone ends a line", "a\rb\r", {"a", "b"}, TextFile::End},
        {"mixed line ends", "a\r\nb\rc\nd", {"a", "b", "c", "d"}, TextFile::End},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}, TextFile::End},
        {"CR LF across the read buffer", chunk + "\r\nz", {chunk, "z"}, TextFile::End},
        {"CR alone at the buffer's end", chunk + "\rz", {chunk, "z"}, TextFile::End},
        {"controls left out, tab kept", "a\x01\x07\tb\x1b[1m\x7f\x0c", {"a\tb[1m"}, TextFile::End},
        {"a line of controls only", "a\n\x1a", {"a", ""}, TextFile::End},
        {"code page characters kept", "caf\xe9 \xa9 \x80", {"caf\xe9 \xa9 \x80"}, TextFile::End},
        {"longest line", longest + "\nz", {longest, "z"}, TextFile::End},
        {"controls do not count", longest + "\x01\x02\nz", {longest, "z"}, TextFile::End},
        {"NUL byte: no text", std::string("a\nb\0c\nd", 7), {"a"}, TextFile::Error},
        {"line too long", "a\n" + longest + "w\nz", {"a"}, TextFile::Error},
        {"UTF-16 is no text", std::string("\xff\xfe" "a\0\r\0\n\0", 8), {}, TextFile::Error},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        TextFile::Result last;
        EXPECT_EQ(c.lines, ReadAll(folder.Write("file.txt", c.content), last)) << c.what;
        EXPECT_EQ(c.last, last) << c.what;
    }
}

TEST(TextFile, NothingMoreAfterAnError)
{
    TempFolder folder;
    TextFile file;
    ASSERT_TRUE(file.Open(folder.Write("file.txt", std::string("\0\nfine\n", 7))));
    std::string line = "stale";
    EXPECT_EQ(TextFile::Error, file.ReadLine(line));
    EXPECT_EQ("", line);
    EXPECT_EQ(TextFile::Error, file.ReadLine(line));
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
    // A NUL byte on the third line is an error only when the walk gets there.
    const std::string content("one\ntwo\n\0\n", 10);
    struct Case {
        size_t wanted;
        std::vector<std::string> taken;
        bool ok;
    };
    const Case cases[] = {
        {1, {"one"}, true},
        {2, {"one", "two"}, true},
        {3, {"one", "two"}, false},
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
        EXPECT_EQ(c.ok, ok) << c.wanted;
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
}

} // namespace

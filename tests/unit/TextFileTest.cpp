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

TEST(TextFile, SplitsLinesAsTextModeDoes)
{
    const std::string chunk(64 * 1024 - 1, 'x');
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"no final line feed", "a", {"a"}},
        {"final line feed", "a\n", {"a"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"blank kept", "a\r\n b \r\n", {"a", " b "}},
        {"empty lines", "\n\r\n", {"", ""}},
        {"lone CR stays", "a\rb\r", {"a\rb\r"}},
        {"CR LF across the read buffer", chunk + "\r\nz", {chunk, "z"}},
        {"NUL bytes kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        TextFile::Result last;
        EXPECT_EQ(c.lines, ReadAll(folder.Write("file.txt", c.content), last)) << c.what;
        EXPECT_EQ(TextFile::End, last) << c.what;
    }
}

TEST(TextFile, OpenFailsForMissingFilesAndFolders)
{
    TempFolder folder;
    TextFile file;
    EXPECT_FALSE(file.Open(folder / "missing.txt"));
    EXPECT_FALSE(file.Open(folder.Path()));
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

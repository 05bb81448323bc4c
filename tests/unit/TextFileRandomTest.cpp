// Thousands of generated text files and theme descriptors, read by the kit's
// readers and by a plain reference reading written here: both must always
// agree, and reading fails only as the rules say (a NUL byte, an overlong line).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "KitWizard.h"
#include "win/TextFile.h"

namespace {

const unsigned kSeed = 20261207;

struct Reading {
    bool ok = true;
    std::vector<std::string> lines;
    bool operator==(const Reading& other) const { return ok == other.ok && lines == other.lines; }
};

std::ostream& operator<<(std::ostream& out, const Reading& reading)
{
    out << (reading.ok ? "ok" : "failed") << ", " << reading.lines.size() << " lines";
    if (!reading.lines.empty())
        out << ", the last of " << reading.lines.back().size() << " bytes";
    return out;
}

// The rules, plainly: a line ends at a line feed, a carriage return and line
// feed, or a carriage return; control characters but the tab are left out;
// a line with a NUL, or longer than the limit, ends the reading as failed.
Reading ReferenceRead(const std::string& bytes)
{
    Reading reading;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        std::string raw = bytes.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (end == std::string::npos)
            pos = bytes.size();
        else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
        std::string line;
        for (char c : raw) {
            unsigned char u = (unsigned char)c;
            if (u == 0) {
                reading.ok = false;
                return reading;
            }
            if ((u >= 0x20 && u != 0x7f) || u == '\t')
                line += c;
        }
        if (line.size() > TextFile::kMaxLine) {
            reading.ok = false;
            return reading;
        }
        reading.lines.push_back(line);
    }
    return reading;
}

Reading FileRead(const std::string& path)
{
    Reading reading;
    TextFile file;
    if (!file.Open(path)) {
        reading.ok = false;
        return reading;
    }
    std::string line;
    TextFile::Result result;
    while ((result = file.ReadLine(line)) == TextFile::Line)
        reading.lines.push_back(line);
    reading.ok = result == TextFile::End;
    return reading;
}

// Text made to meet every rule: line ends of every kind, controls, NULs,
// code-page characters, descriptor keys, numbers, and now and then a line
// near the length limit or a line end across the reader's 64 KB buffer.
class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    std::string Text()
    {
        // Long: just under, at or over the longest line, or a line end at the buffer's edge.
        static const size_t edges[] = {TextFile::kMaxLine - 1, TextFile::kMaxLine, TextFile::kMaxLine + 1,
                                       64 * 1024 - 1, 64 * 1024};
        std::string text;
        size_t length;
        int shape = Pick(100);
        if (shape < 70) {
            length = Pick(200);
        } else if (shape < 95) {
            length = Pick(5000);
        } else {
            text.assign(edges[Pick(5)], 'x');
            length = text.size() + Pick(20);
        }
        while (text.size() < length)
            text += Piece();
        return text;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    std::string Piece()
    {
        static const char* const pieces[] = {"title=", "TITLE=", "version=", "Version=", " ", "\t", "  title=",
                                             "1.5",    "2",      "-3e2",     ".",        "abc", "Blue Sky", "[info]",
                                             "\r",     "\n",     "\r\n",     "\n\r",     "\r\r\n"};
        int kind = Pick(40);
        if (kind < 19)
            return pieces[kind];
        if (kind < 22)
            return std::string(1, (char)Pick(32));  // controls, the NUL among them
        if (kind < 25)
            return std::string(1, (char)(0x80 + Pick(128)));
        if (kind == 25)
            return "\x7f";
        return std::string(1, (char)('a' + Pick(26)));
    }

    std::mt19937 m_random;
};

TEST(TextFileRandom, ReaderAgreesWithTheRules)
{
    Generator generator(kSeed);
    TempFolder folder;
    int failed = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string text = generator.Text();
        std::string path = folder.Write("file.txt", text);
        Reading expected = ReferenceRead(text);
        failed += !expected.ok;
        ASSERT_EQ(expected, FileRead(path)) << "file " << i << " of seed " << kSeed;
    }
    // The generator meets both outcomes often.
    EXPECT_GT(failed, 100);
    EXPECT_LT(failed, 2900);
}

// The reference's reading of a descriptor: the last "title=" and "version="
// lines, after blanks and tabs, in any case.
void ReferenceDescriptor(const Reading& reading, std::string& title, double& version)
{
    for (const std::string& line : reading.lines) {
        size_t start = 0;
        while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
            ++start;
        std::string head = line.substr(start, 8);
        for (char& c : head)
            c = (char)tolower((unsigned char)c);
        if (head.compare(0, 6, "title=") == 0)
            title = line.substr(start + 6);
        else if (head == "version=")
            version = atof(line.substr(start + 8).c_str());
    }
}

TEST(TextFileRandom, DescriptorsAgreeWithTheRules)
{
    Generator generator(kSeed + 1);
    TempFolder kit;
    CurrentFolder current(kit.Path());
    for (int i = 0; i < 1500; ++i) {
        std::string text = generator.Text();
        kit.Write("fp98\\Themes\\sky\\sky.inf", text);
        CInstallDlg wizard;
        bool scanned = wizard.ScanKit("fp98");

        Reading reading = ReferenceRead(text);
        ASSERT_EQ(reading.ok, scanned) << "descriptor " << i << " of seed " << kSeed + 1;
        if (!reading.ok) {
            EXPECT_TRUE(wizard.m_themes.empty());
            continue;
        }
        std::string title;
        double version = 0;
        ReferenceDescriptor(reading, title, version);
        ASSERT_EQ(1u, wizard.m_themes.size());
        ASSERT_TRUE(SameText(title, wizard.m_themes[0]->GetTitle())) << "descriptor " << i;
        ASSERT_EQ(version, wizard.m_themes[0]->GetVersion()) << "descriptor " << i;
    }
}

} // namespace

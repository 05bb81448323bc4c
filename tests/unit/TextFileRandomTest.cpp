// Thousands of generated text files and theme descriptors, in every encoding,
// read by the kit's readers and by a plain reference reading written here:
// both must always agree, and reading never fails on what a file holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "Support.h"
#include "Text.h"
#include "kit/KitContents.h"
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

enum Encoding { Bytes, Utf8, Utf8WithMark, Utf16LittleEndian, Utf16BigEndian, kEncodings };

// UTF-8 that is valid as a whole, as the system's converter judges it.
bool IsWholeUtf8(const std::string& text)
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), (int)text.size(), nullptr, 0) > 0;
}

// The file's text by the encoding rules, decoded by the system's own
// converters: the generator writes valid text in every encoding but raw bytes.
std::wstring Decode(const std::string& bytes, Encoding& encoding)
{
    auto units = [&](size_t from, bool big) {
        std::wstring text;
        for (size_t at = from; at + 1 < bytes.size(); at += 2) {
            unsigned char a = bytes[at], b = bytes[at + 1];
            text += (wchar_t)(big ? (a << 8 | b) : (b << 8 | a));
        }
        return text;
    };
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = Utf8WithMark;
        return WideOf(bytes.substr(3));
    }
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        encoding = Utf16LittleEndian;
        return units(2, false);
    }
    if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        encoding = Utf16BigEndian;
        return units(2, true);
    }
    bool high = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (unsigned char)c >= 0x80; });
    if (high && IsWholeUtf8(bytes)) {
        encoding = Utf8;
        return WideOf(bytes);
    }
    encoding = Bytes;
    int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring text(length, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), &text[0], length);
    return text;
}

// The line rules, plainly: a line ends at a line feed, a carriage return and
// line feed, or a carriage return; a NUL ends the line's text; control
// characters but the tab are left out; a line keeps its first kMaxLine characters.
std::string Shown(const std::wstring& raw)
{
    std::wstring line;
    size_t characters = 0;
    for (size_t i = 0; i < raw.size() && raw[i] != 0 && characters < TextFile::kMaxLine; ++i) {
        wchar_t c = raw[i];
        if ((c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F))
            continue;
        line += c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < raw.size())
            line += raw[++i];
        ++characters;
    }
    return Utf8Of(line);
}

Reading ReferenceRead(const std::string& bytes, Encoding& encoding)
{
    const std::wstring text = Decode(bytes, encoding);
    Reading reading;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        std::wstring raw = text.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
        if (end == std::wstring::npos)
            pos = text.size();
        else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
        reading.lines.push_back(Shown(raw));
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
// descriptor keys, numbers, and now and then a line near the length limit or
// a line end across the reader's 64 KB blocks; either raw bytes of the code
// page, or characters of several scripts written in one of the Unicode encodings.
class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    std::string File()
    {
        Encoding encoding = (Encoding)Pick(kEncodings);
        std::string text = Text(encoding != Bytes);
        switch (encoding) {
        case Utf8WithMark:
            return "\xEF\xBB\xBF" + text;
        case Utf16LittleEndian:
        case Utf16BigEndian:
            return Utf16File(WideOf(text), encoding == Utf16BigEndian);
        default:
            return text;
        }
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    std::string Text(bool unicode)
    {
        // Long: just under, at or over the longest line, or a line end at the block's edge.
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
            text += Piece(unicode);
        return text;
    }

    std::string Piece(bool unicode)
    {
        static const char* const pieces[] = {"title=", "TITLE=", "version=", "Version=", " ", "\t", "  title=",
                                             "1.5",    "2",      "-3e2",     ".",        "abc", "Blue Sky", "[info]",
                                             "\r",     "\n",     "\r\n",     "\n\r",     "\r\r\n"};
        static const char* const characters[] = {u8"é", u8"κύμα", u8"桜", u8"😀", u8"\u0085", u8"\uFEFF", u8"\uFFFD"};
        int kind = Pick(40);
        if (kind < 19)
            return pieces[kind];
        if (kind < 22)
            return std::string(1, (char)Pick(32));  // controls, the NUL among them
        if (kind < 25)
            return unicode ? characters[Pick(7)] : std::string(1, (char)(0x80 + Pick(128)));
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
    int seen[kEncodings] = {};
    for (int i = 0; i < 3000; ++i) {
        std::string bytes = generator.File();
        std::string path = folder.Write("file.txt", bytes);
        Encoding encoding;
        Reading expected = ReferenceRead(bytes, encoding);
        ++seen[encoding];
        ASSERT_EQ(expected, FileRead(path)) << "file " << i << " of seed " << kSeed;
    }
    // The generator meets every encoding often.
    for (int count : seen)
        EXPECT_GT(count, 300);
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
        std::string bytes = generator.File();
        kit.Write("fp98\\Themes\\sky\\sky.inf", bytes);
        const KitContents scanned = ScanKit({"fp98"});
        ASSERT_TRUE(scanned.readable) << "descriptor " << i << " of seed " << kSeed + 1;
        Encoding encoding;
        Reading reading = ReferenceRead(bytes, encoding);
        std::string title;
        double version = 0;
        ReferenceDescriptor(reading, title, version);
        ASSERT_EQ(1u, scanned.themes.size());
        ASSERT_TRUE(SameText(title, scanned.themes[0].GetTitle())) << "descriptor " << i;
        ASSERT_EQ(version, scanned.themes[0].GetVersion()) << "descriptor " << i;
    }
}

} // namespace

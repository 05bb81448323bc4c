// A text file read line by line, as the kit's text files are read.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/Handle.h"
#include "win/TextDecoder.h"

class TextFile {
public:
    enum Result { Line, End, Error };

    // The longest line kept unless SetLineLimit says otherwise, in characters:
    // more than any line a person writes for a wizard, and little enough that
    // memory stays bounded whatever a file holds.
    static const size_t kMaxLine = 64 * 1024;

    // False when the file cannot be opened; IsMissing() then tells whether
    // there is no such file at all (or a folder of that name) rather than a
    // file that exists but is refused or held by another program.
    bool Open(const std::string& path);
    bool IsMissing() const { return m_missing; }
    // The size of the open file in bytes; false when the system cannot tell.
    bool GetSize(ULONGLONG& size) const;

    // The characters of a line past the first `limit` are read and dropped.
    void SetLineLimit(size_t limit) { m_lineLimit = limit; }
    // `blockRead` runs after each block of the file is read, so that a window
    // can be kept drawn while a large file is read.
    void SetBlockRead(std::function<void()> blockRead) { m_blockRead = std::move(blockRead); }

    // The next line, in UTF-8, without its line end: a line feed, a carriage
    // return and line feed, or a carriage return alone. The last line needs no
    // line end. The encoding is decided at the first read, from the whole
    // file: a byte-order mark names UTF-8, UTF-16 little- or big-endian;
    // without one, a file that is valid UTF-8 and holds a byte of 0x80 or
    // above is UTF-8, any other the ANSI code page. An invalid sequence is
    // U+FFFD. A NUL ends the line's text: the rest of that line is dropped.
    // Other control characters but the tab are left out, so that nothing
    // unprintable reaches the screen or the log. Error only when the system
    // fails a read or memory runs out; nothing more is read after that.
    Result ReadLine(std::string& line);

    // Gives each line, as ReadLine reads it, to `take` until the file ends or
    // `take` returns false. False on an Error of ReadLine and when memory runs
    // out, in `take` too.
    bool ForEachLine(const std::function<bool(const std::string&)>& take);

private:
    bool ReadBlock(DWORD& read);
    bool ChooseEncoding();
    bool Fill();
    Result Fail(std::string& line);

    ScopedFile m_file;
    size_t m_lineLimit = kMaxLine;
    std::function<void()> m_blockRead;
    std::vector<char> m_bytes;
    TextDecoder m_decoder;
    // The characters of the last block read, and the next one to take.
    std::u32string m_chars;
    size_t m_pos = 0;
    bool m_encodingChosen = false;
    bool m_eof = false;
    bool m_failed = false;
    bool m_missing = false;
    // The last line ended in a carriage return: a line feed right after it
    // belongs to that line end, even across blocks.
    bool m_afterCr = false;
};

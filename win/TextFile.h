// A text file read line by line, as the kit's text files are read.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/Handle.h"

class TextFile {
public:
    enum Result { Line, End, Error };

    // The longest line taken, in characters: longer ones are no text a person
    // reads in a wizard, and would only cost memory and time to show.
    static const size_t kMaxLine = 64 * 1024;

    // False when the file cannot be opened; IsMissing() then tells whether
    // there is no such file at all (or a folder of that name) rather than a
    // file that exists but is refused or held by another program.
    bool Open(const std::string& path);
    bool IsMissing() const { return m_missing; }

    // The next line, without its line end: a line feed, a carriage return and
    // line feed, or a carriage return alone. The last line needs no line end.
    // Control characters other than the tab are left out, so that nothing
    // unprintable reaches the screen or the log. Error when the system fails
    // a read, memory runs out, the file holds a NUL byte (it is no text) or a
    // line is longer than kMaxLine; nothing more is read after that.
    Result ReadLine(std::string& line);

    // Gives each line, as ReadLine reads it, to `take` until the file ends or
    // `take` returns false. False on an Error of ReadLine and when memory runs
    // out, in `take` too.
    bool ForEachLine(const std::function<bool(const std::string&)>& take);

private:
    bool Fill();
    Result Fail(std::string& line);

    ScopedFile m_file;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_size = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_missing = false;
    // The last line ended in a carriage return: a line feed right after it
    // belongs to that line end, even across a refill of the buffer.
    bool m_afterCr = false;
};

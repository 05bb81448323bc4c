// A text file read line by line, as the kit's text files are read.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "win/Handle.h"

class TextFile {
public:
    enum Result { Line, End, Error };

    // False when the file cannot be opened (missing, a folder, refused).
    bool Open(const std::string& path);

    // The next line, without its line feed and without a carriage return
    // right before that (as text mode reads it). The last line needs no line feed. Error when the system
    // fails a read or memory runs out; nothing more is read after that.
    Result ReadLine(std::string& line);

private:
    bool Fill();

    ScopedFile m_file;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_size = 0;
    bool m_eof = false;
    bool m_failed = false;
};

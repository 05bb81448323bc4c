// One of the program's logs, the installation's or the removal's: a
// plain-text file in the system's ANSI code page, its header first and its
// closing line last (log/LogText.h).
#pragma once
#include <string>

#include "log/LogText.h"
#include "win/Handle.h"

class LogFile {
public:
    LogFile() = default;
    // Writes the closing line when the log is still open.
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Makes the file `path` anew (others may read it while it is written,
    // but not change it) and writes the header of `system` and the command
    // line's `arguments`. False when the file cannot be made.
    bool OpenLog(const std::string& path, const LogSystem& system, const std::string& arguments);
    // Appends `text` as one line (several when it holds line feeds) while the
    // log is open. After a write that failed (its disk is full) the log keeps
    // the lines written before, whole, and takes no more.
    void WriteLog(const std::string& text);
    // Writes the closing line and closes the file.
    void CloseLog();

    // Where boxes go to the log, a failed call is logged and then shown: from
    // now on a text the log has just said is not said twice.
    void SkipRepeats() { m_skipRepeats = true; }
    // The file asked for, also when it could not be made.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    ScopedFile m_file;
    bool m_failed = false;
    bool m_skipRepeats = false;
    std::string m_last;
};

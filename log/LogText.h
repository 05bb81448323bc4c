// What the program's logs share: the header and closing line, the folder
// they go to, and how a line reaches the file.
#pragma once
#include <windows.h>

#include <string>

#include "win/MessageBox.h"

// The system the header tells of.
struct LogSystem {
    int platform = 0;
    int majorVersion = 0;
    int minorVersion = 0;
    std::string servicePack;
    std::string userName;
    std::string windowsFolder;
};

// Reads the system's version, the user's name and the Windows folder. False,
// with the last error set, when the version cannot be read (the rest is read).
bool ReadLogSystem(LogSystem& system);

// The header's lines, without a line end after the last: the program, its
// vendor, the time, the system, and the command line when `arguments` has any.
std::string LogHeader(const LogSystem& system, const std::string& arguments);

// The closing line, with the empty line after it.
std::string LogClosing();

// The folder the logs go to when the command line names no file: the
// registry's folder of temporary files, else the user's temporary folder;
// without a trailing backslash, empty when neither can be read.
std::string DefaultLogFolder();

// The installation log's file: `named`, the one the command line names (a
// full path), else fernwick.log in the folder of temporary files; empty when
// there is none. The user is told when the registry refuses them that
// folder's key.
std::string InstallLogPath(const std::string& named);

// Whether the log file the command line names can be written as the log
// opens it: an existing file is opened and left as it is, a new one made and
// removed again. False, with the last error set, when it cannot (its folder
// is missing, a folder stands there, the path is too long, another program
// holds it).
bool CanWriteLogFile(const std::string& path);

// `text` as the log's bytes: every line feed as CR LF, a line end after it,
// in the system's ANSI code page.
std::string LogLineBytes(const std::string& text);

// Appends `bytes` to `file` in one write. A write that is not whole is cut
// off again, so the file ends with the last line written whole; false then.
bool AppendWhole(HANDLE file, const std::string& bytes);

// The failure of a system call, for a box and a log alike: string-table text
// `prefixId`, `subject`, and the system's reason for `error` (in the wizard's
// language where the system has it, in English for the log).
MessageText SystemErrorMessage(UINT prefixId, const std::string& subject, DWORD error);

// The journal's file: "journal.txt" in the data folder, UTF-8 text, one record
// per line (fields split by tabs, lines ended by CR LF), only ever appended to
// or cut back at its end. The README's "The journal" tells the format.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

extern const char kJournalFile[];
// The first line: the format and its version.
extern const char kJournalHeader[];

// The record kinds, each the first field of its line.
extern const char kRecordBegin[];
extern const char kRecordFolder[];
extern const char kRecordFile[];
extern const char kRecordReplace[];
extern const char kRecordDigest[];
extern const char kRecordUndone[];
extern const char kRecordEnd[];
// Records that belong to no installation and may stand between any two:
// the kit's name, for its removal; a folder another kit made and left,
// holding files of this one, for this kit's removal to remove when empty; a
// file this kit replaced that another kit, since removed, had made, so that
// nothing is to be put back there.
extern const char kRecordKitName[];
extern const char kRecordHanded[];
extern const char kRecordGone[];

// One line of the journal: the fields joined by tabs, with its line end.
std::string JournalLine(const std::vector<std::string>& fields);

// A change an installation made, or was about to make when it stopped.
struct JournalEntry {
    enum Kind { Folder, NewFile, ReplacedFile };
    Kind kind = Folder;
    // The folder or file changed, in full.
    std::string path;
    // Where a replaced file is kept, relative to the data folder.
    std::string backup;
    // The installed file's size and SHA-256 (64 hexadecimal digits), once recorded.
    bool hasDigest = false;
    unsigned long long size = 0;
    std::string digest;
    // An undo has dealt with it.
    bool undone = false;
};

// One installation: its entries in the order they were written.
struct JournalSession {
    int number = 0;
    // Where its first line starts: cutting the journal there removes the session.
    LONGLONG offset = 0;
    bool closed = false;
    std::vector<JournalEntry> entries;
};

struct JournalContents {
    std::vector<JournalSession> sessions;
    // The last name recorded; empty when there is none.
    std::string kitName;
    // The folders handed to this kit, in the order they were.
    std::vector<std::string> handedFolders;
    // The replaced files whose earlier owner is gone, leaving nothing to put back.
    std::vector<std::string> goneFiles;
    // Where the last whole, valid line ends. A line after it is a write that
    // was cut short (the process killed, the power lost): its change was
    // never made, and it is ignored, along with everything after it.
    LONGLONG end = 0;
};

// How the journal is opened: to read it while another process may write it;
// to read and append to it, no one else writing it meanwhile; the same,
// creating it when it is not there.
enum class JournalAccess { Read, Write, Create };

// Opens the journal of the data folder `dataFolder`. INVALID_HANDLE_VALUE,
// with the last error set, when it cannot be opened, or when it or the
// folder is not protected as the data folder must be
// (ERROR_INVALID_SECURITY_DESCR).
HANDLE OpenJournal(const std::string& dataFolder, JournalAccess access);

// The full path `path` of a file or folder below the data folder, in the form
// the system takes beyond MAX_PATH characters ("\\?\C:\..."): a backup's
// path is the data folder's and the replaced file's relative path together,
// and may be longer than the replaced file's own.
std::wstring LongPath(const std::string& path);

// Cuts `file` at `offset`, where the next write goes.
bool CutJournal(HANDLE file, LONGLONG offset);

// Reads the journal from the start of `file`, an empty file as an empty
// journal. False, with the last error set, when it cannot be read, or its
// first line is not the header (ERROR_INVALID_DATA).
bool ReadJournal(HANDLE file, JournalContents& contents);

// Appends the record `fields` to the journal of the data folder
// `dataFolder` after its last whole line, on disk before it returns. False,
// with the last error set, when the journal cannot be opened, read or written.
bool AppendJournalRecord(const std::string& dataFolder, const std::vector<std::string>& fields);

// The journal's file: "journal.txt" in the data folder, UTF-8 text, one record
// per line (fields split by tabs, then the line's CRC-32, lines ended by CR
// LF), only ever appended to or cut back at its end. The README's "The
// journal" tells the format.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

extern const char kJournalFile[];
// The first line: the format and its version. Journals of the first format,
// whose lines carry no checksum and whose installations name no target
// folders, are still read, and written in the current one from their first
// change on.
extern const char kJournalHeader[];
extern const char kJournalHeaderFirst[];

// The record kinds, each the first field of its line.
extern const char kRecordBegin[];
extern const char kRecordFolder[];
extern const char kRecordFile[];
extern const char kRecordReplace[];
extern const char kRecordDigest[];
extern const char kRecordUndone[];
extern const char kRecordEnd[];
// A restore of an entry's backup began: its target is the installed file or
// the original, never a change of the user's, until the entry is done.
extern const char kRecordRestore[];
// An entry's file was kept as the user changed it, and the file it had
// replaced moved to the place named, when there was one.
extern const char kRecordKept[];
// An entry's file stays as installed: what it replaced cannot be put back,
// its backup is missing.
extern const char kRecordUnrestored[];
// Records that belong to no installation and may stand between any two:
// the kit's name, for its removal; a folder another kit made and left,
// holding files of this one, for this kit's removal to remove when empty; a
// file this kit replaced that another kit, since removed, had made, so that
// nothing is to be put back there.
extern const char kRecordKitName[];
extern const char kRecordHanded[];
extern const char kRecordGone[];

// One line of the journal: the fields joined by tabs, its checksum, its line end.
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
    // An undo, or the kit's removal, has dealt with it: taken it back, or
    // left the file as it is (`kept`, `unrestored`).
    bool undone = false;
    bool restoring = false;
    bool kept = false;
    // Where the file it replaced went when it was kept; empty when none did.
    std::string original;
    bool unrestored = false;
};

// One installation: its entries in the order they were written.
struct JournalSession {
    int number = 0;
    // Where its first line starts: cutting the journal there removes the session.
    LONGLONG offset = 0;
    bool closed = false;
    // The target folders it recorded; every path it names lies below one (or
    // is one, or a folder made on the way to one). None for an installation
    // recorded in the first format, whose paths are only checked to be full.
    std::vector<std::string> roots;
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
    // Where the last whole, valid line ends. The last line may be cut or
    // damaged (a write cut short by a crash): its change was never made, and
    // it is ignored.
    LONGLONG end = 0;
    // The line (from 1, the header) that refused the journal; 0 when none did.
    int damagedLine = 0;
};

// How the journal is opened: to read it while another process may write it;
// to read and append to it, no one else writing it meanwhile; the same,
// creating it when it is not there.
enum class JournalAccess { Read, Write, Create };

// Opens the journal of the data folder `dataFolder`. To write, a journal of
// the first format is first rewritten whole in the current one (under
// another name, flushed, then renamed over it). INVALID_HANDLE_VALUE, with
// the last error set, when it cannot be opened, or when it or the folder is
// not protected as the data folder must be (ERROR_INVALID_SECURITY_DESCR).
HANDLE OpenJournal(const std::string& dataFolder, JournalAccess access);

// The full path `path` of a file or folder, in the form the system takes
// beyond MAX_PATH characters ("\\?\C:\..."): a backup's path is the data
// folder's and the replaced file's relative path together, and may be longer
// than the replaced file's own.
std::wstring LongPath(const std::string& path);

// Cuts `file` at `offset`, where the next write goes.
bool CutJournal(HANDLE file, LONGLONG offset);

// Reads the journal from the start of `file`, an empty file as an empty
// journal. False, with the last error set, when it cannot be read, or is
// refused (ERROR_INVALID_DATA, and `damagedLine`): its first line is not the
// header, or a line before the last is damaged (its checksum), no record
// where it stands, or names a path outside the target folders of its
// installation, or a backup outside the data folder.
bool ReadJournal(HANDLE file, JournalContents& contents);

// The journal `journal` as a failure to read it names it: with the line that
// refused it.
std::string JournalPlace(const std::string& journal, const JournalContents& contents);

// Appends `text`, whole lines, at the current position of the journal `file`,
// flushed to disk when `flush`: whole, or cut back to where it was. False,
// with the last error set, when it cannot be written whole.
bool AppendToJournal(HANDLE file, const std::string& text, bool flush);

// Appends the record `fields` to the journal of the data folder
// `dataFolder` after its last whole line, on disk before it returns. False,
// with the last error set, when the journal cannot be opened, read or written.
bool AppendJournalRecord(const std::string& dataFolder, const std::vector<std::string>& fields);

// The journal of one installation, written as the copy stage works, so that
// every change is on disk before it is made and the installation can be
// undone from any point: after a failure, a cancel, or a killed process.
//
// The copy stage, for each source folder:
//   1. AddFolder, AddNewFile or AddReplacedFile for each change it is about
//      to make there (the target folder listed once tells which files exist);
//   2. Commit: one write and one flush to disk for all of them;
//   3. the changes: each folder created, each replaced file first handed to
//      Keep, then each file copied, with AddDigest after each copy.
// End closes the installation once everything is copied; Undo takes it all
// back instead. Everything goes to the journal in the order it was added.
#pragma once
#include <string>
#include <vector>

#include "journal/Undo.h"
#include "win/Handle.h"

class Journal {
public:
    Journal() = default;
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;
    // Leaves the journal as it is on disk: without End, the installation
    // stays unfinished, to be undone the next time, as after a killed process.
    ~Journal() = default;

    // Starts the journal of a new installation in the data folder
    // `dataFolder` (made by CreateDataFolder), on disk before it returns,
    // with the target folders `roots` into which it copies files (such as
    // the themes folder): every path it records lies below one of them. Each
    // is named to AddReplacedFile and Keep by its number, from 1 in this
    // order; a file replaced there is kept below the data folder as
    // "backup\<installation>\<root number>\<path relative to the root>".
    // False, with the last error set, when the journal cannot be written, is
    // not trusted (ERROR_INVALID_SECURITY_DESCR), is refused
    // (ERROR_INVALID_DATA), or holds an unfinished installation, which must
    // be undone first (ERROR_BUSY).
    bool Begin(const std::string& dataFolder, const std::vector<std::string>& roots);

    // The changes about to be made, for the next Commit. Each returns the
    // entry's number, for AddDigest. AddReplacedFile returns 0, and records
    // nothing, when `path` does not lie below root `root`.
    int AddFolder(const std::string& path);
    int AddNewFile(const std::string& path);
    int AddReplacedFile(int root, const std::string& path);

    // Writes everything added since the last Commit and flushes it to disk;
    // only then may the changes be made. False, with the last error set, when
    // it cannot be written whole: none of it is then in the journal.
    bool Commit();

    // Moves the file `path` below root `root`, recorded by AddReplacedFile
    // and committed, into the backup, before the new file is copied over it.
    // Across volumes it is copied, and stays for the copy to replace. A file
    // kept before in this installation (the same file copied again) stays
    // kept: what stands at `path` now is this installation's own copy. False,
    // with the last error set, when it cannot be kept, for example because
    // another program holds it open: then it has not been touched. It may
    // run on a thread of its own while another adds to the journal and
    // commits: it touches only the backups; never beside another Keep, End
    // or Undo.
    bool Keep(int root, const std::string& path);

    // The size and SHA-256 digest (32 bytes) of entry `entry`'s file as
    // installed; written with the next Commit or End.
    void AddDigest(int entry, unsigned long long size, const std::string& digest);

    // Closes the installation: everything was installed. On disk before it
    // returns; false, with the last error set, when it cannot be written.
    bool End();

    // Takes the installation back, as UndoUnfinishedSession does, from what
    // is on disk; what was added but not committed was never changed.
    bool Undo(const UndoLog& log, KeptFiles& kept);

private:
    int Add(const std::vector<std::string>& fields);
    // The backup of `path` relative to the data folder; empty when `path`
    // does not lie below root `root`.
    std::string BackupPath(int root, const std::string& path) const;
    // Makes `folder` and the folders on its way, and holds it open.
    bool MakeFolders(const std::string& folder);
    // Moves the file `path` below root `root` into its backup
    // (`backup`, in full; empty when `path` is not below the root), making
    // the backup's folders; never over another.
    bool MoveToBackup(int root, const std::string& path, std::wstring& backup);

    std::string m_folder;
    ScopedFile m_file;
    std::string m_pending;
    int m_session = 0;
    int m_entries = 0;
    std::vector<std::string> m_roots;
    // The backup folder made last, held open: the next file is usually kept
    // there too, renamed into it by its handle.
    std::string m_madeFolder;
    ScopedFile m_madeFolderHandle;
};

// Taking the changes of a kit's installations back, one file or folder at a
// time: the undo of an installation and the removal of a kit do it alike,
// under one rule. An original is never deleted or overwritten until a copy
// of it is safe elsewhere, and a backup leaves its place only once the
// journal says, on disk, that its original is back or is kept on purpose.
// Each step can be run again, after a crash at any point of it, and ends as
// it would have.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "journal/JournalFile.h"
#include "win/Handle.h"

// Receives each log line, in order, without a line end of its own (a
// "Reason: " line carries the one the system's text ends with).
using UndoLog = std::function<void(const std::string& line)>;

// Whether to try a step again that another program stops (it holds a file
// open), which has stopped it since `since` (GetTickCount): true after
// waiting a while, false to give up. Empty: steps are not tried again.
using RetryWait = std::function<bool(DWORD since)>;

// The files a walk back leaves as they are, for the user to be told.
struct KeptFiles {
    // Changed since they were installed: kept as they are, and what they
    // replaced moved to the kept originals' folder.
    std::vector<std::string> changed;
    // Left as installed: what they replaced cannot be put back, its backup
    // is missing.
    std::vector<std::string> unrestored;
    // Where the files the changed ones had replaced went.
    std::vector<std::string> originals;
};

// Another kit's backup of a path, holding this kit's file there.
struct TheirBackup {
    // That kit's data folder, and its entry's path and backup, in full.
    std::string dataFolder;
    std::string path;
    std::string backup;
};

class TakeBack {
public:
    // Takes back what the journal of the data folder `dataFolder` recorded,
    // logging each step to `log`, the files left as they are to `kept`.
    TakeBack(const std::string& dataFolder, UndoLog log, RetryWait retry, KeptFiles& kept);
    virtual ~TakeBack() = default;
    TakeBack(const TakeBack&) = delete;
    TakeBack& operator=(const TakeBack&) = delete;

    // Opens the journal to write and reads it into `contents`; the marks of
    // the steps taken follow its last whole line. False, logged as
    // "Failed to read journal: <path>[, line <n>]" and the reason, when it
    // cannot be opened or read, or is refused.
    bool Open(JournalContents& contents);

    // Takes back the file that entries `group` of `session` (one path, in the
    // order written) recorded; the last entry is the file as installed, the
    // first tells what stood there before: nothing when it made the file or
    // `nothingBefore`, else the file in its backup. When the file is as
    // installed (its size and digest, where recorded), it is removed or its
    // backup put back; when the user changed it, it is kept, and its backup
    // goes to the kept originals' folder (unless another kit's backup holds
    // this kit's file, see FindTheirBackup); `keptLater`: a later
    // installation kept the path as changed, and only the backup goes there.
    // A file whose backup is missing stays as installed. Logs "Removed file:",
    // "Restored file:", "Kept changed file:", "Original kept as:",
    // "Original not restored:" and "Backup missing:" with their paths. False,
    // after Failed, when a step cannot be done.
    bool File(const JournalSession& session, const std::vector<size_t>& group, bool nothingBefore, bool keptLater);

    // Removes the folder `path` when empty ("Removed folder: <path>"); `stays`
    // when it holds something. False, after Failed, when it cannot be told.
    bool Folder(const std::string& path, bool& stays);

    // Cuts the journal at `offset` (an installation's first line), on disk,
    // and closes it.
    bool Forget(LONGLONG offset);

    // Marks entry `entry` (from 0) of installation `session` dealt with;
    // not flushed: a mark lost only repeats a step, which then changes nothing.
    void MarkUndone(int session, size_t entry);
    // Puts the marks written so far on disk.
    bool Flush();
    // Whether `folder` holds a file this walk left as it is.
    bool HoldsKept(const std::string& folder) const;

    // Logs a step that failed: `what` it was, the path, then the reason (the
    // last error). An undo logs "Undo failed: <path>".
    virtual void Failed(const std::string& what, const std::string& path);

protected:
    // Another kit's backup of `path` holding this kit's file as `installed`
    // recorded it: what this kit replaced there goes to that kit. None here.
    virtual bool FindTheirBackup(const std::string& path, const JournalEntry& installed, TheirBackup& theirs);
    // Gives what stood at that path before this kit, the file `before` (empty
    // for nothing), to the other kit's backup `theirs`.
    virtual bool HandOver(const TheirBackup& theirs, const std::wstring& before);

    // Fails the step being tried: `what` and the path, with the last error.
    bool Failing(const char* what, const std::string& path);

    const std::string& DataFolder() const { return m_folder; }
    const UndoLog& Log() const { return m_log; }
    std::string JournalPath() const;

    enum class State { Missing, Same, Different };
    // What stands at `path` against the file as `installed` recorded it.
    // Nothing recorded means the same in an installation cut short (no one
    // can have changed the file since, as far as can be told), different in
    // a closed one. False, with the last error set, when it cannot be read.
    bool Compare(const std::string& path, const JournalEntry& installed, bool closed, State& state);

private:
    // Runs `step` until it is done, again while another program stops it
    // and the retry wait says so ("File in use: <path>" once, "Gave up
    // waiting"); Failed when it cannot be done.
    bool Retrying(const std::function<bool()>& step);
    bool TryFile(const JournalSession& session, const std::vector<size_t>& group, bool nothingBefore, bool keptLater);
    bool Mark(const std::vector<std::string>& fields, bool flush);
    void MarkGroup(const JournalSession& session, const std::vector<size_t>& group);
    // Moves the backup `backup` to `original` in the kept originals' folder.
    bool MoveOriginal(const std::string& backup, const std::string& original);
    // A new place in the kept originals' folder for the file installation
    // `session` replaced at `path`.
    std::string NewOriginalPath(int session, const std::string& path) const;
    void ReportKept(const std::string& path, const std::string& original, bool changedHere);
    void ReportUnrestored(const std::string& path, const std::string& backup);
    std::string m_folder;
    UndoLog m_log;
    RetryWait m_retry;
    KeptFiles& m_kept;
    ScopedFile m_journal;
    // The step that failed, for Failed.
    const char* m_failedWhat = "";
    std::string m_failedPath;
};

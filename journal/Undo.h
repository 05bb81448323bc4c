// Undoing an installation that did not finish, from its journal.
#pragma once
#include <functional>
#include <string>

// Receives each log line of an undo, in order, without a line end of its own
// (a "Reason: " line carries the one the system's text ends with).
using UndoLog = std::function<void(const std::string& line)>;

// True when the journal of the data folder `dataFolder` holds an installation
// that was never closed (a failure, a cancel, the process killed), waiting to
// be undone. False when there is none, or the folder is not trusted: nothing
// is then ever taken from it.
bool UnfinishedSessionWaits(const std::string& dataFolder);

// Undoes the unfinished installation of the data folder `dataFolder`, last
// change first: removes each file and folder it created, puts each file it
// replaced back from the backup. Logs "Undoing the installation...", then
// "Removed file: <path>", "Restored file: <path>" or "Removed folder:
// <path>" for each step that changed something, then "Installation undone".
// Every step may be run again (a step already done changes nothing and logs
// nothing), so an undo that was itself cut short can run again. A step that
// fails logs "Undo failed: <path>" and "Reason: (<code>) <text>", and the
// undo goes on with the next; the journal then keeps the steps still to do.
// When all is undone, the installation leaves the journal, and with it the
// journal, its backups and the data folder when nothing else is left.
// True when nothing is left to undo (also when nothing waited, which logs
// nothing); false after a failed step, or when the journal cannot be read or
// written or is not trusted, which logs "Undo failed: <journal's path>" and
// the reason.
bool UndoUnfinishedSession(const std::string& dataFolder, const UndoLog& log);

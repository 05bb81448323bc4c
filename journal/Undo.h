// Undoing an installation that did not finish, from its journal.
#pragma once
#include <string>

#include "journal/TakeBack.h"

// Undoes the unfinished installation of the data folder `dataFolder`, last
// change first, as TakeBack takes changes back: removes each file and folder
// it created, puts each file it replaced back from the backup, keeps a file
// the user changed since its digest was recorded (and what it replaced, in
// the kept originals' folder; `kept` lists both kinds of file left as they
// are). Logs "Undoing the installation...", then a line for each step that
// changed something, then "Installation undone". Every step may be run
// again (a step already done changes nothing and logs nothing), so an undo
// that was itself cut short can run again. A step that fails logs "Undo
// failed: <path>" and "Reason: (<code>) <text>" (tried again while another
// program holds a file and `retry` says so), and the undo goes on with the
// next; the journal then keeps the steps still to do. When all is undone,
// the installation leaves the journal, and with it the journal, its backups
// and the data folder when nothing else is left. True when nothing is left
// to undo (also when nothing waited, which logs nothing); false after a
// failed step, or when the journal cannot be read or written or is not
// trusted, which logs "Failed to read journal: <path>" or "Undo failed:
// <journal's path>" and the reason.
bool UndoUnfinishedSession(const std::string& dataFolder, const UndoLog& log, KeptFiles& kept,
                           const RetryWait& retry = RetryWait());

// Undoes every unfinished installation of every kit whose data folder lies
// beside `dataFolder` (its own too): what they recorded goes back before
// anything else touches the paths they named. The journals are all read
// first: when one cannot be read or is refused, nothing is undone, and
// "Failed to read journal: <path>[, line <n>]" and the reason are logged.
// Another kit's undo is preceded by "Installation of another kit cut short:
// <data folder>". False then, or when an undo failed.
bool UndoUnfinishedInstallations(const std::string& dataFolder, const UndoLog& log, KeptFiles& kept,
                                 const RetryWait& retry = RetryWait());

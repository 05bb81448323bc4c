// Removing an installed kit from its journal: every installation walked
// back, last change first, so that the machine is as before the first one,
// but for the files the user changed since, which are kept.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "journal/TakeBack.h"

// Receives each log line of the removal, in order (see UndoLog).
using RemovalLog = UndoLog;
// Hears of each step: how many of `total` are done.
using RemovalProgress = std::function<void(int done, int total)>;

// Takes back every installation of the journal of the data folder
// `dataFolder`, as TakeBack takes changes back, after every unfinished
// installation of any kit is undone as the wizard would undo it:
// - a file an installation made, or replaced, is taken back only when it is
//   unchanged since (the size and digest the journal recorded): removed, or
//   its backup put back in its place; a changed one is kept, logged
//   "Kept changed file: <path>" and added to `kept`, and what it replaced
//   goes to the kept originals' folder;
// - a folder it made is removed when empty; one that holds files of another
//   kit is handed to that kit's journal, to be removed with it;
// - a file of this kit that another kit replaced later stays (it is the
//   other kit's), and the other kit's backup of it takes what this kit had
//   replaced in its place; when this kit made the file, that backup is
//   deleted and the other kit's journal says so (kRecordGone). The other
//   kit's removal then leaves what was there before both.
// Every step is marked in the journal once done and can be run again, so a
// removal that was cut short or failed finishes when run again, and names
// what the earlier runs kept. A failure is logged as "<what>: <path>" and
// "Reason: (<code>) <text>" and ends the walk (a file another program holds
// is tried again while `retry` says so); false then.
bool TakeBackInstallations(const std::string& dataFolder, const RemovalLog& log, const RemovalProgress& progress,
                           const RetryWait& retry, KeptFiles& kept);

// What is left once the installations are taken back: the running program
// `program` of the data folder moved beside it (its file cannot be deleted
// while it runs: it goes when Windows next starts), the data folder with
// the journal and backups moved away in one rename, and last the kit's
// entry in Programs and Features (`kitId`), which is made sure of first to
// be removable. A step that fails puts back what the steps before moved, so
// that the entry, the journal and the program stay for the removal to run
// again. False, with the failure logged as above.
bool RemoveWhatIsLeft(const std::string& dataFolder, const std::string& kitId, const std::string& program,
                      const RemovalLog& log);

// The kit's name as its journal records it; empty when it holds none or
// cannot be read.
std::string RecordedKitName(const std::string& dataFolder);

// Removing an installed kit from its journal: every installation walked
// back, last change first, so that the machine is as before the first one,
// but for the files the user changed since, which are kept.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Receives each log line of the removal, in order (see UndoLog).
using RemovalLog = std::function<void(const std::string& line)>;
// Hears of each step: how many of `total` are done.
using RemovalProgress = std::function<void(int done, int total)>;

// Takes back every installation of the journal of the data folder
// `dataFolder` (an unfinished one is undone first, as the wizard would):
// - a file an installation made, or replaced, is taken back only when it is
//   unchanged since (the size and digest the journal recorded): removed, or
//   its backup put back in its place; a changed one is kept, logged
//   "Kept changed file: <path>" and added to `kept`;
// - a folder it made is removed when empty; one that holds files of another
//   kit is handed to that kit's journal, to be removed with it;
// - a file of this kit that another kit replaced later stays (it is the
//   other kit's), and the other kit's backup of it takes what this kit had
//   replaced in its place; when this kit made the file, that backup is
//   deleted and the other kit's journal says so (kRecordGone). The other
//   kit's removal then leaves what was there before both.
// Logs "Removed file: <path>", "Restored file: <path>", "Removed folder:
// <path>" for each step that changed something. Every step is marked in the
// journal once done and can be run again, so a removal that was cut short
// or failed finishes when run again. A failure is logged as "<what>: <path>"
// and "Reason: (<code>) <text>" and ends the walk; false then.
bool TakeBackInstallations(const std::string& dataFolder, const RemovalLog& log, const RemovalProgress& progress,
                           std::vector<std::string>& kept);

// What is left once the installations are taken back, in this order: the
// backups, the kit's entry in Programs and Features (`kitId`), the running
// program `program` of the data folder (moved beside it, to be removed when
// Windows next starts: a running program's file cannot be deleted), the
// journal and the data folder. Until the entry is gone the journal stays, so
// that the removal can be run again. False, with the failure logged as above.
bool RemoveWhatIsLeft(const std::string& dataFolder, const std::string& kitId, const std::string& program,
                      const RemovalLog& log);

// The kit's name as its journal records it; empty when it holds none or
// cannot be read.
std::string RecordedKitName(const std::string& dataFolder);

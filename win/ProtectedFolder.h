// Folders that only administrators and the system may change: what the
// program keeps there (an installation's journal and backups, an unpacked kit)
// drives what it later deletes, restores and installs, so no one else may
// plant or alter anything in them.
#pragma once
#include <string>

// Creates the new folder `path` (its parent must exist) with an access list of
// its own, not inherited: administrators and SYSTEM have full control, users
// may read when `usersMayRead`. Sub-folders and files made in it inherit that.
// False, with the last error set, when it cannot be made, or exists already.
bool CreateProtectedFolder(const std::string& path, bool usersMayRead);

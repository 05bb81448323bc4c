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

// True when `path`, a folder or a file, is protected so: it is no link (a
// reparse point, which would lead somewhere else), its owner is the
// administrators, SYSTEM or the user running this program (an administrator:
// the program asks for those rights), and its access list lets no one else
// change it, what it holds or who may. Reading may be allowed to anyone.
// False when it cannot be told.
bool IsProtected(const std::string& path);

// The steps that take a change back, shared by the undo of an installation
// and the removal of a kit. Each can be run again: a step already done
// changes nothing.
#pragma once
#include <windows.h>

#include <string>

// The error tells that a file or folder, or its folder, is not there.
bool IsMissing(DWORD error);

// Copies the file `from` to `to`, replacing it, with its attributes and
// times, and on disk before it returns. False, with the last error set, and
// nothing left at `to`, when it cannot.
bool CopyFileToDisk(const std::wstring& from, const std::wstring& to);

// Makes the folder `folder` and its missing parents. False, with the last
// error set, when one cannot be made.
bool MakeFolderPath(const std::string& folder);

// Each step: true when its change is undone, `changed` when this call did
// it; false with the last error set.
// Removes the file `path`, read-only or not (the kit's files keep their
// attributes when copied, and the system refuses to delete such a file).
bool RemoveFile(const std::wstring& path, bool& changed);
// Removes the folder `path` when it is empty.
bool RemoveFolder(const std::wstring& path, bool& changed);
// Puts the file `backup` in place of `path`, over whatever stands there,
// whole or not at all: on one volume it is renamed (the backup is gone
// then); across volumes it is copied beside `path` under a name of its own,
// on disk, then renamed over it, and the backup stays. False, with the last
// error set, and `path` as it was.
bool RestoreFile(const std::wstring& backup, const std::wstring& path);

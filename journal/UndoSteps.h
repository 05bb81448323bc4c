// The steps that take a change back, shared by the undo of an installation
// and the removal of a kit. Each can be run again: a step already done
// changes nothing.
#pragma once
#include <windows.h>

#include <string>

// The error tells that a file or folder, or its folder, is not there.
bool IsMissing(DWORD error);

// Each step: true when its change is undone, `changed` when this call did
// it; false with the last error set.
// Removes the file `path`, read-only or not (the kit's files keep their
// attributes when copied, and the system refuses to delete such a file).
bool RemoveFile(const std::wstring& path, bool& changed);
// Removes the folder `path` when it is empty.
bool RemoveFolder(const std::wstring& path, bool& changed);
// Puts the file `backup` back in place of `path`, over whatever stands there.
// No backup means the file was never moved away, or is back already.
bool RestoreFile(const std::wstring& backup, const std::wstring& path, bool& changed);

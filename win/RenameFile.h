// Renaming a file through its handle, into a folder held open.
#pragma once
#include <windows.h>

#include <string>

// Renames the file open as `file` (opened with DELETE access) to `name` in the
// folder open as `folder`, never over another file or folder
// (ERROR_ALREADY_EXISTS) and never across volumes (ERROR_NOT_SAME_DEVICE).
// The new name is looked up in that folder alone, where a full path is walked
// from the drive's root: under Wine a name not there yet costs a look at every
// folder on the way and a search of the last one.
bool RenameFileInto(HANDLE file, HANDLE folder, const std::wstring& name);

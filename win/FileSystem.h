// Paths for the system's file functions, and existence tests on the file system.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The wide form of `path` for the system's file functions, in `wide`. False,
// with the last error ERROR_FILENAME_EXCED_RANGE, for a path of MAX_PATH
// characters or more: paths keep the limit the system has always set them
// (no "\\?\" prefix lifts it here), which Wine's wide functions lack.
bool SystemPath(const std::string& path, std::wstring& wide);

// True when `path` names an existing file or folder. A drive (C:) or a drive
// root (C:\) counts as existing, which a file search alone never reports.
bool PathExists(const std::string& path);

// True when `path` names an existing file, not a folder.
bool FileExists(const std::string& path);

// True when `path` names an existing folder, not a file.
bool FolderExists(const std::string& path);

// True when `path` is a full path: a drive and a backslash (C:\...), or a
// network path (\\server\...).
bool IsFullPath(const std::string& path);

// How a folder's listing ended.
enum class Listing {
    Whole,   // every entry was listed
    Stopped, // the caller stopped it
    Failed,  // nothing matched, or the listing was cut short: the last error says why
};

// Calls `each` with every entry the search `pattern` (a path for the system's
// file functions, "<folder>\*" for a whole folder) finds but "." and "..", in
// the order the file system gives them, until `each` returns false.
Listing FindEntries(const std::wstring& pattern, const std::function<bool(const WIN32_FIND_DATAW& entry)>& each);

// The names of the sub-folders of `folder`, in the order the file system gives
// them; none when the folder is missing.
std::vector<std::string> SubFolders(const std::string& folder);

// The folder that holds `path`: all before its last backslash; empty when it has none.
std::string ParentFolder(const std::string& path);
// The last part of `path`, after its last backslash; the whole path when it has none.
std::string LastPart(const std::string& path);

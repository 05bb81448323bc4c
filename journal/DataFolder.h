// The data folder of a kit, "<Common Files>\Fernwick\<kit id>": it keeps the
// journal of the kit's installations and the files they replaced. What it
// holds decides what is later deleted and restored, so only administrators
// may change it, and it is trusted only while that holds. Nothing in it is
// ever run by the program.
#pragma once
#include <string>
#include <vector>

// The data folder of the kit `kitId` below `commonFiles`, the 32-bit Common
// Files folder, or below `windowsFolder` when that could not be read
// (`commonFiles` empty). Both without a trailing backslash.
std::string DataFolderPath(const std::string& commonFiles, const std::string& windowsFolder,
                           const std::string& kitId);

// Makes sure the data folder `folder` exists and is trusted. Its parent
// "Fernwick", when missing, is made so that only administrators and SYSTEM
// may change it and everyone may read it; the kit's folder inherits that.
// False, with the last error set, when either cannot be made, or when one
// found there is not protected so (ERROR_INVALID_SECURITY_DESCR).
bool CreateDataFolder(const std::string& folder);

// True when the data folder `folder` and its parent are protected as
// CreateDataFolder makes them (see IsProtected), so that nothing in them was
// planted or changed by anyone but an administrator.
bool IsDataFolderTrusted(const std::string& folder);

// The data folders of every kit in the folder `parent` ("...\Fernwick"):
// its sub-folders whose names are kit ids. The folder of kept originals and
// what a removal leaves until Windows starts again have names no kit id has.
std::vector<std::string> KitDataFolders(const std::string& parent);

// Where the files the installations of the kit of data folder `dataFolder`
// replaced go when the user changed what replaced them:
// "...\Fernwick\(Kept originals)\<kit id>".
std::string KeptOriginalsFolder(const std::string& dataFolder);

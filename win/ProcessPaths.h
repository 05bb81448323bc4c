// The paths a process runs with: its own program file and its current folder.
#pragma once
#include <string>

// The full path of this process's program file; empty when the system cannot tell.
std::string ProgramFilePath();

// The full path of the current folder, without a trailing backslash but for
// a drive root ("C:\"); empty when the system cannot tell.
std::string CurrentFolderPath();

// Makes the system folder, which is always there, the current one; false
// when it cannot.
bool EnterSystemFolder();

// Makes a folder the current one for the object's life, then the one before
// again (the system folder when that cannot be entered): a folder cannot be
// removed while it is a process's current folder.
class EnteredFolder {
public:
    EnteredFolder() = default;
    ~EnteredFolder();
    EnteredFolder(const EnteredFolder&) = delete;
    EnteredFolder& operator=(const EnteredFolder&) = delete;

    // False, with the last error set, when `folder` cannot be entered.
    bool Enter(const std::string& folder);

private:
    std::string m_previous;
    bool m_entered = false;
};

#include "journal/Undo.h"

#include <windows.h>

#include <map>

#include "journal/DataFolder.h"
#include "journal/JournalFile.h"
#include "journal/UndoSteps.h"
#include "win/FileSystem.h"
#include "win/FolderTree.h"
#include "win/Handle.h"
#include "win/Strings.h"
#include "win/SystemError.h"
#include "win/Unicode.h"

namespace {

bool JournalExists(const std::string& dataFolder)
{
    return GetFileAttributesW(Wide(dataFolder + "\\" + kJournalFile).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool UndoUnfinishedSession(const std::string& dataFolder, const UndoLog& log, KeptFiles& kept,
                           const RetryWait& retry)
{
    // Nothing was ever installed from here.
    if (!JournalExists(dataFolder) && IsMissing(GetLastError()))
        return true;
    TakeBack takeBack(dataFolder, log, retry, kept);
    JournalContents contents;
    if (!takeBack.Open(contents))
        return false;
    if (contents.sessions.empty() || contents.sessions.back().closed)
        return true;
    const JournalSession& session = contents.sessions.back();
    log("Undoing the installation...");

    // A file copied twice (a version's item and a common one of the same
    // name) is one step, taken at its last entry.
    std::map<std::string, std::vector<size_t>> groups;
    for (size_t i = 0; i < session.entries.size(); ++i) {
        if (session.entries[i].kind != JournalEntry::Folder)
            groups[ToLower(session.entries[i].path)].push_back(i);
    }
    bool failed = false;
    for (size_t i = session.entries.size(); i-- > 0;) {
        const JournalEntry& entry = session.entries[i];
        if (entry.kind != JournalEntry::Folder) {
            const std::vector<size_t>& group = groups[ToLower(entry.path)];
            failed = (group.back() == i && !takeBack.File(session, group, false, false)) || failed;
            continue;
        }
        if (entry.undone)
            continue;
        bool stays = false;
        if (!takeBack.Folder(entry.path, stays)) {
            failed = true;
            continue;
        }
        // A folder that holds a file the user changed stays with it; one
        // that holds anything else is someone else's now.
        if (stays && !takeBack.HoldsKept(entry.path)) {
            SetLastError(ERROR_DIR_NOT_EMPTY);
            takeBack.Failed("", entry.path);
            failed = true;
            continue;
        }
        takeBack.MarkUndone(session.number, i);
    }
    if (!takeBack.Flush() || failed)
        return false;

    // Every original is back or kept elsewhere, and the journal says so: the
    // backups go, then the installation leaves the journal in one cut.
    const std::string backups = dataFolder + "\\backup\\" + std::to_string(session.number);
    if (PathExists(backups) && !RemoveFolderTree(backups)) {
        takeBack.Failed("", backups);
        return false;
    }
    if (!takeBack.Forget(session.offset)) {
        takeBack.Failed("", dataFolder + "\\" + kJournalFile);
        return false;
    }
    if (contents.sessions.size() == 1) {
        DeleteFileW(Wide(dataFolder + "\\" + kJournalFile).c_str());
        RemoveDirectoryW(Wide(dataFolder + "\\backup").c_str());
        RemoveDirectoryW(Wide(dataFolder).c_str());
        RemoveDirectoryW(Wide(ParentFolder(dataFolder)).c_str());
    }
    log("Installation undone");
    return true;
}

bool UndoUnfinishedInstallations(const std::string& dataFolder, const UndoLog& log, KeptFiles& kept,
                                 const RetryWait& retry)
{
    std::vector<std::string> unfinished;
    for (const std::string& folder : KitDataFolders(ParentFolder(dataFolder))) {
        if (!JournalExists(folder))
            continue;
        const std::string journal = folder + "\\" + kJournalFile;
        ScopedFile file(OpenJournal(folder, JournalAccess::Read));
        JournalContents contents;
        if (!file.IsValid() || !ReadJournal(file.Get(), contents)) {
            DWORD error = GetLastError();
            log("Failed to read journal: " + JournalPlace(journal, contents));
            log("Reason: " + SystemErrorText(error));
            return false;
        }
        if (!contents.sessions.empty() && !contents.sessions.back().closed)
            unfinished.push_back(folder);
    }
    for (const std::string& folder : unfinished) {
        if (!EqualNoCase(folder, dataFolder))
            log("Installation of another kit cut short: " + folder);
        if (!UndoUnfinishedSession(folder, log, kept, retry))
            return false;
    }
    return true;
}

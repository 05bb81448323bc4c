#include "journal/Undo.h"

#include <windows.h>

#include "journal/DataFolder.h"
#include "journal/JournalFile.h"
#include "journal/UndoSteps.h"
#include "win/FileSystem.h"
#include "win/Handle.h"
#include "win/SystemError.h"
#include "win/Unicode.h"

namespace {

// Removes the empty folders of the tree `folder`; a file kept there stays.
void RemoveEmptyFolders(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    ScopedFind find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    for (bool found = find.IsValid(); found; found = FindNextFileW(find.Get(), &entry)) {
        const std::wstring name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            RemoveEmptyFolders(folder + L"\\" + name);
    }
    find.Reset();
    RemoveDirectoryW(folder.c_str());
}

// The journal's own failure: it cannot be opened, read or written.
bool FailJournal(const std::string& journal, const UndoLog& log)
{
    DWORD error = GetLastError();
    log("Undo failed: " + journal);
    log("Reason: " + SystemErrorText(error));
    return false;
}

} // namespace

bool UnfinishedSessionWaits(const std::string& dataFolder)
{
    const std::string journal = dataFolder + "\\" + kJournalFile;
    if (GetFileAttributesW(Wide(journal).c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    ScopedFile file(OpenJournal(dataFolder, JournalAccess::Read));
    JournalContents contents;
    return file.IsValid() && ReadJournal(file.Get(), contents) && !contents.sessions.empty() &&
           !contents.sessions.back().closed;
}

bool UndoUnfinishedSession(const std::string& dataFolder, const UndoLog& log)
{
    const std::string journal = dataFolder + "\\" + kJournalFile;
    // Nothing was ever installed from here.
    if (GetFileAttributesW(Wide(journal).c_str()) == INVALID_FILE_ATTRIBUTES && IsMissing(GetLastError()))
        return true;
    ScopedFile file(OpenJournal(dataFolder, JournalAccess::Write));
    JournalContents contents;
    if (!file.IsValid() || !ReadJournal(file.Get(), contents)) {
        log("Undoing the installation...");
        return FailJournal(journal, log);
    }
    if (contents.sessions.empty() || contents.sessions.back().closed)
        return true;
    const JournalSession& session = contents.sessions.back();
    log("Undoing the installation...");
    // What comes after the last whole line was never a record: the marks of
    // what is undone follow the whole lines.
    if (!CutJournal(file.Get(), contents.end))
        return FailJournal(journal, log);

    bool failed = false;
    for (size_t i = session.entries.size(); i-- > 0;) {
        const JournalEntry& entry = session.entries[i];
        if (entry.undone)
            continue;
        const std::wstring path = Wide(entry.path);
        bool changed = false;
        bool undone = false;
        const char* done = "";
        switch (entry.kind) {
        case JournalEntry::Folder:
            undone = RemoveFolder(path, changed);
            done = "Removed folder: ";
            break;
        case JournalEntry::NewFile:
            undone = RemoveFile(path, changed);
            done = "Removed file: ";
            break;
        case JournalEntry::ReplacedFile:
            undone = RestoreFile(LongPath(dataFolder + "\\" + entry.backup), path, changed);
            done = "Restored file: ";
            break;
        }
        if (!undone) {
            DWORD error = GetLastError();
            log("Undo failed: " + entry.path);
            log("Reason: " + SystemErrorText(error));
            failed = true;
            continue;
        }
        if (changed)
            log(done + entry.path);
        // Not flushed: a mark lost with the power only makes a later run
        // repeat a step, which then changes nothing.
        const std::string mark =
            JournalLine({kRecordUndone, std::to_string(session.number), std::to_string(i + 1)});
        DWORD written = 0;
        WriteFile(file.Get(), mark.data(), (DWORD)mark.size(), &written, nullptr);
    }
    if (failed) {
        FlushFileBuffers(file.Get());
        return false;
    }

    // The backups are all back in place: their empty folders go, and the
    // copy a backup across volumes left half made; then the installation
    // leaves the journal in one cut.
    const std::wstring backups = LongPath(dataFolder + "\\backup\\" + std::to_string(session.number));
    DeleteFileW((backups + L"\\copying").c_str());
    RemoveEmptyFolders(backups);
    if (!CutJournal(file.Get(), session.offset) || !FlushFileBuffers(file.Get()))
        return FailJournal(journal, log);
    file.Reset();
    if (contents.sessions.size() == 1) {
        DeleteFileW(Wide(journal).c_str());
        RemoveDirectoryW(Wide(dataFolder + "\\backup").c_str());
        RemoveDirectoryW(Wide(dataFolder).c_str());
        RemoveDirectoryW(Wide(ParentFolder(dataFolder)).c_str());
    }
    log("Installation undone");
    return true;
}

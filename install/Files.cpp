// The file installation: the kit's eight source trees counted, then copied into
// the target folders with the progress bar stepping once per file. Every
// change is in the journal before it is made; a failed or cancelled copy is
// undone.
#include "install/FileInstaller.h"

#include <winternl.h>

#include <functional>
#include <map>
#include <optional>

#include "frontpage/Registry.h"
#include "install/FileCopy.h"
#include "journal/DataFolder.h"
#include "journal/JournalFile.h"
#include "kit/KitRoot.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/RunningProgram.h"
#include "win/Strings.h"
#include "win/SystemLibrary.h"
#include "win/Unicode.h"

// An entry of a kit folder as the count listed it. The copy is planned from
// these, so each kit folder is listed once, however many target folders its
// pass has: under Wine a listing costs as much as copying a small file.
struct KitEntry {
    std::string name;
    DWORD attributes = 0;
    FILETIME written = {};
    // A folder's entries.
    std::vector<KitEntry> below;
    // Why a folder that is there could not be listed whole, when it could not.
    std::optional<DWORD> listError;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// An entry of a kit folder, with what it becomes at its target and its
// journal entry, before anything in that folder changes.
struct PlannedEntry {
    // As the count listed it, a folder's entries with it.
    const KitEntry* listed = nullptr;
    // Its path in the kit.
    std::string source;
    // Something of that name at the target: a folder to reuse, a file to
    // replace, or a folder in a file's way.
    bool exists = false;
    // A file at the target, kept in the backup before the copy replaces it.
    bool replace = false;
    // Its number in the journal, for the installed file's digest.
    int number = 0;
    // A replaced file's number among the keeps queued ahead of the copies,
    // once queued.
    std::optional<size_t> keep;
    // A folder whose own entries are planned, in `below`.
    bool planned = false;
    std::vector<PlannedEntry> below;
};

namespace {

// Opens `folder` to ask the system about it, not to read it.
HANDLE OpenFolder(const std::string& folder)
{
    std::wstring wide;
    if (!SystemPath(folder, wide))
        return INVALID_HANDLE_VALUE;
    return CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The identity of a folder on disk, the same by whatever path or link it is
// reached; empty when it cannot be told. Slow: it asks for the volume's serial
// number, which under Wine means reading a file.
std::string FolderIdentity(const std::string& folder)
{
    ScopedFile handle(OpenFolder(folder));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle.IsValid() || !GetFileInformationByHandle(handle.Get(), &info))
        return std::string();
    return Format("%lx:%lx:%lx", info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
}

// The file index of a folder, the number its volume knows it by, the same by
// whatever path or link it is reached; 0 when it cannot be told. Folders with
// different indexes are different folders; equal ones may be on two volumes.
ULONGLONG FolderIndex(const std::string& folder)
{
    using QueryInformationFile = NTSTATUS(WINAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, FILE_INFORMATION_CLASS);
    static const auto query =
        LibraryFunction<QueryInformationFile>(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile");
    ScopedFile handle(OpenFolder(folder));
    IO_STATUS_BLOCK status;
    LARGE_INTEGER index; // FILE_INTERNAL_INFORMATION
    if (!query || !handle.IsValid() ||
        query(handle.Get(), &status, &index, sizeof index, FileInternalInformation) != 0)
        return 0;
    return (ULONGLONG)index.QuadPart;
}

// Lists the kit folder `folder`, calling `each` with every entry until it
// returns false. Failed when it cannot be listed whole; `missing` then tells
// whether it is simply not there.
Listing ListKitFolder(const std::string& folder, const std::function<bool(const WIN32_FIND_DATAW&)>& each,
                      bool& missing)
{
    std::wstring pattern;
    if (!SystemPath(folder + "\\*.*", pattern))
        return Listing::Failed;
    const Listing listing = FindEntries(pattern, each);
    if (listing != Listing::Failed)
        return listing;
    DWORD error = GetLastError();
    missing = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !PathExists(folder);
    SetLastError(error);
    return listing;
}

// A name as the file system compares it: without regard to case, in every script.
std::wstring NameKey(std::wstring name)
{
    if (!name.empty())
        CharUpperBuffW(&name[0], (DWORD)name.size());
    return name;
}

// What a target folder holds: its entries by NameKey, true for a folder.
using FolderContents = std::map<std::wstring, bool>;

// Lists the folder `folder` into `contents`; `missing` when there is no such
// folder (nothing can be in it, either: nothing or a file stands in its
// place, or its path is too long). False, with the last error set, when it
// is there but cannot be listed.
bool ListFolder(const std::string& folder, FolderContents& contents, bool& missing)
{
    missing = false;
    std::wstring pattern;
    if (SystemPath(folder + "\\*", pattern) && FindEntries(pattern, [&contents](const WIN32_FIND_DATAW& entry) {
            contents[NameKey(entry.cFileName)] = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            return true;
        }) == Listing::Whole)
        return true;
    DWORD error = GetLastError();
    missing = !PathExists(folder) || FileExists(folder);
    SetLastError(error);
    return missing;
}

// The folders that CreateFolder makes on its way to `folder`, outermost first.
std::vector<std::string> MissingFolders(std::string folder)
{
    std::vector<std::string> missing;
    while (!PathExists(folder)) {
        missing.insert(missing.begin(), folder);
        size_t slash = folder.find_last_of('\\');
        if (slash == std::string::npos || slash == 0)
            break;
        folder.erase(slash);
    }
    return missing;
}

// Items are planned ahead, and their entries written to the journal in one
// write and one flush, until a group holds this many entries: a flush waits
// for the disk, and for all the copies still on their way to it.
const size_t kPlanGroup = 2000;

// The entries of a plan, and of every folder in it.
size_t PlannedCount(const std::vector<PlannedEntry>& entries)
{
    size_t count = entries.size();
    for (const PlannedEntry& entry : entries)
        count += PlannedCount(entry.below);
    return count;
}

// A folder a copy pass goes into, and its number in the journal.
struct Target {
    std::string folder;
    int root;
};

// One copy pass: a kit tree, relative to the kit, and the folders it goes
// into (templates into each language folder of FrontPage).
struct Pass {
    const char* heading;
    std::string source;
    std::vector<Target> targets;
    // The tree as the count listed it.
    KitEntry listed;
};

} // namespace

FileInstaller::FileInstaller(InstallHost& host, LogLine log, InstalledKit kit, RegisterKit registerKit)
    : m_host(host), m_log(std::move(log)), m_kit(std::move(kit)), m_registerKit(std::move(registerKit))
{
}

Outcome FileInstaller::InstallFiles(const FrontPageTarget& target)
{
    m_cancelled = false;
    Outcome outcome = Outcome::Failed;
    if (WaitWhileFrontPageRuns()) {
        m_host.CopyStarting();
        outcome = CopyPasses(target);
    } else if (Stopped()) {
        m_log("User cancelled installation");
        outcome = Outcome::Cancelled;
    }
    m_host.CopyEnding();
    return outcome;
}

Outcome FileInstaller::CopyPasses(const FrontPageTarget& target)
{
    const std::string common = g_commonFolder;
    // The journal numbers the target folders in this order, from 1: the
    // themes folder, then the pages, webs and frames folders of each language.
    std::vector<std::string> roots;
    std::vector<Target> themes, pages, webs, frames;
    auto addRoot = [&roots](const std::string& folder, std::vector<Target>& targets) {
        roots.push_back(folder);
        targets.push_back({folder, (int)roots.size()});
    };
    addRoot(target.themesFolder, themes);
    for (const TemplateFolders& language : target.AllTemplateFolders()) {
        addRoot(language.pages, pages);
        addRoot(language.webs, webs);
        addRoot(language.frames, frames);
    }
    // Version-specific before common, so that a common file replaces its namesake.
    Pass passes[] = {
        {"Copying version-specific themes...", target.versionFolder + "\\themes", themes, {}},
        {"Copying common themes...", common + "\\themes", themes, {}},
        {"Copying version-specific page templates...", target.versionFolder + "\\pages", pages, {}},
        {"Copying common page templates...", common + "\\pages", pages, {}},
        {"Copying version-specific web templates...", target.versionFolder + "\\webs", webs, {}},
        {"Copying common web templates...", common + "\\webs", webs, {}},
        {"Copying version-specific frame templates...", target.versionFolder + "\\frames", frames, {}},
        {"Copying common frame templates...", common + "\\frames", frames, {}},
    };

    m_log("Counting files...");
    m_loopFolder.clear();
    int total = 0;
    for (Pass& pass : passes)
        total += CountFiles(pass.source, pass.listed) * (int)pass.targets.size();
    if (Stopped()) {
        m_log("User cancelled installation");
        return Outcome::Cancelled;
    }
    m_log(Format("Total files = %d", total));

    if (total > 0)
        m_host.ShowProgress(total);

    // The journal is on disk before anything changes.
    if (!CreateDataFolder(m_kit.dataFolder) || !m_journal.Begin(m_kit.dataFolder, roots)) {
        ReportSystemError(IDS_JOURNAL_FAILED, m_kit.dataFolder + "\\" + kJournalFile);
        return Outcome::Failed;
    }

    // The files a pass copied into all its targets, or -1 after a failure or a cancel.
    auto copyPass = [this](const Pass& pass) {
        m_log(pass.heading);
        int files = 0;
        for (const Target& target : pass.targets) {
            m_journalRoot = target.root;
            const int copied = CopyFolder(pass.source, pass.listed, target.folder);
            if (copied < 0)
                return -1;
            files += copied;
        }
        return files;
    };
    bool copied = true;
    int files = 0;
    m_keepAhead = std::make_unique<KeepAhead>(m_journal);
    for (const Pass& pass : passes) {
        const int passFiles = copyPass(pass);
        if (passFiles < 0) {
            copied = false;
            break;
        }
        files += passFiles;
    }
    // Every keep is done, or stopped: the journal is the caller's alone.
    m_keepAhead.reset();
    if (copied) {
        // No file copied (the kit has none for this version): nothing to
        // remove later, so nothing is registered. What was made, empty
        // folders, is taken back with the journal, and the data folder
        // with it unless an earlier installation of the kit keeps it.
        if (files == 0) {
            KeptFiles none;
            m_journal.Undo([](const std::string&) {}, none);
            return Outcome::Installed;
        }
        if (m_journal.End()) {
            Register(target.themesFolder);
            return Outcome::Installed;
        }
        // Left open, the installation would be undone at the next start: it
        // is undone now, while the user sees why.
        ReportSystemError(IDS_JOURNAL_FAILED, m_kit.dataFolder + "\\" + kJournalFile);
    }
    const bool cancelled = Stopped();
    if (cancelled)
        m_log("User cancelled installation");
    UndoInstallation();
    return cancelled ? Outcome::Cancelled : Outcome::Failed;
}

void FileInstaller::Register(const std::string& themesFolder)
{
    // The kit can be removed from Programs and Features. Without that it is
    // still installed, and its journal is kept: the user is told, and the
    // next installation of the kit registers it.
    std::string subject;
    if (!m_registerKit(m_kit, themesFolder, subject))
        ReportSystemError(IDS_REGISTER_FAILED, subject);
}

int FileInstaller::CopyFolder(const std::string& source, const KitEntry& listed, const std::string& target)
{
    // The pass's own folder, then its items, each planned whole before any
    // of it changes.
    std::vector<PlannedEntry> entries;
    if (!PlanFolder(source, listed, target, false, false, entries) || !PlanItems(target, entries, 0))
        return -1;
    return ApplyPlan(target, entries);
}

int FileInstaller::CountFiles(const std::string& source, KitEntry& listed)
{
    m_walkedFolders.push_back({source, 0});
    int count = 0;
    bool missing = false;
    const Listing listing = ListKitFolder(
        source,
        [&](const WIN32_FIND_DATAW& found) {
            // A large kit takes a while: keep the wizard drawn and answering.
            m_host.LetInputIn();
            if (Stopped())
                return false;
            KitEntry& entry = listed.below.emplace_back();
            entry.name = Utf8(found.cFileName);
            entry.attributes = found.dwFileAttributes;
            entry.written = found.ftLastWriteTime;
            if (!entry.IsFolder()) {
                ++count;
                return true;
            }
            const std::string folder = source + "\\" + entry.name;
            // A link in the kit that leads back to a folder being counted would
            // make the walk endless: it is not followed, and the copy, meeting
            // the first such link, reports the kit's fault.
            if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsBack(folder)) {
                if (m_loopFolder.empty())
                    m_loopFolder = folder;
                return true;
            }
            count += CountFiles(folder, entry);
            return true;
        },
        missing);
    if (listing == Listing::Failed && !missing)
        listed.listError = GetLastError();
    m_walkedFolders.pop_back();
    return count;
}

bool FileInstaller::LeadsBack(const std::string& folder)
{
    // The quick file index tells folders apart; the slow full identity is
    // asked for only when two indexes match.
    const ULONGLONG index = FolderIndex(folder);
    if (index == 0)
        return false;
    for (WalkedFolder& walked : m_walkedFolders) {
        if (walked.index == 0)
            walked.index = FolderIndex(walked.path);
        if (walked.index != index)
            continue;
        const std::string identity = FolderIdentity(folder);
        if (!identity.empty() && identity == FolderIdentity(walked.path))
            return true;
    }
    return false;
}

bool FileInstaller::PlanFolder(const std::string& source, const KitEntry& listed, const std::string& target,
                             bool newTarget, bool deep, std::vector<PlannedEntry>& entries)
{
    if (source == m_loopFolder) {
        SetLastError(ERROR_CANT_RESOLVE_FILENAME);
        ReportSystemError(IDS_FOLDER_LOOP, source);
        return false;
    }
    // A folder that is there but could not be listed whole (a path too long,
    // refused) must not pass for empty; one that is not there, or is empty,
    // holds nothing to copy.
    if (listed.listError) {
        SetLastError(*listed.listError);
        ReportSystemError(IDS_FOLDER_READ_FAILED, source);
        return false;
    }
    if (listed.below.empty())
        return true;
    for (const KitEntry& found : listed.below) {
        PlannedEntry entry;
        entry.listed = &found;
        entry.source = source + "\\" + found.name;
        entries.push_back(entry);
    }
    // A large item takes a while to list, too.
    m_host.LetInputIn();
    if (Stopped())
        return false;

    // A folder this installation makes holds nothing yet; any other is
    // listed once, for all its entries.
    FolderContents existing;
    bool targetMissing = false;
    if (!newTarget && !ListFolder(target, existing, targetMissing)) {
        ReportSystemError(IDS_FOLDER_READ_FAILED, target);
        return false;
    }
    std::vector<std::string> missingFolders = targetMissing ? MissingFolders(target) : std::vector<std::string>();
    for (PlannedEntry& entry : entries) {
        const std::string to = target + "\\" + entry.listed->name;
        auto at = existing.find(NameKey(Wide(entry.listed->name)));
        entry.exists = at != existing.end();
        if (entry.listed->IsFolder()) {
            if (entry.exists)
                continue;
            // The first sub-folder made here makes the target folder too.
            for (const std::string& folder : missingFolders)
                m_journal.AddFolder(folder);
            missingFolders.clear();
            m_journal.AddFolder(to);
        } else if (!entry.exists) {
            entry.number = m_journal.AddNewFile(to);
        } else if (!at->second) {
            entry.replace = true;
            entry.number = m_journal.AddReplacedFile(m_journalRoot, to);
        }
        // A folder standing where a file goes is left alone: the copy fails.
    }
    if (!deep)
        return true;
    for (PlannedEntry& entry : entries) {
        if (!entry.listed->IsFolder())
            continue;
        entry.planned = true;
        if (!PlanFolder(entry.source, *entry.listed, target + "\\" + entry.listed->name, newTarget || !entry.exists,
                        true, entry.below))
            return false;
    }
    return true;
}

bool FileInstaller::PlanItems(const std::string& target, std::vector<PlannedEntry>& entries, size_t first)
{
    size_t planned = 0;
    for (size_t i = first; i < entries.size() && planned < kPlanGroup; ++i) {
        PlannedEntry& item = entries[i];
        if (!item.listed->IsFolder() || item.planned)
            continue;
        item.planned = true;
        if (!PlanFolder(item.source, *item.listed, target + "\\" + item.listed->name, !item.exists, true, item.below))
            return false;
        planned += PlannedCount(item.below);
    }
    if (!CommitJournal())
        return false;
    QueueKeeps(target, entries);
    return true;
}

void FileInstaller::QueueKeeps(const std::string& target, std::vector<PlannedEntry>& entries)
{
    for (PlannedEntry& entry : entries) {
        if (entry.listed->IsFolder())
            QueueKeeps(target + "\\" + entry.listed->name, entry.below);
        else if (entry.replace && !entry.keep)
            entry.keep = m_keepAhead->Add(m_journalRoot, target + "\\" + entry.listed->name);
    }
}

int FileInstaller::ApplyPlan(const std::string& target, std::vector<PlannedEntry>& entries)
{
    int count = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        PlannedEntry& entry = entries[i];
        // A large kit takes a while: keep the wizard drawn and answering,
        // and stop between two files when the user asked to.
        m_host.LetInputIn();
        if (Stopped())
            return -1;
        const std::string to = target + "\\" + entry.listed->name;
        if (entry.listed->IsFolder()) {
            if (!entry.planned && !PlanItems(target, entries, i))
                return -1;
            if (!CreateFolder(to))
                return -1;
            int files = ApplyPlan(to, entry.below);
            if (files < 0)
                return -1;
            count += files;
            // What is done needs no plan: memory holds one group at most.
            std::vector<PlannedEntry>().swap(entry.below);
            continue;
        }
        ++count;
        m_host.StepProgress();
        // A replaced file is kept here unless it was kept ahead.
        const bool keptAhead = entry.keep && m_keepAhead->Kept(*entry.keep);
        if (!InstallFile({entry.source, entry.listed->attributes, entry.listed->written}, to,
                         entry.replace && !keptAhead, entry.number))
            return -1;
        m_log("Copied file: " + to);
    }
    return count;
}

bool FileInstaller::CommitJournal()
{
    if (m_journal.Commit())
        return true;
    ReportSystemError(IDS_JOURNAL_FAILED, m_kit.dataFolder + "\\" + kJournalFile);
    return false;
}

bool FileInstaller::InstallFile(const SourceFile& source, const std::string& to, bool replaced, int entry)
{
    bool inUse = false;
    DWORD since = 0;
    for (;;) {
        unsigned long long size = 0;
        std::string digest;
        bool atTarget = true;
        if ((!replaced || m_journal.Keep(m_journalRoot, to)) && CopyAndDigest(source, to, size, digest, atTarget)) {
            // No entry: a folder stood in the file's place when it was listed.
            if (entry > 0)
                m_journal.AddDigest(entry, size, digest);
            return true;
        }
        const DWORD error = GetLastError();
        if (!atTarget || (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)) {
            SetLastError(error);
            ReportSystemError(IDS_COPY_FAILED, to);
            return false;
        }
        // Another program holds the file: the user may close it and try again.
        if (!inUse) {
            m_log("File in use: " + to);
            since = GetTickCount();
        }
        inUse = true;
        const RetryAnswer answer = Logged(m_host.AskRetryFileInUse(to, since));
        // The cancel command may have been answered Yes while the question was open.
        if (answer == RetryAnswer::Retry && !Stopped())
            continue;
        if (answer == RetryAnswer::GiveUp && !Stopped()) {
            SetLastError(error);
            ReportSystemError(IDS_COPY_FAILED, to);
            return false;
        }
        m_cancelled = true;
        return false;
    }
}

bool FileInstaller::WaitWhileFrontPageRuns()
{
    const char program[] = "frontpg.exe";
    if (!IsProgramRunning(program))
        return true;
    m_log("FrontPage is running");
    const DWORD since = GetTickCount();
    do {
        const RetryAnswer answer = Logged(m_host.AskRetryFrontPageRunning(since));
        if (answer == RetryAnswer::Cancel)
            m_cancelled = true;
        if (answer != RetryAnswer::Retry || Stopped())
            return false;
    } while (IsProgramRunning(program));
    return true;
}

RetryAnswer FileInstaller::Logged(RetryAnswer answer)
{
    if (answer == RetryAnswer::GiveUp)
        m_log("Gave up waiting");
    return answer;
}

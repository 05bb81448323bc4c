// The file installation: the kit's eight source trees counted, then copied into
// the target folders with the progress bar stepping once per file.
#include "app/InstallDlg.h"

#include <winternl.h>

#include "frontpage/Registry.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/Strings.h"
#include "win/SystemLibrary.h"
#include "win/Unicode.h"
#include "win/WaitCursor.h"

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

// The size and time of the file at `path`, or all zero when there is none.
struct FileStamp {
    DWORD sizeLow = 0, sizeHigh = 0;
    FILETIME written = {};
    bool exists = false;

    explicit FileStamp(const std::string& path)
    {
        std::wstring wide;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!SystemPath(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
            return;
        exists = true;
        sizeLow = data.nFileSizeLow;
        sizeHigh = data.nFileSizeHigh;
        written = data.ftLastWriteTime;
    }
    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && sizeLow == other.sizeLow && sizeHigh == other.sizeHigh &&
               CompareFileTime(&written, &other.written) == 0;
    }
};

// Copies `from` over `to`. A copy that fails after it began to write (a full
// disk) leaves no half-written file behind under the target's name; a target
// the copy never touched (it could not be opened) stays as it was. The last
// error tells why a copy failed.
bool CopyWholeFile(const std::string& from, const std::string& to)
{
    std::wstring wideFrom, wideTo;
    if (!SystemPath(from, wideFrom) || !SystemPath(to, wideTo))
        return false;
    FileStamp before(to);
    if (CopyFileW(wideFrom.c_str(), wideTo.c_str(), FALSE))
        return true;
    DWORD error = GetLastError();
    FileStamp after(to);
    if (after.exists && !(after == before))
        DeleteFileW(wideTo.c_str());
    SetLastError(error);
    return false;
}

// One copy pass: a kit tree, relative to the kit, and the folder it goes into.
struct Pass {
    const char* heading;
    std::string source;
    std::string target;
};

} // namespace

bool CInstallDlg::InstallFiles()
{
    const std::string common = g_commonFolder;
    // Version-specific before common, so that a common file replaces its namesake.
    const Pass passes[] = {
        {"Copying version-specific themes...", m_versionFolder + "\\themes", m_themesFolder},
        {"Copying common themes...", common + "\\themes", m_themesFolder},
        {"Copying version-specific page templates...", m_versionFolder + "\\pages", m_pagesFolder},
        {"Copying common page templates...", common + "\\pages", m_pagesFolder},
        {"Copying version-specific web templates...", m_versionFolder + "\\webs", m_websFolder},
        {"Copying common web templates...", common + "\\webs", m_websFolder},
        {"Copying version-specific frame templates...", m_versionFolder + "\\frames", m_framesFolder},
        {"Copying common frame templates...", common + "\\frames", m_framesFolder},
    };

    WaitCursor wait;
    SetStatusText(IDS_COPYING);
    WriteLog("Counting files...");
    int total = 0;
    for (const Pass& pass : passes)
        total += CopyFolder(pass.source, pass.target, false);
    WriteLog(Format("Total files = %d", total));

    if (total > 0) {
        // The whole total as the range, so a kit of more than 65535 files
        // still fills the bar exactly once.
        m_progress.SetRange(total);
        m_progress.SetStep(1);
        m_progress.SetPos(0);
        m_progress.Show(true);
        // Moved at every file, the bar would repaint at every file, which
        // takes about as long as copying it.
        m_progress.SetQuiet(true);
    }

    bool copied = true;
    for (const Pass& pass : passes) {
        WriteLog(pass.heading);
        if (CopyFolder(pass.source, pass.target, true) < 0) {
            copied = false;
            break;
        }
    }
    m_progress.SetQuiet(false);
    return copied;
}

int CInstallDlg::CopyFolder(std::string source, std::string target, bool copy)
{
    WIN32_FIND_DATAW entry;
    std::wstring pattern;
    ScopedFind find(SystemPath(source + "\\*.*", pattern) ? FindFirstFileW(pattern.c_str(), &entry)
                                                           : INVALID_HANDLE_VALUE);
    if (!find.IsValid()) {
        // A folder that is not there holds nothing to copy; one that is there
        // but cannot be listed (a path too long, refused) must not pass for empty.
        DWORD error = GetLastError();
        if (!copy || ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !PathExists(source)))
            return 0;
        SetLastError(error);
        ReportSystemError("Failed to read folder:", source);
        return -1;
    }

    // A link in the kit that leads back to a folder being copied would make
    // the walk endless: in copying mode the kit is at fault, in counting mode
    // the loop is simply not followed. The quick file index tells folders
    // apart; the slow full identity is asked for only when two indexes match.
    const ULONGLONG index = FolderIndex(source);
    for (const WalkedFolder& walked : m_walkedFolders) {
        if (index == 0 || walked.index != index)
            continue;
        std::string identity = FolderIdentity(source);
        if (identity.empty() || identity != FolderIdentity(walked.path))
            continue;
        if (!copy)
            return 0;
        SetLastError(ERROR_CANT_RESOLVE_FILENAME);
        ReportSystemError("Folder loop in kit:", source);
        return -1;
    }
    m_walkedFolders.push_back({source, index});
    int count = CopyEntries(find.Get(), entry, source, target, copy);
    m_walkedFolders.pop_back();
    return count;
}

int CInstallDlg::CopyEntries(HANDLE find, WIN32_FIND_DATAW& entry, const std::string& source, const std::string& target,
                             bool copy)
{
    int count = 0;
    do {
        std::string name = Utf8(entry.cFileName);
        if (name == "." || name == "..")
            continue;
        // A large kit takes a while: keep the wizard drawn and answering.
        m_pendingMessages.Dispatch();
        std::string from = source + "\\" + name;
        std::string to = target + "\\" + name;

        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (copy && !CreateFolder(to))
                return -1;
            int files = CopyFolder(from, to, copy);
            if (files < 0)
                return -1;
            count += files;
            continue;
        }

        ++count;
        if (!copy)
            continue;
        m_progress.StepIt();
        if (!CopyWholeFile(from, to)) {
            ReportSystemError("File copy failed:", to);
            return -1;
        }
        WriteLog("Copied file: " + to);
    } while (FindNextFileW(find, &entry));
    return count;
}

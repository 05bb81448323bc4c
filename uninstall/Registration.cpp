#include "uninstall/Registration.h"

#include <windows.h>

#include <map>

#include "journal/JournalFile.h"
#include "pack/FileStreams.h"
#include "pack/ProgramImage.h"
#include "res/resource.h"
#include "win/Handle.h"
#include "win/Strings.h"
#include "win/Unicode.h"

const char kRemovalProgram[] = "fernwick.exe";

namespace {

// Below HKEY_LOCAL_MACHINE. A 32-bit program reaches the 32-bit view by
// itself on 64-bit Windows, the view the list shows 32-bit programs from.
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Writes the image of `program` to `target`, under a name of its own
// first: an older copy stays whole until the new one is.
bool CopyProgram(const std::string& program, const std::string& target)
{
    ScopedFile source(CreateFileW(Wide(program).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.IsValid())
        return false;
    const std::string copying = target + ".new";
    ScopedFile out(CreateFileW(Wide(copying).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.IsValid())
        return false;
    FileWriter writer(out.Get());
    bool readFailed = false;
    bool copied = CopyProgramImage(source.Get(), writer, readFailed) && writer.Flush() &&
                  FlushFileBuffers(out.Get());
    DWORD error = GetLastError();
    out.Reset();
    if (copied && MoveFileExW(Wide(copying).c_str(), Wide(target).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (copied)
        error = GetLastError();
    DeleteFileW(Wide(copying).c_str());
    SetLastError(error);
    return false;
}

// The kilobytes of the files the kit's installations left in place, each
// file once, as its last installation left it.
DWORD InstalledKilobytes(const std::string& dataFolder)
{
    ScopedFile file(OpenJournal(dataFolder, JournalAccess::Read));
    JournalContents contents;
    if (!file.IsValid() || !ReadJournal(file.Get(), contents))
        return 0;
    std::map<std::string, unsigned long long> sizes;
    for (const JournalSession& session : contents.sessions) {
        for (const JournalEntry& entry : session.entries) {
            if (entry.hasDigest)
                sizes[ToLower(entry.path)] = entry.size;
        }
    }
    unsigned long long bytes = 0;
    for (const auto& size : sizes)
        bytes += size.second;
    return (DWORD)((bytes + 1023) / 1024);
}

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Format("%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
}

bool SetString(HKEY key, const char* name, const std::string& value)
{
    const std::wstring text = Wide(value);
    LONG status = RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ, (const BYTE*)text.c_str(),
                                 (DWORD)((text.size() + 1) * sizeof(wchar_t)));
    SetLastError((DWORD)status);
    return status == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char* name, DWORD value)
{
    LONG status = RegSetValueExW(key, Wide(name).c_str(), 0, REG_DWORD, (const BYTE*)&value, sizeof value);
    SetLastError((DWORD)status);
    return status == ERROR_SUCCESS;
}

} // namespace

std::string RemovalKeyName(const std::string& kitId)
{
    return "Fernwick " + kitId;
}

std::string RemovalKeyPath(const std::string& kitId)
{
    return kUninstallKey + RemovalKeyName(kitId);
}

bool RegisterForRemoval(const KitRegistration& kit, std::string& subject)
{
    const std::string program = kit.dataFolder + "\\" + kRemovalProgram;
    subject = program;
    if (!CopyProgram(kit.program, program))
        return false;
    subject = kit.dataFolder + "\\" + kJournalFile;
    // A name is one line of the journal, its fields split by tabs.
    std::string name = kit.kitName;
    for (char& c : name) {
        if (c == '\t')
            c = ' ';
    }
    if (!AppendJournalRecord(kit.dataFolder, {kRecordKitName, name}))
        return false;

    const std::string keyName = RemovalKeyName(kit.kitId);
    subject = "HKEY_LOCAL_MACHINE\\" + RemovalKeyPath(kit.kitId);
    HKEY opened = nullptr;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(kUninstallKey + keyName).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) {
        SetLastError((DWORD)status);
        return false;
    }
    ScopedKey key(opened);
    const std::string command = "\"" + program + "\" /UNINSTALL";
    // The name last: the list shows no entry without one, so an entry cut
    // short while it is written is never shown, nor run.
    const bool written =
        SetString(key.get(), "UninstallString", command) &&
        SetString(key.get(), "QuietUninstallString", command + " /VERYSILENT") &&
        SetString(key.get(), "DisplayIcon", program + ",0") &&
        SetString(key.get(), "Publisher", LoadResString(IDS_VENDOR)) &&
        SetString(key.get(), "InstallDate", Today()) &&
        SetNumber(key.get(), "EstimatedSize", InstalledKilobytes(kit.dataFolder)) &&
        SetNumber(key.get(), "NoModify", 1) && SetNumber(key.get(), "NoRepair", 1) &&
        SetString(key.get(), "InstallLocation", kit.themesFolder) &&
        SetString(key.get(), "DisplayName", Format(LoadResString(IDS_DISPLAY_NAME).c_str(), kit.kitName.c_str()));
    if (written)
        return true;
    // An entry without all its values would show, or run, something wrong.
    DWORD error = GetLastError();
    key.reset();
    RemoveRegistration(kit.kitId);
    SetLastError(error);
    return false;
}

bool RemoveRegistration(const std::string& kitId)
{
    LONG status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(RemovalKeyPath(kitId)).c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        return true;
    SetLastError((DWORD)status);
    return false;
}

bool CanRemoveRegistration(const std::string& kitId)
{
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(RemovalKeyPath(kitId)).c_str(), 0, DELETE, &opened);
    ScopedKey key(opened);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        return true;
    SetLastError((DWORD)status);
    return false;
}

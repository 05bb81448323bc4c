#include "run/InstallRun.h"

#include <windows.h>

#include "kit/KitFolder.h"
#include "res/resource.h"
#include "win/ProcessPaths.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

// The full path of `path`, relative to the current folder; empty when it has none.
std::string FullPath(const std::string& path)
{
    std::wstring wide = Wide(path);
    DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return std::string();
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(wide.c_str(), length, &full[0], nullptr);
    return length > 0 && length < full.size() ? Utf8(full.c_str(), length) : std::string();
}

} // namespace

InstallRun::InstallRun(const std::string& arguments)
{
    ParseCommandLine(arguments, m_line, m_fault);
    // Before /KIT changes the current folder, which the files' names are relative to.
    MakeFull(m_line.logFile, "/LOG=");
    MakeFull(m_line.packOutput, "/OUT=");
}

void InstallRun::MakeFull(std::string& path, const char* word)
{
    if (path.empty())
        return;
    std::string full = FullPath(path);
    if (full.empty() && m_fault.empty())
        m_fault = word + path;
    path = full;
}

bool InstallRun::EnterKitFolder()
{
    if (m_line.kitFolder.empty())
        return true;
    if (!SetCurrentDirectoryW(Wide(m_line.kitFolder).c_str())) {
        m_fault = "/KIT=" + m_line.kitFolder;
        return false;
    }
    // The usual slip: the folder above the kit's, or an empty one. Installed
    // as a kit, it would copy nothing and still end as a success.
    const std::string folder = CurrentFolderPath();
    if (HoldsKit(folder))
        return true;
    m_fault = "/KIT=" + m_line.kitFolder;
    m_faultDetail = FormatMessageText(IDS_NOT_A_KIT, folder.c_str());
    return false;
}

void InstallRun::End(Outcome outcome)
{
    m_outcome = outcome;
    m_ended = true;
}

int InstallRun::ExitCode() const
{
    if (!m_ended)
        return kExitFailed;
    switch (m_outcome) {
    case Outcome::Installed:
        return kExitInstalled;
    case Outcome::Cancelled:
        return m_copyStarted ? kExitCopyCancelled : kExitCancelled;
    case Outcome::Failed:
        break;
    }
    return m_copyStarted ? kExitCopyFailed : kExitFailed;
}

// The file installation: the kit's eight source trees counted, then copied into
// the target folders with the progress bar stepping once per file.
#include "app/InstallDlg.h"
#include "frontpage/Registry.h"
#include "res/resource.h"
#include "win/Strings.h"
#include "win/WaitCursor.h"

namespace {

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
    }

    for (const Pass& pass : passes) {
        WriteLog(pass.heading);
        if (CopyFolder(pass.source, pass.target, true) < 0)
            return false;
    }
    return true;
}

int CInstallDlg::CopyFolder(std::string source, std::string target, bool copy)
{
    WIN32_FIND_DATAA entry;
    ScopedFind find(FindFirstFileA((source + "\\*.*").c_str(), &entry));
    if (!find.IsValid())
        return 0;

    int count = 0;
    do {
        std::string name = entry.cFileName;
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
        if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
            ReportSystemError("File copy failed:", to);
            return -1;
        }
        WriteLog("Copied file: " + to);
    } while (FindNextFileA(find.Get(), &entry));
    return count;
}

// The kit check at the first "Next >": the scan of both roots, the summary and its log lines.
#include "app/InstallDlg.h"
#include "frontpage/Registry.h"
#include "res/resource.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

namespace {

// The summary's list of template names after its label, ending in a line
// feed. Logs `prefix` with each name, or `none` when there is no name.
std::string TemplateList(CInstallDlg& wizard, const std::vector<std::string>& names, const char* none,
                         const char* prefix)
{
    if (names.empty()) {
        wizard.WriteLog(none);
        return LoadResString(IDS_SUMMARY_NONE);
    }
    std::string list;
    for (const std::string& name : names) {
        if (!list.empty())
            list += ", ";
        list += name;
        wizard.WriteLog(prefix + name);
    }
    return list + "\n";
}

} // namespace

bool CInstallDlg::CheckKit()
{
    WriteLog("Checking kit for items to install...");
    // "common" is not scanned when the version's own root is already at fault.
    if (!ScanKit(m_versionFolder) || !ScanKit(g_commonFolder)) {
        ShowMessage(IDS_KIT_ERROR, MB_OK | MB_ICONSTOP);
        WriteLog("Error in kit");
        return false;
    }

    std::string summary = LoadResString(IDS_SUMMARY_THEMES);
    if (m_themes.empty()) {
        summary += LoadResString(IDS_SUMMARY_NONE);
        WriteLog("No theme to install");
    }
    for (size_t i = 0; i < m_themes.size(); ++i) {
        const std::string title = m_themes[i]->GetTitle();
        const double version = m_themes[i]->GetVersion();
        if (i > 0)
            summary += "\t\t";
        summary += Format(LoadResString(IDS_SUMMARY_THEME).c_str(), title.c_str(), version) + "\n";
        WriteLog(Format("Will install theme %s\tVersion %g", title.c_str(), version));
    }
    summary += LoadResString(IDS_SUMMARY_PAGES) +
               TemplateList(*this, m_pageTemplates, "No page template to install", "Will install page template ");
    summary += LoadResString(IDS_SUMMARY_WEBS) +
               TemplateList(*this, m_webTemplates, "No web template to install", "Will install web template ");
    summary += LoadResString(IDS_SUMMARY_FRAMES) +
               TemplateList(*this, m_frameTemplates, "No frame template to install", "Will install frame template ");
    SetStatusText(summary);
    return true;
}

#include "kit/KitCheck.h"

#include "kit/KitRoot.h"
#include "res/resource.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

namespace {

// The summary's list of template names after its label, ending in a line
// feed. Logs `prefix` with each name, or `none` when there is no name.
std::string TemplateList(const LogLine& log, const std::vector<std::string>& names, const char* none,
                         const char* prefix)
{
    if (names.empty()) {
        log(none);
        return LoadResString(IDS_SUMMARY_NONE);
    }
    std::string list;
    for (const std::string& name : names) {
        if (!list.empty())
            list += ", ";
        list += name;
        log(prefix + name);
    }
    return list + "\n";
}

} // namespace

std::optional<KitContents> CheckKit(const std::string& versionRoot, const LogLine& log)
{
    log("Checking kit for items to install...");
    KitContents kit = ScanKit({versionRoot, g_commonFolder});
    if (!kit.readable) {
        ShowMessage(IDS_KIT_ERROR, MB_OK | MB_ICONSTOP);
        log("Error in kit");
        return std::nullopt;
    }
    return kit;
}

std::string KitSummary(const KitContents& kit, const LogLine& log)
{

    std::string summary = LoadResString(IDS_SUMMARY_THEMES);
    if (kit.themes.empty()) {
        summary += LoadResString(IDS_SUMMARY_NONE);
        log("No theme to install");
    }
    for (size_t i = 0; i < kit.themes.size(); ++i) {
        const std::string title = kit.themes[i].GetTitle();
        const double version = kit.themes[i].GetVersion();
        if (i > 0)
            summary += "\t\t";
        summary += Format(LoadResString(IDS_SUMMARY_THEME).c_str(), title.c_str(), version) + "\n";
        log(Format("Will install theme %s\tVersion %g", title.c_str(), version));
    }
    summary += LoadResString(IDS_SUMMARY_PAGES) +
               TemplateList(log, kit.pageTemplates, "No page template to install", "Will install page template ");
    summary += LoadResString(IDS_SUMMARY_WEBS) +
               TemplateList(log, kit.webTemplates, "No web template to install", "Will install web template ");
    summary += LoadResString(IDS_SUMMARY_FRAMES) +
               TemplateList(log, kit.frameTemplates, "No frame template to install", "Will install frame template ");
    return summary;
}

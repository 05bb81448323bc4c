// Finds the installed FrontPage versions, settles the one to install for and
// works out where each kind of kit item goes.
#include "app/InstallDlg.h"
#include "frontpage/Folders2003.h"
#include "frontpage/Registry.h"
#include "frontpage/WizardsIni.h"
#include "kit/KitRoot.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

namespace {

// A FrontPage installation is present when its folder holds an entry named bots.
bool HasBots(const std::string& folder)
{
    return PathExists(folder + "\\bots");
}

// FrontPage 2003 is installed when its program lies in the Office folder.
bool HasProgram(const std::string& folder)
{
    return FileExists(folder + "\\frontpg.exe");
}

// FrontPage 2000, 2002 and 2003 keep their templates in "templates\<LCID>\"
// beside their installation folder; "templates" alone when `root` has no backslash.
std::string TemplatesFolder(const std::string& root)
{
    size_t slash = root.rfind('\\');
    std::string parent = slash == std::string::npos ? std::string() : root.substr(0, slash + 1);
    return parent + "templates";
}

// `path` with its first character, the drive letter, made C; a whole
// character, whatever its length in UTF-8.
std::string OnDriveC(const std::string& path)
{
    size_t next = 1;
    while (next < path.size() && ((unsigned char)path[next] & 0xC0) == 0x80)
        ++next;
    return "C" + path.substr(next);
}

// "98", "2000", "2002" or "2003", as the log names the versions.
const char* VersionName(FrontPageVersion version)
{
    switch (version) {
    case FP2000:
        return "2000";
    case FP2002:
        return "2002";
    case FP2003:
        return "2003";
    default:
        return "98";
    }
}

// The registry key of the languages of an Office version.
const char* LanguageKey(FrontPageVersion version)
{
    switch (version) {
    case FP2000:
        return g_regOffice2000Languages;
    case FP2002:
        return g_regOffice2002Languages;
    default:
        return g_regOffice2003Languages;
    }
}

// How the log tells where a template language was found.
const char* LanguageSource(LanguageFrom from)
{
    switch (from) {
    case LanguageFrom::Installation:
        return "the installation's language";
    case LanguageFrom::OnlyFolder:
        return "the only language folder";
    case LanguageFrom::EveryFolder:
        return "one of the language folders";
    default:
        return "the default";
    }
}

// FrontPage 98 reads the templates of key `key` from the folder frontpg.ini
// (`ini`) names, when it names one; `folder` becomes that folder.
void MoveByWizardsIni(CInstallDlg& wizard, const std::string& ini, const char* key, std::string& folder)
{
    const std::string moved = WizardsDir(ini, key);
    if (moved.empty())
        return;
    if (!IsFullPath(moved) || !FolderExists(moved)) {
        wizard.WriteLog(Format("Ignored in %s, not a folder: %s=%s", ini.c_str(), key, moved.c_str()));
        return;
    }
    wizard.WriteLog(Format("Templates moved by %s: %s=%s", ini.c_str(), key, moved.c_str()));
    folder = moved;
}

bool Failed()
{
    ShowMessage(IDS_INSTALL_FAILED, MB_OK | MB_ICONSTOP);
    return false;
}

} // namespace

bool CInstallDlg::CheckFrontPage()
{
    WriteLog("Checking FrontPage installation...");
    SetStatusText(IDS_SEARCHING);
    m_currentVersion = FPNone;

    std::string root98;
    bool read98 = ReadRegistryString(g_regFrontPage98, g_regFrontPageRoot, root98);
    // The user has just been told that the registry is closed to them.
    if (!read98 && root98 == "fatal")
        return false;
    // A FrontPage 98 root counts even without its bots entry.
    int count = read98 ? 1 : 0;
    m_found98 = read98 && HasBots(root98);

    std::string current;
    const bool readCurrent = ReadRegistryString(g_regFrontPageAppPath, g_regPath, current);

    std::string root2000;
    m_found2000 = ReadRegistryString(g_regOffice2000Root, g_regPath, root2000) && HasBots(root2000);
    if (m_found2000)
        ++count;

    std::string root2002;
    m_found2002 = ReadRegistryString(g_regOffice2002Root, g_regPath, root2002) && HasBots(root2002);
    if (m_found2002)
        ++count;

    std::string root2003;
    m_found2003 = ReadRegistryString(g_regOffice2003Root, g_regPath, root2003) && HasProgram(root2003);
    if (m_found2003)
        ++count;

    // The registered program's folder, known by what tells its version.
    m_foundCurrent = readCurrent && (HasBots(current) || (EqualNoCase(current, root2003) && HasProgram(current)));

    if (count == 0) {
        WriteLog("No FrontPage installation found");
        return Failed();
    }

    // The default is the last version these steps settle: 2003, else 2002,
    // else 2000, else the registered program's, else 98.
    if (m_found98) {
        m_version = FP98;
        WriteLog("FrontPage 98 found in " + root98);
    }
    if (m_foundCurrent) {
        WriteLog("FrontPage Current Version found in " + current);
        if (EqualNoCase(current, root2000)) {
            m_version = m_currentVersion = FP2000;
            WriteLog("Current version is FrontPage 2000");
        } else if (EqualNoCase(current, root2002)) {
            m_version = m_currentVersion = FP2002;
            WriteLog("Current version is FrontPage 2002");
        } else if (EqualNoCase(current, root2003)) {
            m_version = m_currentVersion = FP2003;
            WriteLog("Current version is FrontPage 2003");
        }
    }
    if (m_found2000) {
        m_version = FP2000;
        WriteLog("FrontPage 2000 found in " + root2000);
    }
    if (m_found2002) {
        m_version = FP2002;
        WriteLog("FrontPage 2002 found in " + root2002);
    }
    if (m_found2003) {
        m_version = FP2003;
        WriteLog("FrontPage 2003 found in " + root2003);
    }

    // The command line's version takes the place of the choice, which an
    // unattended run leaves at what the choice would have offered.
    const FrontPageVersion wanted = m_run.Line().version;
    if (wanted != FPNone) {
        // As it counts above, a FrontPage 98 root is an installation even without its bots entry.
        bool installed = wanted == FP98     ? read98
                         : wanted == FP2000 ? m_found2000
                         : wanted == FP2002 ? m_found2002
                                            : m_found2003;
        if (!installed) {
            WriteLog(Format("FrontPage %s is not installed", VersionName(wanted)));
            return Failed();
        }
        m_version = wanted;
        WriteLog(Format("Command line chose to install for FrontPage %s", VersionName(wanted)));
    } else if (count >= 2 && m_run.IsUnattended()) {
        if (m_currentVersion != FPNone)
            m_version = m_currentVersion;
        WriteLog(Format("Unattended run chose to install for FrontPage %s, the default", VersionName(m_version)));
    } else if (count >= 2) {
        ChooseVersion();
    }

    UINT installingId;
    switch (m_version) {
    case FP2000:
        m_frontPageFolder = root2000;
        installingId = IDS_INSTALLING_FP2000;
        break;
    case FP2002:
        m_frontPageFolder = root2002;
        installingId = IDS_INSTALLING_FP2002;
        break;
    case FP2003:
        m_frontPageFolder = root2003;
        installingId = IDS_INSTALLING_FP2003;
        break;
    default:
        m_frontPageFolder = root98;
        installingId = IDS_INSTALLING_FP98;
        break;
    }

    m_versionFolder = VersionRoot(m_version);
    if (m_version == FP98) {
        m_themesFolder = m_frontPageFolder + "\\themes";
        m_pagesFolder = m_frontPageFolder + "\\pages";
        m_websFolder = m_frontPageFolder + "\\webs";
        m_framesFolder = m_frontPageFolder + "\\frames";
        if (!m_windowsFolder.empty()) {
            const std::string ini = WizardsIniPath(m_windowsFolder);
            MoveByWizardsIni(*this, ini, kPageWizardsDir, m_pagesFolder);
            MoveByWizardsIni(*this, ini, kWebWizardsDir, m_websFolder);
        }
    } else {
        std::string commonFiles;
        if (!ReadRegistryString(g_regCurrentVersion, g_regCommonFilesDir, commonFiles)) {
            WriteLog("Failed to get Common Files directory from Registry");
            return Failed();
        }
        m_themesFolder = m_version == FP2003 ? Folder2003(Kind2003::Themes, commonFiles + "\\Microsoft Shared")
                                             : commonFiles + g_sharedThemes;
        const std::string templates = TemplatesFolder(m_frontPageFolder);
        size_t colon = templates.find(':');
        if (colon == std::string::npos) {
            WriteLog("Page path has invalid format");
            return Failed();
        }

        // English alone, as the wizard always had it, goes without saying.
        const TemplateLanguages languages = FindTemplateLanguages(LanguageKey(m_version), templates);
        if (languages.lcids != std::vector<std::string>{kDefaultLanguage}) {
            for (const std::string& lcid : languages.lcids)
                WriteLog(Format("Template language: %s (%s)", lcid.c_str(), LanguageSource(languages.from)));
        }
        std::vector<TemplateFolders> folders;
        for (const std::string& lcid : languages.lcids) {
            const std::string base = templates + "\\" + lcid;
            folders.push_back({m_version == FP2003 ? Folder2003(Kind2003::Pages, base) : base + "\\pages",
                               base + "\\webs", base + "\\frames"});
        }

        // FrontPage 2000 and later look for their templates on drive C,
        // whatever drive they are installed on, once that folder exists there.
        const std::string drive = templates.substr(0, colon);
        bool movedToC = false;
        for (TemplateFolders& language : folders) {
            if (EqualNoCase(drive, "C") || !PathExists(OnDriveC(language.pages)))
                continue;
            if (!movedToC)
                WriteLog(Format("FrontPage is installed on %s drive, but templates must be installed on C drive.",
                                drive.c_str()));
            movedToC = true;
            language = {OnDriveC(language.pages), OnDriveC(language.webs), OnDriveC(language.frames)};
        }
        m_pagesFolder = folders[0].pages;
        m_websFolder = folders[0].webs;
        m_framesFolder = folders[0].frames;
        m_moreTemplateFolders.assign(folders.begin() + 1, folders.end());
    }

    WriteLog(LoadLogString(installingId));
    WriteLog("Themes will be installed in " + m_themesFolder);
    const std::vector<TemplateFolders> templateFolders = AllTemplateFolders();
    for (const TemplateFolders& language : templateFolders)
        WriteLog("Page templates will be installed in " + language.pages);
    for (const TemplateFolders& language : templateFolders)
        WriteLog("Web templates will be installed in " + language.webs);
    for (const TemplateFolders& language : templateFolders)
        WriteLog("Frame templates will be installed in " + language.frames);
    return true;
}

std::vector<TemplateFolders> CInstallDlg::AllTemplateFolders() const
{
    std::vector<TemplateFolders> all = {{m_pagesFolder, m_websFolder, m_framesFolder}};
    all.insert(all.end(), m_moreTemplateFolders.begin(), m_moreTemplateFolders.end());
    return all;
}

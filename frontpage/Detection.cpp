// Finds the installed FrontPage versions, settles the one to install for and
// works out where each kind of kit item goes.
#include "app/InstallDlg.h"
#include "frontpage/Registry.h"
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

// FrontPage 2000 and 2002 keep their templates in "templates\1033\" beside
// their installation folder; empty before "templates" when `root` has no backslash.
std::string TemplateBase(const std::string& root)
{
    size_t slash = root.rfind('\\');
    std::string parent = slash == std::string::npos ? std::string() : root.substr(0, slash + 1);
    return parent + "templates\\1033\\";
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

// "98", "2000" or "2002", as the log names the versions.
const char* VersionName(FrontPageVersion version)
{
    switch (version) {
    case FP2000:
        return "2000";
    case FP2002:
        return "2002";
    default:
        return "98";
    }
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
    m_foundCurrent = ReadRegistryString(g_regFrontPageAppPath, g_regPath, current) && HasBots(current);

    std::string root2000;
    m_found2000 = ReadRegistryString(g_regOffice2000Root, g_regPath, root2000) && HasBots(root2000);
    if (m_found2000)
        ++count;

    std::string root2002;
    m_found2002 = ReadRegistryString(g_regOffice2002Root, g_regPath, root2002) && HasBots(root2002);
    if (m_found2002)
        ++count;

    if (count == 0) {
        WriteLog("No FrontPage installation found");
        return Failed();
    }

    // The default is the last version these steps settle: 2002, else 2000,
    // else the registered program's, else 98.
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

    // The command line's version takes the place of the choice, which an
    // unattended run leaves at what the choice would have offered.
    const FrontPageVersion wanted = m_run.Line().version;
    if (wanted != FPNone) {
        // As it counts above, a FrontPage 98 root is an installation even without its bots entry.
        bool installed = wanted == FP98 ? read98 : wanted == FP2000 ? m_found2000 : m_found2002;
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
    default:
        m_frontPageFolder = root98;
        installingId = IDS_INSTALLING_FP98;
        break;
    }

    if (m_version == FP2000 || m_version == FP2002) {
        m_versionFolder = "fp2000";
        std::string commonFiles;
        if (!ReadRegistryString(g_regCurrentVersion, g_regCommonFilesDir, commonFiles)) {
            WriteLog("Failed to get Common Files directory from Registry");
            return Failed();
        }
        m_themesFolder = commonFiles + g_sharedThemes;
        std::string base = TemplateBase(m_frontPageFolder);
        m_pagesFolder = base + "pages";
        m_websFolder = base + "webs";
        m_framesFolder = base + "frames";

        // FrontPage 2000 and 2002 look for their templates on drive C, whatever
        // drive they are installed on, once that folder exists there.
        size_t colon = m_pagesFolder.find(':');
        if (colon == std::string::npos) {
            WriteLog("Page path has invalid format");
            return Failed();
        }
        std::string drive = m_pagesFolder.substr(0, colon);
        if (!EqualNoCase(drive, "C") && PathExists(OnDriveC(m_pagesFolder))) {
            WriteLog(Format("FrontPage is installed on %s drive, but templates must be installed on C drive.",
                            drive.c_str()));
            m_pagesFolder = OnDriveC(m_pagesFolder);
            m_websFolder = OnDriveC(m_websFolder);
            m_framesFolder = OnDriveC(m_framesFolder);
        }
    } else {
        m_versionFolder = "fp98";
        m_themesFolder = m_frontPageFolder + "\\themes";
        m_pagesFolder = m_frontPageFolder + "\\pages";
        m_websFolder = m_frontPageFolder + "\\webs";
        m_framesFolder = m_frontPageFolder + "\\frames";
    }

    WriteLog(LoadLogString(installingId));
    WriteLog("Themes will be installed in " + m_themesFolder);
    WriteLog("Page templates will be installed in " + m_pagesFolder);
    WriteLog("Web templates will be installed in " + m_websFolder);
    WriteLog("Frame templates will be installed in " + m_framesFolder);
    return true;
}

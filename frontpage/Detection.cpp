#include "frontpage/Detection.h"

#include "frontpage/Folders2003.h"
#include "frontpage/Registry.h"
#include "frontpage/WizardsIni.h"
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
void MoveByWizardsIni(const LogLine& log, const std::string& ini, const char* key, std::string& folder)
{
    const std::string moved = WizardsDir(ini, key);
    if (moved.empty())
        return;
    if (!IsFullPath(moved) || !FolderExists(moved)) {
        log(Format("Ignored in %s, not a folder: %s=%s", ini.c_str(), key, moved.c_str()));
        return;
    }
    log(Format("Templates moved by %s: %s=%s", ini.c_str(), key, moved.c_str()));
    folder = moved;
}

// Reads a string value as ReadRegistryString does: true when one was read.
bool Read(const std::string& key, const std::string& valueName, std::string& out)
{
    return ReadRegistryString(key, valueName, out) == RegistryRead::Read;
}

std::optional<FrontPageTarget> Failed()
{
    ShowMessage(IDS_INSTALL_FAILED, MB_OK | MB_ICONSTOP);
    return std::nullopt;
}

} // namespace

std::optional<FrontPageTarget> CheckFrontPage(const DetectionRequest& request)
{
    const LogLine& log = request.log;
    log("Checking FrontPage installation...");
    FoundVersions found;
    FrontPageTarget target;

    std::string root98;
    const RegistryRead status98 = ReadRegistryString(g_regFrontPage98, g_regFrontPageRoot, root98);
    // The user has just been told that the registry is closed to them.
    if (status98 == RegistryRead::Refused)
        return std::nullopt;
    const bool read98 = status98 == RegistryRead::Read;
    // A FrontPage 98 root counts even without its bots entry.
    int count = read98 ? 1 : 0;
    found.found98 = read98 && HasBots(root98);

    std::string current;
    const bool readCurrent = Read(g_regFrontPageAppPath, g_regPath, current);

    std::string root2000;
    found.found2000 = Read(g_regOffice2000Root, g_regPath, root2000) && HasBots(root2000);
    if (found.found2000)
        ++count;

    std::string root2002;
    found.found2002 = Read(g_regOffice2002Root, g_regPath, root2002) && HasBots(root2002);
    if (found.found2002)
        ++count;

    std::string root2003;
    found.found2003 = Read(g_regOffice2003Root, g_regPath, root2003) && HasProgram(root2003);
    if (found.found2003)
        ++count;

    // The registered program's folder, known by what tells its version.
    const bool foundCurrent =
        readCurrent && (HasBots(current) || (EqualNoCase(current, root2003) && HasProgram(current)));

    if (count == 0) {
        log("No FrontPage installation found");
        return Failed();
    }

    // The default is the last version these steps settle: 2003, else 2002,
    // else 2000, else the registered program's, else 98.
    if (found.found98) {
        target.version = FP98;
        log("FrontPage 98 found in " + root98);
    }
    if (foundCurrent) {
        log("FrontPage Current Version found in " + current);
        if (EqualNoCase(current, root2000)) {
            target.version = found.current = FP2000;
            log("Current version is FrontPage 2000");
        } else if (EqualNoCase(current, root2002)) {
            target.version = found.current = FP2002;
            log("Current version is FrontPage 2002");
        } else if (EqualNoCase(current, root2003)) {
            target.version = found.current = FP2003;
            log("Current version is FrontPage 2003");
        }
    }
    if (found.found2000) {
        target.version = FP2000;
        log("FrontPage 2000 found in " + root2000);
    }
    if (found.found2002) {
        target.version = FP2002;
        log("FrontPage 2002 found in " + root2002);
    }
    if (found.found2003) {
        target.version = FP2003;
        log("FrontPage 2003 found in " + root2003);
    }

    // The command line's version takes the place of the choice, which an
    // unattended run leaves at what the choice would have offered.
    const FrontPageVersion wanted = request.wanted;
    if (wanted != FPNone) {
        // As it counts above, a FrontPage 98 root is an installation even without its bots entry.
        bool installed = wanted == FP98     ? read98
                         : wanted == FP2000 ? found.found2000
                         : wanted == FP2002 ? found.found2002
                                            : found.found2003;
        if (!installed) {
            log(Format("FrontPage %s is not installed", VersionName(wanted)));
            return Failed();
        }
        target.version = wanted;
        log(Format("Command line chose to install for FrontPage %s", VersionName(wanted)));
    } else if (count >= 2 && !request.choose) {
        if (found.current != FPNone)
            target.version = found.current;
        log(Format("Unattended run chose to install for FrontPage %s, the default", VersionName(target.version)));
    } else if (count >= 2) {
        target.version = request.choose(found, target.version);
    }

    UINT installingId;
    switch (target.version) {
    case FP2000:
        target.frontPageFolder = root2000;
        installingId = IDS_INSTALLING_FP2000;
        break;
    case FP2002:
        target.frontPageFolder = root2002;
        installingId = IDS_INSTALLING_FP2002;
        break;
    case FP2003:
        target.frontPageFolder = root2003;
        installingId = IDS_INSTALLING_FP2003;
        break;
    default:
        target.frontPageFolder = root98;
        installingId = IDS_INSTALLING_FP98;
        break;
    }

    target.versionFolder = VersionRoot(target.version);
    if (target.version == FP98) {
        target.themesFolder = target.frontPageFolder + "\\themes";
        target.pagesFolder = target.frontPageFolder + "\\pages";
        target.websFolder = target.frontPageFolder + "\\webs";
        target.framesFolder = target.frontPageFolder + "\\frames";
        if (!request.windowsFolder.empty()) {
            const std::string ini = WizardsIniPath(request.windowsFolder);
            MoveByWizardsIni(log, ini, kPageWizardsDir, target.pagesFolder);
            MoveByWizardsIni(log, ini, kWebWizardsDir, target.websFolder);
        }
    } else {
        std::string commonFiles;
        if (!Read(g_regCurrentVersion, g_regCommonFilesDir, commonFiles)) {
            log("Failed to get Common Files directory from Registry");
            return Failed();
        }
        target.themesFolder = target.version == FP2003 ? Folder2003(Kind2003::Themes, commonFiles + "\\Microsoft Shared")
                                             : commonFiles + g_sharedThemes;
        const std::string templates = TemplatesFolder(target.frontPageFolder);
        size_t colon = templates.find(':');
        if (colon == std::string::npos) {
            log("Page path has invalid format");
            return Failed();
        }

        // English alone, as the wizard always had it, goes without saying.
        const TemplateLanguages languages = FindTemplateLanguages(LanguageKey(target.version), templates);
        if (languages.lcids != std::vector<std::string>{kDefaultLanguage}) {
            for (const std::string& lcid : languages.lcids)
                log(Format("Template language: %s (%s)", lcid.c_str(), LanguageSource(languages.from)));
        }
        std::vector<TemplateFolders> folders;
        for (const std::string& lcid : languages.lcids) {
            const std::string base = templates + "\\" + lcid;
            folders.push_back({target.version == FP2003 ? Folder2003(Kind2003::Pages, base) : base + "\\pages",
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
                log(Format("FrontPage is installed on %s drive, but templates must be installed on C drive.",
                                drive.c_str()));
            movedToC = true;
            language = {OnDriveC(language.pages), OnDriveC(language.webs), OnDriveC(language.frames)};
        }
        target.pagesFolder = folders[0].pages;
        target.websFolder = folders[0].webs;
        target.framesFolder = folders[0].frames;
        target.moreTemplateFolders.assign(folders.begin() + 1, folders.end());
    }

    log(LoadLogString(installingId));
    log("Themes will be installed in " + target.themesFolder);
    const std::vector<TemplateFolders> templateFolders = target.AllTemplateFolders();
    for (const TemplateFolders& language : templateFolders)
        log("Page templates will be installed in " + language.pages);
    for (const TemplateFolders& language : templateFolders)
        log("Web templates will be installed in " + language.webs);
    for (const TemplateFolders& language : templateFolders)
        log("Frame templates will be installed in " + language.frames);
    return target;
}

std::vector<TemplateFolders> FrontPageTarget::AllTemplateFolders() const
{
    std::vector<TemplateFolders> all = {{pagesFolder, websFolder, framesFolder}};
    all.insert(all.end(), moreTemplateFolders.begin(), moreTemplateFolders.end());
    return all;
}

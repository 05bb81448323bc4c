// Finds the installed FrontPage versions, settles the one to install for and
// works out where each kind of kit item goes.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frontpage/TemplateLanguages.h"
#include "frontpage/Version.h"
#include "win/LogLine.h"

// The installations the detection found, each by what tells its version.
struct FoundVersions {
    bool found98 = false;
    bool found2000 = false;
    bool found2002 = false;
    bool found2003 = false;
    // The version of the registered program (frontpg.exe's App Paths entry); FPNone when not told.
    FrontPageVersion current = FPNone;
};

// Where the kit's items go.
struct FrontPageTarget {
    FrontPageVersion version = FP98;
    std::string frontPageFolder;
    // The kit's root of items for the version (VersionRoot).
    std::string versionFolder;
    std::string themesFolder;
    std::string pagesFolder;
    std::string websFolder;
    std::string framesFolder;
    // FrontPage reads templates from several language folders: they all get
    // every template, those of the first in the three fields above.
    std::vector<TemplateFolders> moreTemplateFolders;

    // The template folders of every language, the three fields above first.
    std::vector<TemplateFolders> AllTemplateFolders() const;
};

// Asks the user which of the versions `found` to install for, `version`
// being the one settled so far; returns the choice.
using VersionChoice = std::function<FrontPageVersion(const FoundVersions& found, FrontPageVersion version)>;

// What a detection is asked to settle.
struct DetectionRequest {
    // The command line's version, which takes the place of the choice; FPNone when none.
    FrontPageVersion wanted = FPNone;
    // Asks the user when several versions are installed; empty in an
    // unattended run, which takes the default.
    VersionChoice choose;
    // Where FrontPage 98 reads frontpg.ini from.
    std::string windowsFolder;
    LogLine log;
};

// Finds FrontPage and its targets, logging what it finds. Empty after a
// failure the user has been told of (no version installed, the one wanted
// missing, the registry closed, the Common Files folder not told).
std::optional<FrontPageTarget> CheckFrontPage(const DetectionRequest& request);

// FrontPage 98 reads the folders of its web and page templates from
// frontpg.ini in the Windows folder, when that file moves them.
#pragma once
#include <string>

// The keys of the [FrontPage 3.0] section that move the folders.
extern const char* const kPageWizardsDir;
extern const char* const kWebWizardsDir;

// The path of frontpg.ini in the Windows folder `windowsFolder`.
std::string WizardsIniPath(const std::string& windowsFolder);

// The folder that key `key` of the ini file `ini` names, without a trailing
// backslash; empty when the file, the key or its value is missing.
std::string WizardsDir(const std::string& ini, const char* key);

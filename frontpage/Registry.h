// The registry locations the wizard reads, all below HKEY_LOCAL_MACHINE\Software\Microsoft\.
#pragma once

extern const char* const g_regMicrosoft;
extern const char* const g_regFrontPage98;
extern const char* const g_regFrontPageRoot;
extern const char* const g_regFrontPageAppPath;
extern const char* const g_regOffice2000Root;
extern const char* const g_regOffice2002Root;
extern const char* const g_regPath;
extern const char* const g_regCurrentVersion;
extern const char* const g_regCommonFilesDir;
extern const char* const g_sharedThemes;
extern const char* const g_regExplorer;
extern const char* const g_regTempFilesCache;
extern const char* const g_regFolder;
// The kit's root of items for every FrontPage version.
extern const char* const g_commonFolder;

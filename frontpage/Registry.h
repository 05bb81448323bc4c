// The registry locations the wizard reads, all below HKEY_LOCAL_MACHINE\Software\Microsoft\.
#pragma once
#include <windows.h>

#include <string>

extern const char* const g_regMicrosoft;
extern const char* const g_regFrontPage98;
extern const char* const g_regFrontPageRoot;
extern const char* const g_regFrontPageAppPath;
extern const char* const g_regOffice2000Root;
extern const char* const g_regOffice2002Root;
extern const char* const g_regOffice2003Root;
// Office's installed languages, for 2000, 2002 and 2003, and the value naming
// the installation's language (an LCID)
extern const char* const g_regOffice2000Languages;
extern const char* const g_regOffice2002Languages;
extern const char* const g_regOffice2003Languages;
extern const char* const g_regSkuLanguage;
extern const char* const g_regPath;
extern const char* const g_regCurrentVersion;
extern const char* const g_regCommonFilesDir;
extern const char* const g_sharedThemes;
extern const char* const g_regExplorer;
extern const char* const g_regTempFilesCache;
extern const char* const g_regFolder;

// Reads the string value `valueName` of `key` (below the Microsoft key of
// HKEY_LOCAL_MACHINE\Software) into `out` without telling the user
// anything: ERROR_SUCCESS when a non-empty value was read (one trailing
// backslash removed, an expandable string expanded); otherwise the reason,
// ERROR_ACCESS_DENIED when opening the key was refused, with `out` empty.
LONG ReadMachineString(const std::string& key, const std::string& valueName, std::string& out);

// How a read of a registry string went.
enum class RegistryRead { Read, Missing, Refused };

// Reads a string value as ReadMachineString does. When opening the key was
// refused, the user is told that they lack the privilege (Refused).
RegistryRead ReadRegistryString(const std::string& key, const std::string& valueName, std::string& out);

// Reads the number (REG_DWORD) `valueName` of `key`, as ReadMachineString
// reads a string: ERROR_SUCCESS, or the reason it could not be read.
LONG ReadMachineNumber(const std::string& key, const std::string& valueName, DWORD& out);

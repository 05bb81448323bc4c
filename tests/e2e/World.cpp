#include "World.h"

#include <windows.h>
#include <shlwapi.h>

#include "Files.h"
#include "Text.h"
#include "Wait.h"

namespace e2e {

namespace {

// Registry keys below HKEY_LOCAL_MACHINE\Software\Microsoft that the wizard reads.
const char kFrontPage98Key[] = "FrontPage\\3.0";
const char kAppPathKey[] = "Windows\\CurrentVersion\\App Paths\\frontpg.exe";
const char kOffice2000Key[] = "Office\\9.0\\Common\\InstallRoot";
const char kOffice2002Key[] = "Office\\10.0\\Common\\InstallRoot";
// Below "Office\<version>\Common\": where Office keeps its root and its languages.
const char* const kOfficeVersions[] = {"9.0", "10.0", "11.0"};
const char kTempFilesKey[] = "Windows\\CurrentVersion\\Explorer\\VolumeCaches\\Temporary files";

std::string MachineKey(const std::string& key)
{
    return "Software\\Microsoft\\" + key;
}

// The key `key` of Office `office` below Software\Microsoft.
std::string OfficeKey(const std::string& office, const std::string& key)
{
    return "Office\\" + office + "\\Common\\" + key;
}

// The kit of every test: an introduction, two themes with their descriptors,
// and page, web and frame templates, spread over the "fp98" and "common" roots.
const struct {
    const char* path;
    const char* text;
} kKitFiles[] = {
    {"kit\\intro.txt", "Harbour Lights theme pack\r\nTwo themes and three templates for FrontPage.\r\n"},
    {"kit\\fp98\\Themes\\Breeze\\breeze.inf", "[info]\r\ntitle=Breeze\r\nversion=1.0\r\n"},
    {"kit\\fp98\\Themes\\Breeze\\theme.css", "body { color: navy; }\r\n"},
    {"kit\\fp98\\Pages\\notice\\notice.htm", "<html><body>Notice</body></html>\r\n"},
    {"kit\\common\\Themes\\harbour\\harbour.inf", "[info]\r\ntitle=Harbour\r\nversion=2.5\r\n"},
    {"kit\\common\\Themes\\harbour\\theme.css", "body { color: teal; }\r\n"},
    {"kit\\common\\Webs\\club\\default.htm", "<html><body>Club</body></html>\r\n"},
    {"kit\\common\\Frames\\banner\\banner.htm", "<html><body>Banner</body></html>\r\n"},
};

bool SetMachineValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, MachineKey(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExW(handle, WideOf(name).c_str(), 0, type, (const BYTE*)data, size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool SetMachineString(const std::string& key, const char* name, const std::string& value)
{
    std::wstring text = WideOf(value);
    return SetMachineValue(key, name, REG_SZ, text.c_str(), (DWORD)((text.size() + 1) * sizeof(wchar_t)));
}

// Removes whatever an earlier test, or this one, left in the keys the wizard
// reads and writes: the kits' entries in Programs and Features too.
void CleanRegistry()
{
    for (const char* key : {kFrontPage98Key, kAppPathKey})
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, MachineKey(key).c_str());
    for (const char* office : kOfficeVersions) {
        for (const char* key : {"InstallRoot", "LanguageResources"})
            SHDeleteKeyA(HKEY_LOCAL_MACHINE, MachineKey(OfficeKey(office, key)).c_str());
    }
    SHDeleteValueA(HKEY_LOCAL_MACHINE, MachineKey(kTempFilesKey).c_str(), "folder");
    for (const std::string& entry : World::RemovalEntries())
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, WideOf(World::RemovalKey(entry)).c_str());
    // A kit's removal leaves its program to be deleted when Windows next starts.
    SHDeleteValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                   "PendingFileRenameOperations");
}

std::string NewRoot()
{
    static int worlds = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp, length) + "fernwick-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(++worlds);
    RemoveTree(root);
    MakeFolders(root);
    return root;
}

} // namespace

World::World() : m_root(NewRoot())
{
    RemoveDataFolders();
    CleanRegistry();
    m_ready = MakeFolders(LogFolder()) && SetMachineString(kTempFilesKey, "folder", LogFolder());
}

World::~World()
{
    RemoveDataFolders();
    CleanRegistry();
    RemoveTree(m_root);
}

std::string World::Path(const std::string& relative) const
{
    return m_root + "\\" + relative;
}

bool World::InstallFrontPage98(const std::string& folder) const
{
    return InstallFrontPage98At(Path(folder));
}

bool World::InstallFrontPage98At(const std::string& root) const
{
    return MakeFolders(root + "\\bots") && SetMachineString(kFrontPage98Key, "FrontPageRoot", root);
}

bool World::InstallOffice() const
{
    return MakeFolders(Path("Office\\Office\\bots")) && MakeFolders(Path("Office\\Office10\\bots")) &&
           SetMachineString(kOffice2000Key, "Path", Path("Office\\Office\\")) &&
           SetMachineString(kOffice2002Key, "Path", Path("Office\\Office10\\")) &&
           SetMachineString(kAppPathKey, "Path", Path("Office\\Office10"));
}

bool World::InstallOfficeFrontPage(const std::string& office, const std::string& folder, bool registered) const
{
    return MakeFolders(Path(folder + "\\bots")) && WriteFile(folder + "\\frontpg.exe", "") &&
           SetMachineString(OfficeKey(office, "InstallRoot"), "Path", Path(folder)) &&
           (!registered || SetMachineString(kAppPathKey, "Path", Path(folder)));
}

bool World::SetOfficeLanguage(const std::string& office, DWORD lcid) const
{
    return SetMachineValue(OfficeKey(office, "LanguageResources"), "SKULanguage", REG_DWORD, &lcid, sizeof lcid);
}

bool World::AddKit() const
{
    bool written = true;
    for (const auto& file : kKitFiles)
        written = WriteFile(file.path, file.text) && written;
    return written;
}

std::string World::SampleKitFolder()
{
    // Wine's drive Z: is the Unix root.
    std::string path = "Z:" FERNWICK_SAMPLE_KIT;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string World::ReadmeText()
{
    return "Harbour Lights theme pack\r\nOpen FrontPage and choose Format, Theme.\r\n";
}

bool World::AddReadme() const
{
    return WriteFile("kit\\readme.txt", ReadmeText());
}

bool World::PlantProgram(const std::string& folder, const std::string& name) const
{
    return CopyFileA((ExeFolder() + "\\planted_program.exe").c_str(), Path(folder + "\\" + name).c_str(), FALSE) !=
           FALSE;
}

bool World::PlantLibrary(const std::string& folder, const std::string& name) const
{
    return CopyFileA((ExeFolder() + "\\planted_library.dll").c_str(), Path(folder + "\\" + name).c_str(), FALSE) !=
           FALSE;
}

std::string World::PlantedMark(const std::string& relative) const
{
    // A program leaves "<name>.ran", a library "<name>.loaded".
    const char* suffix = relative.size() > 4 && _stricmp(relative.c_str() + relative.size() - 4, ".exe") == 0
                             ? ".ran"
                             : ".loaded";
    return Path(relative) + suffix;
}

bool World::WriteFile(const std::string& relative, const std::string& bytes) const
{
    return WriteFileBytes(Path(relative), bytes);
}

std::string World::CommonFiles()
{
    wchar_t folder[MAX_PATH] = L"";
    DWORD size = sizeof folder;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", L"CommonFilesDir",
                     RRF_RT_REG_SZ, nullptr, folder, &size) != ERROR_SUCCESS)
        return std::string();
    return Utf8Of(folder);
}

std::string World::DataFolders()
{
    return CommonFiles() + "\\Fernwick";
}

void World::RemoveDataFolders()
{
    // Never the root of a drive, when the registry names no Common Files folder.
    if (!CommonFiles().empty())
        RemoveTree(DataFolders());
}

std::string World::RemovalKey(const std::string& entry)
{
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + entry;
}

std::vector<std::string> World::RemovalEntries()
{
    std::vector<std::string> entries;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideOf(RemovalKey("")).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return entries;
    wchar_t name[256];
    for (DWORD i = 0, size = 256; RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                                  ERROR_SUCCESS;
         ++i, size = 256) {
        if (std::wstring(name).compare(0, 9, L"Fernwick ") == 0)
            entries.push_back(Utf8Of(name));
    }
    RegCloseKey(key);
    return entries;
}

std::string World::KitDataFolder()
{
    // The kit's name, the first line of its introduction, is a usable id as it is.
    return DataFolders() + "\\Harbour Lights theme pack";
}

RunningProgram::RunningProgram(const std::string& path)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + path + "\" stay";
    if (CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &m_process))
        CloseHandle(m_process.hThread);
    // Running for certain once it has left its mark.
    m_running = m_process.hProcess && WaitUntil([&] { return PathExists(path + ".ran"); });
}

void RunningProgram::Stop()
{
    if (!m_process.hProcess)
        return;
    TerminateProcess(m_process.hProcess, 0);
    WaitForSingleObject(m_process.hProcess, kTimeoutMs);
    CloseHandle(m_process.hProcess);
    m_process.hProcess = nullptr;
}

} // namespace e2e

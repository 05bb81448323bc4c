// The built fernwick.exe read back as Windows reads it: its manifest, the Windows
// version its header asks for, every function it imports, and its hardening.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Support.h"
#include "app/AboutDlg.h"
#include "pack/KitPacker.h"
#include "win/Strings.h"

namespace {

// The program, built beside this test program.
std::string ProgramPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\')) + "\\fernwick.exe";
}

std::string ReadManifest(const std::string& program)
{
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return std::string();
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded)
        text.assign((const char*)LockResource(loaded), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// The PE headers and import table of an executable file.
class Image {
public:
    explicit Image(const std::string& path) : m_bytes(ReadFileBytes(path))
    {
        if (m_bytes.size() < sizeof(IMAGE_DOS_HEADER))
            return;
        auto dos = (const IMAGE_DOS_HEADER*)m_bytes.data();
        if (dos->e_magic != IMAGE_DOS_SIGNATURE || m_bytes.size() < dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32))
            return;
        auto nt = (const IMAGE_NT_HEADERS32*)(m_bytes.data() + dos->e_lfanew);
        if (nt->Signature == IMAGE_NT_SIGNATURE && nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            m_nt = nt;
    }

    const IMAGE_NT_HEADERS32* Headers() const { return m_nt; }

    // "dll!function" in lower case for each import by name, "dll!#n" for one by ordinal.
    std::set<std::string> Imports() const
    {
        std::set<std::string> imports;
        DWORD table = m_nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto entry = (const IMAGE_IMPORT_DESCRIPTOR*)At(table); entry && entry->Name; ++entry) {
            std::string dll = ToLower(String(entry->Name));
            DWORD thunks = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
            for (auto thunk = (const DWORD*)At(thunks); thunk && *thunk; ++thunk) {
                if (IMAGE_SNAP_BY_ORDINAL32(*thunk))
                    imports.insert(dll + "!#" + std::to_string(IMAGE_ORDINAL32(*thunk)));
                else
                    imports.insert(dll + "!" + ToLower(String(*thunk + 2)));
            }
        }
        return imports;
    }

private:
    // The bytes at relative virtual address `rva`, or null outside every section.
    const char* At(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(m_nt);
        for (int i = 0; i < m_nt->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->SizeOfRawData) {
                size_t offset = rva - section->VirtualAddress + section->PointerToRawData;
                return offset < m_bytes.size() ? m_bytes.data() + offset : nullptr;
            }
        }
        return nullptr;
    }

    std::string String(DWORD rva) const
    {
        const char* text = At(rva);
        return text ? std::string(text, strnlen(text, m_bytes.data() + m_bytes.size() - text)) : "";
    }

    std::string m_bytes;
    const IMAGE_NT_HEADERS32* m_nt = nullptr;
};

// Every function the program may import, each one present in the system DLLs of
// Windows 2000 and so of every later Windows. The list names what was checked: a new
// import fails the test until the oldest Windows that has it is looked up. One that
// came with XP ends support for 2000; one that came later needs a fallback
// (app/KernelFallbacks.cpp) or a way around it. Text goes through the wide (W)
// functions only: the few ANSI (A) ones listed are the run-time library's,
// which passes them no text of a kit.
const std::map<std::string, std::set<std::string>> kPresentSinceWindows2000 = {
    {"kernel32.dll",
     {"closehandle", "comparefiletime", "copyfilew", "createdirectoryw", "createeventa", "createeventw",
      "createfilew", "createmutexw", "createprocessw", "createsemaphorea", "createthread",
      "createtoolhelp32snapshot", "deletecriticalsection",
      "deletefilew", "duplicatehandle", "entercriticalsection", "expandenvironmentstringsw", "findclose",
      "findfirstfilew", "findnextfilew", "flushfilebuffers", "formatmessagew", "freelibrary", "getacp",
      "getcommandlinew", "getcpinfo", "getcurrentdirectoryw", "getcurrentprocess", "getcurrentprocessid",
      "getcurrentthread", "getcurrentthreadid", "getfileattributesexw", "getfileattributesw",
      "getfileinformationbyhandle", "getfilesizeex", "getfullpathnamew", "gethandleinformation", "getlasterror",
      "getlocaltime", "getmodulefilenamew", "getmodulehandlea", "getmodulehandlew", "getprivateprofilestringw",
      "getprocaddress",
      "getprocessaffinitymask", "getstartupinfoa", "getstringtypew", "getsystemdirectoryw", "getsystemtime",
      "getsystemtimeasfiletime", "gettempfilenamew", "gettemppathw", "getthreadcontext", "getthreadpriority",
      "gettickcount", "getversionexw", "getwindowsdirectoryw", "initializecriticalsection", "isdbcsleadbyteex",
      "isdebuggerpresent", "leavecriticalsection", "loadlibrarya", "loadlibraryexw", "loadlibraryw", "localfree",
      "movefileexw", "multibytetowidechar", "openprocess", "outputdebugstringa", "process32firstw", "process32nextw",
      "raiseexception", "readfile", "releasesemaphore", "removedirectoryw", "resetevent", "resumethread",
      "setcurrentdirectoryw", "setendoffile", "setevent", "setfileattributesw", "setfilepointerex", "setfiletime",
      "setlasterror", "setprocessaffinitymask", "setthreadcontext", "setthreadpriority",
      "setunhandledexceptionfilter", "sleep", "suspendthread", "tlsalloc", "tlsfree", "tlsgetvalue", "tlssetvalue",
      "tryentercriticalsection", "virtualprotect", "virtualquery", "waitformultipleobjects", "waitforsingleobject",
      "widechartomultibyte", "writefile",
      "findresourceexw", "getuserdefaultuilanguage", "loadresource", "lockresource", "sizeofresource"}},
    {"user32.dll",
     {"appendmenuw", "beginpaint", "charlowerbuffw", "charupperbuffw", "dialogboxparamw", "dispatchmessagew",
      "drawicon", "enablewindow", "enddialog", "endpaint", "getclientrect", "getdlgitem", "getfocus",
      "getlastactivepopup", "getqueuestatus", "getsystemmenu", "getsystemmetrics", "getwindow", "getwindowlongw",
      "getwindowrect", "getwindowtextlengthw", "getwindowtextw", "ischild", "isdialogmessagew", "isiconic",
      "iswindowenabled", "iswindowvisible", "killtimer", "loadcursorw", "loadiconw", "loadstringw", "messageboxw",
      "msgwaitformultipleobjects", "peekmessagew", "redrawwindow", "sendmessagew", "setcursor", "setfocus", "settimer", "setwindowlongw",
      "setwindowpos", "setwindowtextw", "showwindow", "systemparametersinfow", "translatemessage", "updatewindow",
      "waitforinputidle",
      "dialogboxindirectparamw", "messageboxexw", "notifywinevent"}},
    {"advapi32.dll",
     {"convertstringsecuritydescriptortosecuritydescriptorw", "convertstringsidtosidw", "equalsid", "getace",
      "getsecurityinfo", "gettokeninformation", "getusernamew", "openprocesstoken", "regclosekey", "regcreatekeyexw",
      "regdeletekeyw", "regopenkeyexw", "regqueryvalueexw", "regsetvalueexw"}},
    {"msvcrt.dll",
     {"__getmainargs", "__initenv", "__mb_cur_max", "__p__acmdln", "__p__commode", "__p__fmode",
      "__set_app_type", "__setusermatherr", "_amsg_exit", "_beginthreadex", "_cexit", "_close",
      "_endthreadex", "_errno", "_initterm", "_iob", "_onexit", "_read", "_setjmp3", "_strdup", "_stricmp",
      "_ultoa", "_vsnprintf", "abort", "atof", "atoi", "calloc", "exit", "fprintf", "fputc", "fputs", "free",
      "fwrite", "isspace", "localeconv", "localtime", "longjmp", "malloc", "memchr", "memcmp", "memcpy",
      "memmove", "memset", "printf", "realloc", "setlocale", "signal", "sprintf", "strchr", "strcmp",
      "strerror", "strftime", "strlen", "strncmp", "strncpy", "strrchr", "strstr", "strtod", "strtol",
      "time", "tolower", "toupper", "vfprintf", "wcscmp", "wcslen"}},
};

TEST(Executable, ImportsOnlyWhatWindows2000Has)
{
    Image program(ProgramPath());
    ASSERT_NE(nullptr, program.Headers()) << ProgramPath();
    std::set<std::string> imports = program.Imports();
    EXPECT_GT(imports.size(), 100u);
    for (const std::string& import : imports) {
        size_t bang = import.find('!');
        auto dll = kPresentSinceWindows2000.find(import.substr(0, bang));
        bool known = dll != kPresentSinceWindows2000.end() && dll->second.count(import.substr(bang + 1));
        EXPECT_TRUE(known) << import << ": a new import; look up the oldest Windows that has it";
    }
}

TEST(Executable, HeaderLetsWindows2000AndLaterStartIt)
{
    Image program(ProgramPath());
    ASSERT_NE(nullptr, program.Headers());
    const IMAGE_OPTIONAL_HEADER32& header = program.Headers()->OptionalHeader;
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, header.Subsystem);
    // A loader refuses a program that asks for a newer Windows than itself: XP is 5.1.
    EXPECT_EQ(5, header.MajorSubsystemVersion);
    EXPECT_EQ(0, header.MinorSubsystemVersion);
    EXPECT_LE(header.MajorOperatingSystemVersion * 100 + header.MinorOperatingSystemVersion, 500);
}

// The flags binary analysers look for, in both forms of the program: as built,
// and packed with a kit.
TEST(Executable, HardenedInBothForms)
{
    TempFolder scratch;
    const std::string packed = scratch / "setup.exe";
    std::string reason;
    ASSERT_TRUE(PackKit(ProgramPath(), SampleKitFolder(), packed, nullptr, reason)) << reason;
    for (const std::string& path : {ProgramPath(), packed}) {
        Image program(path);
        ASSERT_NE(nullptr, program.Headers()) << path;
        const IMAGE_NT_HEADERS32* headers = program.Headers();
        // Loaded at any address, data never run, no structured exception
        // handlers to hijack, no compatibility shims under terminal services.
        const WORD required = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                              IMAGE_DLLCHARACTERISTICS_NO_SEH | IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE;
        EXPECT_EQ(required, headers->OptionalHeader.DllCharacteristics & required) << path;
        // Moving the image takes its relocations.
        EXPECT_EQ(0, headers->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED) << path;
        EXPECT_GT(headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u) << path;
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
        for (int i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
            const DWORD both = IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_EXECUTE;
            EXPECT_NE(both, section->Characteristics & both)
                << path << ": section " << std::string((const char*)section->Name, strnlen((const char*)section->Name, 8));
        }
    }
}

TEST(Executable, ManifestAsksForWhatCurrentWindowsNeeds)
{
    std::string manifest = ReadManifest(ProgramPath());
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
    const char* const required[] = {
        // Visual styles
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
        // Administrator rights for writing below Program Files
        "<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>",
        // Windows Vista, 7, 8, 8.1 and 10 (which 11 also answers to)
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
        // DPI awareness, per monitor where Windows scales dialogs, else system-wide
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        ">PerMonitorV2, system</dpiAwareness>",
        // Windows XP rejects a trustInfo element without a namespace of its own.
        "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">",
    };
    for (const char* fragment : required)
        EXPECT_NE(std::string::npos, manifest.find(fragment)) << fragment;

    // Windows XP SP2 can crash on an element that declares a namespace twice.
    for (size_t open = manifest.find('<'); open != std::string::npos; open = manifest.find('<', open + 1)) {
        std::string tag = manifest.substr(open, manifest.find('>', open) - open);
        size_t first = tag.find("xmlns");
        EXPECT_TRUE(first == std::string::npos || tag.find("xmlns", first + 1) == std::string::npos) << tag;
    }
}

// This test program carries the program's resources, manifest included: the
// system must then give its dialogs the buttons of common controls 6, which draw
// visual styles and alone know how big they would like to be.
TEST(Executable, ManifestBringsCommonControls6)
{
    BOOL answered = FALSE;
    SIZE ideal = {0, 0};
    CAboutDlg about;
    ModalAnswerer answerer([&](HWND box) {
        answered = (BOOL)SendMessageA(GetDlgItem(box, IDOK), BCM_GETIDEALSIZE, 0, (LPARAM)&ideal);
        Click(box, IDOK);
    });
    about.DoModal();
    EXPECT_TRUE(answered);
    EXPECT_GT(ideal.cx, 0);
}

} // namespace

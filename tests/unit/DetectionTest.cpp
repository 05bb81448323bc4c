// FrontPage detection and the version choice, against a real registry (the
// scratch HKLM), real folders, and the real version dialog driven by real input.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>

#include "Support.h"
#include "frontpage/Detection.h"
#include "frontpage/Folders2003.h"
#include "frontpage/Registry.h"
#include "frontpage/TemplateLanguages.h"
#include "frontpage/VersionDlg.h"
#include "log/LogFile.h"
#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/Strings.h"

namespace {

// Dispatches this thread's messages, as the wizard's loop does, until `done`
// holds; false when it still does not after ten seconds.
bool PumpUntil(HWND dialog, const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 10000)
            return false;
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

const char* const kChecking = "Checking FrontPage installation...";
const char* const kNotFound = "No FrontPage installation found";
const char* const kNoCommonFiles = "Failed to get Common Files directory from Registry";
const char* const kFailed = "Installation failed. Please check the log file.";
const char* const kNoPrivilege = "You do not have sufficient privilege.\nPlease log on as an Administrator.";
const char* const kCancelled = "User cancelled selection dialog - using default";

struct Value {
    const char* key;
    const char* name;
    const char* data;
    DWORD type;
};

Value Fp98(const char* data) { return {g_regFrontPage98, g_regFrontPageRoot, data, REG_SZ}; }
Value AppPath(const char* data) { return {g_regFrontPageAppPath, g_regPath, data, REG_SZ}; }
Value Fp2000(const char* data) { return {g_regOffice2000Root, g_regPath, data, REG_SZ}; }
Value Fp2002(const char* data) { return {g_regOffice2002Root, g_regPath, data, REG_SZ}; }
Value Fp2003(const char* data) { return {g_regOffice2003Root, g_regPath, data, REG_SZ}; }
Value CommonFiles(const char* data, DWORD type = REG_SZ)
{
    return {g_regCurrentVersion, g_regCommonFilesDir, data, type};
}

// The installations the tables use, below the test's folder {T}.
const Value k98 = Fp98("{T}\\FrontPage");
const Value k2000 = Fp2000("{T}\\Office2000\\Office");
const Value k2002 = Fp2002("{T}\\Office2002\\Office10");
const Value k2003 = Fp2003("{T}\\Office2003\\Office11");
const Value kCommon = CommonFiles("{T}\\Common Files");
const char* const k98Folder = "FrontPage";
const char* const k2000Folder = "Office2000\\Office";
const char* const k2002Folder = "Office2002\\Office10";
// FrontPage 2003 is there when its program is.
const char* const k2003Program = "Office2003\\Office11\\frontpg.exe";
const char* const k98Found = "FrontPage 98 found in {T}\\FrontPage";
const char* const k2000Found = "FrontPage 2000 found in {T}\\Office2000\\Office";
const char* const k2002Found = "FrontPage 2002 found in {T}\\Office2002\\Office10";
const char* const k2003Found = "FrontPage 2003 found in {T}\\Office2003\\Office11";

using Lines = std::vector<std::string>;

// The lines of a successful detection: what it installs for and where.
Lines Targets(const std::string& installing, const std::string& themes, const std::string& templates)
{
    return {installing, "Themes will be installed in " + themes,
            "Page templates will be installed in " + templates + "pages",
            "Web templates will be installed in " + templates + "webs",
            "Frame templates will be installed in " + templates + "frames"};
}

const Lines kFor98 = Targets("Installing for Microsoft FrontPage 98", "{T}\\FrontPage\\themes", "{T}\\FrontPage\\");
const Lines kFor2000 = Targets("Installing for Microsoft FrontPage 2000",
                               "{T}\\Common Files\\Microsoft Shared\\themes", "{T}\\Office2000\\templates\\1033\\");
const Lines kFor2002 = Targets("Installing for Microsoft FrontPage 2002",
                               "{T}\\Common Files\\Microsoft Shared\\themes", "{T}\\Office2002\\templates\\1033\\");
const Lines kFor2003 = Targets("Installing for Microsoft FrontPage 2003",
                               "{T}\\Common Files\\Microsoft Shared\\themes", "{T}\\Office2003\\templates\\1033\\");

Lines operator+(Lines first, const Lines& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Replaces every `mark` in `text` with `with`.
std::string Replace(std::string text, const std::string& mark, const std::string& with)
{
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + with.size()))
        text.replace(at, mark.size(), with);
    return text;
}

// The lines between the log's six header lines and its closing line.
Lines BodyLines(const std::string& log)
{
    Lines body;
    size_t start = 0;
    for (int line = 0; start < log.size(); ++line) {
        size_t end = log.find("\r\n", start);
        std::string text = log.substr(start, end - start);
        if (text.rfind("Log file closed on ", 0) == 0 || end == std::string::npos)
            break;
        if (line >= 6)
            body.push_back(text);
        start = end + 2;
    }
    return body;
}

const std::pair<int, const char*> kRadios[] = {
    {IDC_RADIO_FP2003, "2003"}, {IDC_RADIO_FP2002, "2002"}, {IDC_RADIO_FP2000, "2000"}, {IDC_RADIO_FP98, "98"}};

// The version dialog's radios in screen order: + enabled, - disabled, * checked.
std::string Radios(HWND dialog)
{
    std::string text;
    for (const auto& radio : kRadios) {
        HWND button = GetDlgItem(dialog, radio.first);
        text += text.empty() ? "" : " ";
        text += radio.second;
        text += IsWindowEnabled(button) ? "+" : "-";
        text += SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? "*" : "";
    }
    return text;
}

std::string RadioName(int id)
{
    for (const auto& radio : kRadios)
        if (radio.first == id)
            return radio.second;
    return std::string();
}

// The names of the checked radios.
std::string CheckedRadios(HWND dialog)
{
    std::string names;
    for (const auto& radio : kRadios)
        if (SendMessageA(GetDlgItem(dialog, radio.first), BM_GETCHECK, 0, 0) == BST_CHECKED)
            names += (names.empty() ? "" : " ") + std::string(radio.second);
    return names;
}

// A key pressed and released on the keyboard.
void PressKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// A left click of the mouse in the middle of `window`.
void ClickOn(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    INPUT input[3] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dx = (rect.left + rect.right) / 2 * 65536 / GetSystemMetrics(SM_CXSCREEN);
    input[0].mi.dy = (rect.top + rect.bottom) / 2 * 65536 / GetSystemMetrics(SM_CYSCREEN);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    // The press and the release carry the point too: the pointer may move
    // between them (the X server's own report of an earlier move comes late).
    input[1] = input[0];
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2] = input[0];
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
}

// How the version dialog is answered: radios clicked in order, then how it ends.
enum class Ending { Ok, Escape, CloseBox };
struct Answer {
    std::vector<int> clicks;
    Ending ending;
};

// Answers the version dialog with `answer`, noting the checked radios after each click.
std::function<void(HWND)> Answering(const Answer& answer, Lines& checked)
{
    return [&answer, &checked](HWND dialog) {
        for (int id : answer.clicks) {
            SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
            checked.push_back(CheckedRadios(dialog));
        }
        if (answer.ending == Ending::Ok)
            Click(dialog, IDOK);
        else if (answer.ending == Ending::Escape)
            PressKey(VK_ESCAPE);
        else
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    };
}

// What one detection did.
struct Outcome {
    bool result = false;
    std::optional<FrontPageTarget> target;
    Lines log;
    // The texts of the message boxes shown, in order.
    Lines boxes;
    // The radios of each version dialog as it opened.
    Lines dialogs;
};

// A machine for one detection: the scratch registry, and a folder that holds
// the installations, the log and the kit (the current folder). {T} in the
// texts given to it stands for that folder.
class World {
public:
    World() : m_current(m_folder.Path())
    {
        m_registry.SetString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, m_folder.Path());
        SetEnvironmentVariableA("FWTEST_FOLDER", m_folder.Path().c_str());
    }
    ~World() { SetEnvironmentVariableA("FWTEST_FOLDER", nullptr); }

    std::string operator()(const std::string& text) const { return Replace(text, "{T}", m_folder.Path()); }
    Lines operator()(const Lines& lines) const
    {
        Lines expanded;
        for (const std::string& line : lines)
            expanded.push_back((*this)(line));
        return expanded;
    }
    const TempFolder& Folder() const { return m_folder; }

    void Set(const Value& value) { m_registry.SetString(value.key, value.name, (*this)(value.data), value.type); }
    void Deny(const char* key) { m_registry.DenyAccess(key); }
    // An installation below the test's folder: a folder with its bots entry,
    // or FrontPage 2003's program.
    void Install(const std::string& entry)
    {
        if (LastPart(entry) == "frontpg.exe")
            m_folder.Write(entry, "");
        else
            m_folder.MakeDir(entry + "\\bots");
    }
    // The installations `installed` (as Install takes them) and the registry values `values`.
    void Arrange(const std::vector<const char*>& installed, const std::vector<Value>& values)
    {
        for (const char* entry : installed)
            Install(entry);
        for (const Value& value : values)
            Set(value);
    }

    // Runs the detection with the log open; `answer` answers a version dialog.
    Outcome Detect(const std::function<void(HWND)>& answer)
    {
        Outcome outcome;
        ModalAnswerer answerer([&](HWND window) {
            if (!GetDlgItem(window, IDC_RADIO_FP98)) {
                outcome.boxes.push_back(MessageBoxText(window));
                Click(window, IDOK);
                return;
            }
            outcome.dialogs.push_back(Radios(window));
            answer(window);
        });
        LogFile log;
        EXPECT_TRUE(log.OpenLog(m_folder / "fernwick.log", LogSystem(), ""));
        DetectionRequest request;
        request.log = [&log](const std::string& line) { log.WriteLog(line); };
        request.choose = [&request](const FoundVersions& found, FrontPageVersion version) {
            return ChooseVersion(found, version, request.log);
        };
        // Where FrontPage 98 reads frontpg.ini.
        request.windowsFolder = m_folder.Path();
        outcome.target = CheckFrontPage(request);
        outcome.result = outcome.target.has_value();
        log.CloseLog();
        outcome.log = BodyLines(ReadFileBytes(m_folder / "fernwick.log"));
        return outcome;
    }

private:
    ScratchRegistry m_registry;
    TempFolder m_folder;
    CurrentFolder m_current;
};

TEST(CheckFrontPage, OneVersionOrNone)
{
    struct Case {
        const char* what;
        std::vector<Value> values;
        // Folders below {T} that hold a bots entry.
        std::vector<const char*> installed;
        // Keys whose opening is refused.
        std::vector<const char*> denied;
        bool result;
        FrontPageVersion version;
        const char* versionFolder;
        Lines boxes;
        Lines log;
    };
    const Case cases[] = {
        {"only the registered program", {AppPath("{T}\\Current")}, {"Current"}, {}, false, FP98, "", {kFailed},
         {kChecking, kNotFound}},
        {"98", {k98}, {k98Folder}, {}, true, FP98, "fp98", {}, Lines{kChecking, k98Found} + kFor98},
        {"98 read without bots, value with a trailing backslash", {Fp98("{T}\\FrontPage\\")}, {}, {}, true, FP98,
         "fp98", {}, Lines{kChecking} + kFor98},
        {"2000", {k2000, kCommon}, {k2000Folder}, {}, true, FP2000, "fp2000", {},
         Lines{kChecking, k2000Found} + kFor2000},
        {"2002, Common Files expandable", {k2002, CommonFiles("%FWTEST_FOLDER%\\Common Files", REG_EXPAND_SZ)},
         {k2002Folder}, {}, true, FP2002, "fp2000", {}, Lines{kChecking, k2002Found} + kFor2002},
        {"2000 root without bots", {k2000, kCommon}, {}, {}, false, FP98, "", {kFailed}, {kChecking, kNotFound}},
        {"registered program names the 2002 root, which has no bots",
         {k98, AppPath("{T}\\OFFICE2002\\office10\\"), k2002}, {k98Folder}, {}, true, FP98, "fp98", {},
         Lines{kChecking, k98Found} + kFor98},
        {"Common Files missing", {k2000}, {k2000Folder}, {}, false, FP2000, "", {kFailed},
         {kChecking, k2000Found, kNoCommonFiles}},
        {"root without a backslash", {Fp2000("Office9"), kCommon}, {"Office9"}, {}, false, FP2000, "",
         {kFailed}, {kChecking, "FrontPage 2000 found in Office9", "Page path has invalid format"}},
        {"98 key refused: nothing more is read", {k98, k2000, kCommon}, {k98Folder, k2000Folder},
         {g_regFrontPage98, g_regOffice2000Root}, false, FP98, "", {kNoPrivilege}, {kChecking}},
        {"a later key refused: detection goes on", {k98, kCommon}, {k98Folder}, {g_regOffice2000Root}, true,
         FP98, "fp98", {kNoPrivilege}, Lines{kChecking, k98Found} + kFor98},
        {"Common Files key refused", {k2002}, {k2002Folder}, {g_regCurrentVersion}, false, FP2002, "",
         {kNoPrivilege, kFailed}, {kChecking, k2002Found, kNoCommonFiles}},
        {"2003 root with bots but without its program", {k2003, kCommon}, {"Office2003\\Office11"}, {}, false, FP98,
         "", {kFailed}, {kChecking, kNotFound}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        world.Arrange(c.installed, c.values);
        for (const char* key : c.denied)
            world.Deny(key);
        Outcome outcome = world.Detect([](HWND dialog) { Click(dialog, IDOK); });

        EXPECT_EQ(c.result, outcome.result);
        EXPECT_EQ(world(c.log), outcome.log);
        EXPECT_EQ(c.boxes, outcome.boxes);
        EXPECT_TRUE(outcome.dialogs.empty());
        if (c.result) {
            EXPECT_EQ(c.version, outcome.target->version);
            EXPECT_EQ(c.versionFolder, outcome.target->versionFolder);
        }
    }
}

TEST(CheckFrontPage, SeveralVersionsAskTheUser)
{
    const Value current2000 = AppPath("{T}\\OFFICE2000\\office\\");
    const Value current2002 = AppPath("{T}\\Office2002\\Office10");
    const Lines registered2000 = {kChecking, "FrontPage Current Version found in {T}\\OFFICE2000\\office",
                                  "Current version is FrontPage 2000", k2000Found, k2002Found};
    const Lines registered2002 = {kChecking, "FrontPage Current Version found in {T}\\Office2002\\Office10",
                                  "Current version is FrontPage 2002", k2000Found, k2002Found};
    const Lines all = {kChecking, k98Found, k2000Found, k2002Found};
    struct Case {
        const char* what;
        std::vector<Value> values;
        std::vector<const char*> installed;
        Answer answer;
        // The radios as the dialog opened.
        const char* radios;
        FrontPageVersion version;
        const char* versionFolder;
        Lines log;
    };
    const Case cases[] = {
        {"registered 2000 by case and backslash, OK", {k2000, k2002, current2000, kCommon},
         {k2000Folder, k2002Folder}, {{}, Ending::Ok}, "2003- 2002+ 2000+* 98-", FP2000, "fp2000",
         registered2000 + Lines{"User chose to install for FrontPage 2000"} + kFor2000},
        {"registered 2000, close box", {k2000, k2002, current2000, kCommon}, {k2000Folder, k2002Folder},
         {{}, Ending::CloseBox}, "2003- 2002+ 2000+* 98-", FP2002, "fp2000", registered2000 + Lines{kCancelled} + kFor2002},
        {"registered 2002, 2000 clicked, Escape", {k2000, k2002, current2002, kCommon}, {k2000Folder, k2002Folder},
         {{IDC_RADIO_FP2000}, Ending::Escape}, "2003- 2002+* 2000+ 98-", FP2002, "fp2000",
         registered2002 + Lines{kCancelled} + kFor2002},
        {"98 and 2000, registered elsewhere, OK without a click", {k98, k2000, AppPath("{T}\\Elsewhere"), kCommon},
         {k98Folder, k2000Folder, "Elsewhere"}, {{}, Ending::Ok}, "2003- 2002- 2000+ 98+", FP2000, "fp2000",
         Lines{kChecking, k98Found, "FrontPage Current Version found in {T}\\Elsewhere", k2000Found,
               "User chose to install for FrontPage "} +
             kFor2000},
        {"98 read without bots and 2000: only 2000 offered", {k98, k2000, kCommon}, {k2000Folder},
         {{}, Ending::CloseBox}, "2003- 2002- 2000+ 98-", FP2000, "fp2000",
         Lines{kChecking, k2000Found, kCancelled} + kFor2000},
        {"all three, 98 then 2002", {k98, k2000, k2002, kCommon}, {k98Folder, k2000Folder, k2002Folder},
         {{IDC_RADIO_FP98, IDC_RADIO_FP2002}, Ending::Ok}, "2003- 2002+ 2000+ 98+", FP2002, "fp2000",
         all + Lines{"User chose to install for FrontPage 2002"} + kFor2002},
        {"all three, every radio after every other", {k98, k2000, k2002, kCommon},
         {k98Folder, k2000Folder, k2002Folder},
         {{IDC_RADIO_FP98, IDC_RADIO_FP2000, IDC_RADIO_FP2002, IDC_RADIO_FP98, IDC_RADIO_FP2002, IDC_RADIO_FP2000,
           IDC_RADIO_FP98},
          Ending::Ok},
         "2003- 2002+ 2000+ 98+", FP98, "fp98", all + Lines{"User chose to install for FrontPage 98"} + kFor98},
        {"2000 and 2003, registered 2003 by its program, OK",
         {k2000, k2003, AppPath("{T}\\office2003\\OFFICE11"), kCommon}, {k2000Folder, k2003Program},
         {{}, Ending::Ok}, "2003+* 2002- 2000+ 98-", FP2003, "fp2000",
         Lines{kChecking, "FrontPage Current Version found in {T}\\office2003\\OFFICE11",
               "Current version is FrontPage 2003", k2000Found, k2003Found,
               "User chose to install for FrontPage 2003"} +
             kFor2003},
        {"2002 and 2003, 2003 clicked, then 2002", {k2002, k2003, kCommon}, {k2002Folder, k2003Program},
         {{IDC_RADIO_FP2003, IDC_RADIO_FP2002}, Ending::Ok}, "2003+ 2002+ 2000- 98-", FP2002, "fp2000",
         Lines{kChecking, k2002Found, k2003Found, "User chose to install for FrontPage 2002"} + kFor2002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        world.Arrange(c.installed, c.values);
        Lines checked;
        Outcome outcome = world.Detect(Answering(c.answer, checked));

        EXPECT_TRUE(outcome.result);
        EXPECT_EQ(world(c.log), outcome.log);
        EXPECT_TRUE(outcome.boxes.empty());
        EXPECT_EQ(Lines{c.radios}, outcome.dialogs);
        // Each click leaves only the clicked radio checked.
        Lines clicked;
        for (int id : c.answer.clicks)
            clicked.push_back(RadioName(id));
        EXPECT_EQ(clicked, checked);
        ASSERT_TRUE(outcome.target);
        EXPECT_EQ(c.version, outcome.target->version);
        EXPECT_EQ(c.versionFolder, outcome.target->versionFolder);
    }
}

TEST(CheckFrontPage, TemplatesMoveToDriveC)
{
    // The mapped drive {D} mirrors the test's folder below "mirror", so that a
    // root {D}:{t}\X on it has its counterpart {T}\X on drive C ({t} is {T}
    // without its drive).
    struct Case {
        const char* what;
        Value root;
        bool lowerCaseLetter;
        // Whether the page templates folder exists on drive C.
        bool onC;
        bool moved;
        const char* found;
        const char* installing;
        const char* templates;
    };
    const char* const themes = "{T}\\Common Files\\Microsoft Shared\\themes";
    const char* const for2000 = "Installing for Microsoft FrontPage 2000";
    const Case cases[] = {
        {"2000 on another drive, templates there on C", Fp2000("{D}:{t}\\Office2000\\Office"), false, true, true,
         "FrontPage 2000 found in {D}:{t}\\Office2000\\Office", for2000, "{T}\\Office2000\\templates\\1033\\"},
        {"2002 on another drive in lower case", Fp2002("{D}:{t}\\Office2000\\Office"), true, true, true,
         "FrontPage 2002 found in {D}:{t}\\Office2000\\Office", "Installing for Microsoft FrontPage 2002",
         "{T}\\Office2000\\templates\\1033\\"},
        {"2000 on another drive, no templates on C", Fp2000("{D}:{t}\\Office2000\\Office"), false, false, false,
         "FrontPage 2000 found in {D}:{t}\\Office2000\\Office", for2000, "{D}:{t}\\Office2000\\templates\\1033\\"},
        {"2000 on drive c in lower case", Fp2000("c:{t}\\Office2000\\Office"), false, true, false,
         "FrontPage 2000 found in c:{t}\\Office2000\\Office", for2000, "c:{t}\\Office2000\\templates\\1033\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        const std::string folder = world.Folder().Path();
        MappedDrive drive(world.Folder().MakeDir("mirror"));
        ASSERT_TRUE(drive.IsMapped());
        const std::string letter(1, c.lowerCaseLetter ? (char)tolower(drive.Letter()) : drive.Letter());
        auto onDrive = [&](const Lines& lines) {
            Lines expanded;
            for (const std::string& line : lines)
                expanded.push_back(world(Replace(Replace(line, "{D}", letter), "{t}", folder.substr(2))));
            return expanded;
        };
        world.Install("Office2000\\Office");
        world.Folder().MakeDir("mirror" + folder.substr(2) + "\\Office2000\\Office\\bots");
        if (c.onC)
            world.Folder().MakeDir("Office2000\\templates\\1033\\pages");
        const std::string root = onDrive({c.root.data})[0];
        world.Set({c.root.key, c.root.name, root.c_str(), REG_SZ});
        world.Set(kCommon);
        Outcome outcome = world.Detect([](HWND dialog) { Click(dialog, IDOK); });

        EXPECT_TRUE(outcome.result);
        Lines log = {kChecking, c.found};
        if (c.moved)
            log.push_back("FrontPage is installed on {D} drive, but templates must be installed on C drive.");
        log = log + Targets(c.installing, themes, c.templates);
        EXPECT_EQ(onDrive(log), outcome.log);
        EXPECT_TRUE(outcome.boxes.empty());
    }
}

TEST(ChooseVersion, DisabledRadiosIgnoreMouseAndKeyboard)
{
    // FrontPage 98 read without bots and FrontPage 2000 found: only 2000 is offered.
    World world;
    world.Install(k2000Folder);
    world.Set(k98);
    world.Set(k2000);
    world.Set(kCommon);
    Outcome outcome = world.Detect([](HWND dialog) {
        // Keys go to the window in front: the dialog, once it is there. No
        // version is checked yet and the first radio is disabled: the focus
        // starts on OK.
        ASSERT_TRUE(PumpUntil(dialog, [&] { return GetForegroundWindow() == dialog; }));
        for (WORD key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_TAB, VK_HOME, VK_END})
            PressKey(key);
        ClickOn(GetDlgItem(dialog, IDC_RADIO_FP2000));
        ClickOn(GetDlgItem(dialog, IDC_RADIO_FP98));
        ClickOn(GetDlgItem(dialog, IDC_RADIO_FP2002));
        ClickOn(GetDlgItem(dialog, IDC_RADIO_FP2003));
        // The focus is on the FrontPage 2000 radio now, the only one of its group enabled.
        for (WORD key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_SPACE, VK_HOME, VK_END})
            PressKey(key);
        PressKey(VK_RETURN);
        // Taken by this dialog, all of it (Enter's release too), not left
        // over for the next window.
        EXPECT_TRUE(PumpUntil(dialog, [&] { return !IsWindowVisible(dialog) && !HasQueuedInput(); }));
    });

    EXPECT_TRUE(outcome.result);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(Lines{"2003- 2002- 2000+ 98-"}, outcome.dialogs);
    // A disabled radio checked by any of that input would have unchecked 2000,
    // and Enter would have confirmed its version instead.
    ASSERT_TRUE(outcome.target);
    EXPECT_EQ(FP2000, outcome.target->version);
    EXPECT_EQ(world(Lines{kChecking, k2000Found, "User chose to install for FrontPage 2000"} + kFor2000),
              outcome.log);
}

TEST(CheckFrontPage, EveryVersionAlonePairsAndAllFour)
{
    // Oldest first; the dialog shows them newest first.
    const struct {
        const char* name;
        Value value;
        const char* installed;
        const char* found;
        FrontPageVersion version;
        const Lines* targets;
    } versions[] = {{"98", k98, k98Folder, k98Found, FP98, &kFor98},
                    {"2000", k2000, k2000Folder, k2000Found, FP2000, &kFor2000},
                    {"2002", k2002, k2002Folder, k2002Found, FP2002, &kFor2002},
                    {"2003", k2003, k2003Program, k2003Found, FP2003, &kFor2003}};
    for (unsigned set = 1; set < 16; ++set) {
        World world;
        world.Set(kCommon);
        Lines log = {kChecking};
        std::string radios;
        unsigned newest = 0;
        for (unsigned i = 0; i < 4; ++i) {
            const bool installed = set & (1u << i);
            if (installed) {
                world.Arrange({versions[i].installed}, {versions[i].value});
                log.push_back(versions[i].found);
                newest = i;
            }
            radios = versions[i].name + std::string(installed ? "+ " : "- ") + radios;
        }
        radios.pop_back();
        SCOPED_TRACE(radios);
        const bool several = set & (set - 1);
        if (several)
            log.push_back("User chose to install for FrontPage ");
        Outcome outcome = world.Detect([](HWND dialog) { Click(dialog, IDOK); });

        // The newest is the default, which OK without a click keeps.
        ASSERT_TRUE(outcome.target);
        EXPECT_EQ(versions[newest].version, outcome.target->version);
        EXPECT_EQ(world(log + *versions[newest].targets), outcome.log);
        EXPECT_EQ(several ? Lines{radios} : Lines{}, outcome.dialogs);
    }
}

TEST(FindTemplateLanguages, ByValueByTheOneFolderByEveryFolder)
{
    const struct {
        // SKULanguage; 0 for none.
        DWORD installed;
        // Below the templates folder: folders, or files with an extension.
        std::vector<std::string> made;
        Lines lcids;
        LanguageFrom from;
    } cases[] = {
        {1031, {}, {"1031"}, LanguageFrom::Installation},
        {1041, {"1031", "1033"}, {"1041"}, LanguageFrom::Installation},
        {0, {"1041", "Common", "01033", "70000", "1036.txt"}, {"1041"}, LanguageFrom::OnlyFolder},
        {0, {"2052", "10249", "1041", "1033", "1031"}, {"1031", "1033", "1041", "2052", "10249"},
         LanguageFrom::EveryFolder},
        {0, {"Common"}, {"1033"}, LanguageFrom::Default},
    };
    for (const auto& c : cases) {
        ScratchRegistry registry;
        TempFolder folder;
        if (c.installed != 0)
            registry.SetDword(g_regOffice2002Languages, g_regSkuLanguage, c.installed);
        for (const std::string& made : c.made)
            made.find('.') == std::string::npos ? folder.MakeDir("templates\\" + made)
                                                : folder.Write("templates\\" + made, "");
        TemplateLanguages found = FindTemplateLanguages(g_regOffice2002Languages, folder / "templates");
        EXPECT_EQ(c.lcids, found.lcids) << c.installed;
        EXPECT_EQ(c.from, found.from) << c.installed;
    }
    // A value that is no number tells nothing, even when its bytes would
    // read as one: "Б" (U+0411) and its final NUL are 1041 as a DWORD.
    ScratchRegistry registry;
    registry.SetString(g_regOffice2002Languages, g_regSkuLanguage, u8"\u0411");
    EXPECT_EQ(LanguageFrom::Default, FindTemplateLanguages(g_regOffice2002Languages, "C:\\nowhere").from);
}

TEST(Folder2003, TheCandidateThatExistsElseTheEarlierVersions)
{
    const struct {
        Kind2003 kind;
        std::vector<const char*> folders;
        const char* file;
        const char* found;
    } cases[] = {
        {Kind2003::Themes, {}, nullptr, "themes"},          {Kind2003::Themes, {"Themes11"}, nullptr, "Themes11"},
        {Kind2003::Themes, {"Themes", "Themes11"}, nullptr, "Themes11"},
        {Kind2003::Themes, {}, "Themes11", "themes"},        {Kind2003::Pages, {"Pages11"}, nullptr, "Pages11"},
        {Kind2003::Pages, {"pages", "Themes11"}, nullptr, "pages"},
    };
    for (const auto& c : cases) {
        TempFolder parent;
        for (const char* folder : c.folders)
            parent.MakeDir(folder);
        if (c.file)
            parent.Write(c.file, "");
        EXPECT_EQ(parent / c.found, Folder2003(c.kind, parent.Path())) << c.found << " " << c.folders.size();
    }
}

// Templates go into every language folder: the targets of each are logged.
TEST(CheckFrontPage, TargetsOfEveryLanguage)
{
    World world;
    world.Arrange({k2000Folder}, {k2000, kCommon});
    world.Folder().MakeDir("Office2000\\templates\\1033");
    world.Folder().MakeDir("Office2000\\templates\\1031");
    Outcome outcome = world.Detect([](HWND dialog) { Click(dialog, IDOK); });

    Lines log = {kChecking, k2000Found, "Template language: 1031 (one of the language folders)",
                 "Template language: 1033 (one of the language folders)", kFor2000[0], kFor2000[1]};
    for (const char* kind : {"Page", "Web", "Frame"}) {
        for (const char* lcid : {"1031", "1033"})
            log.push_back(std::string(kind) + " templates will be installed in {T}\\Office2000\\templates\\" + lcid +
                          "\\" + ToLower(kind) + "s");
    }
    EXPECT_EQ(world(log), outcome.log);
    ASSERT_TRUE(outcome.target);
    ASSERT_EQ(1u, outcome.target->moreTemplateFolders.size());
    EXPECT_EQ(world("{T}\\Office2000\\templates\\1033\\frames"), outcome.target->moreTemplateFolders[0].frames);
}

TEST(CheckFrontPage, FrontPage98TemplatesMovedByItsIni)
{
    const struct {
        const char* what;
        Value root;
        std::string ini;
        Lines log;
    } cases[] = {
        {"moved to folders that exist", k98,
         "[FrontPage 3.0]\r\nPageWizardsDir={T}\\Pages\\\r\nWebWizardsDir=\"{T}\\Webs\"\r\n",
         Lines{kChecking, k98Found, "Templates moved by {T}\\frontpg.ini: PageWizardsDir={T}\\Pages",
               "Templates moved by {T}\\frontpg.ini: WebWizardsDir={T}\\Webs", kFor98[0], kFor98[1],
               "Page templates will be installed in {T}\\Pages", "Web templates will be installed in {T}\\Webs",
               kFor98[4]}},
        {"a folder that does not exist, one not named by a full path", k98,
         "[FrontPage 3.0]\r\nPageWizardsDir={T}\\Nowhere\r\nWebWizardsDir=Webs\r\n",
         Lines{kChecking, k98Found, "Ignored in {T}\\frontpg.ini, not a folder: PageWizardsDir={T}\\Nowhere",
               "Ignored in {T}\\frontpg.ini, not a folder: WebWizardsDir=Webs"} +
             kFor98},
        {"FrontPage 2000 reads no ini", k2000, "[FrontPage 3.0]\r\nPageWizardsDir={T}\\Pages\r\n",
         Lines{kChecking, k2000Found} + kFor2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World world;
        world.Arrange({k98Folder, k2000Folder}, {c.root, kCommon});
        world.Folder().MakeDir("Pages");
        world.Folder().MakeDir("Webs");
        world.Folder().Write("frontpg.ini", world(c.ini));
        EXPECT_EQ(world(c.log), world.Detect([](HWND dialog) { Click(dialog, IDOK); }).log);
    }
}

} // namespace

// The About box, the system menu and what the manifest gives the real program:
// common controls 6 for visual styles, and the true Windows version.
#include "WizardTest.h"

#include <psapi.h>

namespace e2e {
namespace {

const char kAboutCaption[] = "About Install";
const char kVersionLine[] = "Fernwick V2.1";

struct MenuSearch {
    DWORD id;
    HWND menu;
};

BOOL CALLBACK FindMenu(HWND window, LPARAM context)
{
    auto* search = (MenuSearch*)context;
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->id && IsWindowVisible(window) && lstrcmpA(className, "#32768") == 0)
        search->menu = window;
    return TRUE;
}

// The visible popup menu of process `id`, if one is open.
Window OpenMenu(DWORD id)
{
    MenuSearch search = {id, nullptr};
    EnumWindows(FindMenu, (LPARAM)&search);
    return Window(search.menu);
}

// The full paths, in lower case, of the modules loaded in process `id`.
std::vector<std::string> ModulesOf(DWORD id)
{
    std::vector<std::string> paths;
    Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    HMODULE modules[512];
    DWORD size = 0;
    if (!process.Get() || !EnumProcessModules(process.Get(), modules, sizeof modules, &size))
        return paths;
    for (DWORD i = 0; i < size / sizeof(HMODULE) && i < 512; ++i) {
        char path[MAX_PATH] = "";
        GetModuleFileNameExA(process.Get(), modules[i], path, MAX_PATH);
        CharLowerA(path);
        paths.push_back(path);
    }
    return paths;
}

class Chrome : public WizardTest {
protected:
    // Runs `open`, expects the About box on top of the wizard and returns it.
    Window OpenAbout(const std::function<void()>& open)
    {
        EXPECT_TRUE(app->Step("", open)) << app->Describe();
        Window about = app->Dialog();
        EXPECT_EQ(DialogKind(about), "about") << app->Describe();
        EXPECT_EQ(about.Text(), kAboutCaption);
        EXPECT_EQ(about.Item(IDC_VERSION_TEXT).Text(), kVersionLine);
        EXPECT_EQ(GetWindow(about.Hwnd(), GW_OWNER), app->Wizard().Hwnd());
        EXPECT_FALSE(app->Wizard().IsEnabled()) << "the About box is modal";
        return about;
    }

    // Gives `close` to the About box and waits until it is gone and the wizard takes input again.
    void CloseAbout(const Window& about, const std::function<void()>& close)
    {
        close();
        EXPECT_TRUE(WaitUntil([&] { return !about.Exists() && app->IsIdle(); })) << app->Describe();
    }
};

TEST_F(Chrome, AboutButtonAndSystemMenuShowTheSameFreshBox)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string intro = app->StatusText();

    Window first = OpenAbout([&] { app->Control(IDC_ABOUT).Click(); });
    CloseAbout(first, [&] { first.Item(IDOK).Click(); });

    Window second = OpenAbout([&] { app->Wizard().SysCommand(IDM_ABOUTBOX); });
    CloseAbout(second, [&] { second.Focus().PressKey(VK_ESCAPE); });

    Window third = OpenAbout([&] { app->Control(IDC_ABOUT).Click(); });
    CloseAbout(third, [&] { third.SysCommand(SC_CLOSE); });

    // The box closed by Escape or its close box leaves the wizard where it was.
    EXPECT_EQ(app->StatusText(), intro);
    EXPECT_TRUE(app->Control(IDCANCEL).IsEnabled());
}

TEST_F(Chrome, AfterTheFirstNextOnlyTheSystemMenuOffersTheAboutBox)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    const std::string summary = app->StatusText();
    ExpectControls(*app, {{IDC_ABOUT, "About", false, true}});

    // Alt+Space: the system menu, with its About entry, in a picture.
    app->Wizard().Post(WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitUntil([&] { return (bool)OpenMenu(app->Id()); })) << app->Describe();
    app->Shot("system-menu");
    app->Wizard().PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !OpenMenu(app->Id()) && app->IsIdle(); })) << app->Describe();

    Window about = OpenAbout([&] { app->Wizard().SysCommand(IDM_ABOUTBOX); });
    CloseAbout(about, [&] { about.Item(IDOK).Click(); });
    EXPECT_EQ(app->StatusText(), summary);
    EXPECT_FALSE(app->IsFinalPage());
}

TEST_F(Chrome, MinimisedWindowComesBack)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Window wizard = app->Wizard();
    wizard.SysCommand(SC_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(wizard.Hwnd()) != FALSE; })) << app->Describe();
    app->Shot("minimised");
    wizard.SysCommand(SC_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return !IsIconic(wizard.Hwnd()) && app->IsIdle(); })) << app->Describe();
    app->Shot("restored");
    EXPECT_TRUE(app->Control(IDC_NEXT).IsEnabled());
}

// The manifest takes effect: the program runs with the common controls 6, which
// draw visual styles (the screenshots show them).
TEST_F(Chrome, RunsWithCommonControls6)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    bool found = false;
    for (const std::string& path : ModulesOf(app->Id())) {
        if (path.size() > 13 && path.compare(path.size() - 13, 13, "\\comctl32.dll") == 0) {
            found = true;
            EXPECT_NE(path.find("common-controls"), std::string::npos) << path;
        }
    }
    EXPECT_TRUE(found) << "comctl32.dll not loaded";
}

// Wine, like Windows 8.1 and later, reports an older version to a program that
// does not declare the newer ones. Told to be Windows 10 for this program, it
// must say so in the log header.
TEST_F(Chrome, LogHeaderReportsTheTrueWindowsVersion)
{
    const char key[] = "Software\\Wine\\AppDefaults\\fernwick.exe";
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr));
    RegSetValueExA(opened, "Version", 0, REG_SZ, (const BYTE*)"win10", 6);
    RegCloseKey(opened);

    Start();
    bool passed = !HasFatalFailure() && app->PassStart();
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    ASSERT_TRUE(passed) << app->Describe();

    EXPECT_NE(Log().find("\r\nOperating system: Windows NT/2000 V10.0 "), std::string::npos) << Log();
}

} // namespace
} // namespace e2e

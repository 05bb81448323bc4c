// The wizard's language as the user's system and the command line choose it,
// its pages as screen readers see them, and its colours in high contrast.
#include "WizardTest.h"

#include <oleacc.h>

#include <set>

#include "Screenshot.h"
#include "Text.h"
#include "win/Strings.h"

namespace e2e {
namespace {

using Access = WizardTest;

// /LANG chooses over the user's language, in any letter case; a language
// without a translation gets English.
TEST_F(Access, LangChoosesTheLanguageElseTheUsersElseEnglish)
{
    struct Case {
        const char* locale;
        const char* arguments;
        const char* tag;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "", "de"},          {"de_DE.UTF-8", "/LANG=fr", "fr"},
        {"en_US.UTF-8", "-lang=PT-br", "pt-BR"}, {"ko_KR.UTF-8", "", "en"},
        {"ja_JP.UTF-8", "/LANG=zh-TW", "en"}, {"fr_CA.UTF-8", "/LANG=ja /NOLOG", "ja"},
        {"zh_CN.UTF-8", "", "zh-CN"},       {"es_MX.UTF-8", "/LANG=xx", "en"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.arguments);
        ASSERT_NO_FATAL_FAILURE(StartIn(c.locale, c.arguments));
        EXPECT_EQ(TranslationForTag(c.tag), language);
        app.reset();
    }
}

// A /LANG that is no language tag is a command line at fault: the usage, in
// the user's language, and nothing done.
TEST_F(Access, ABadLangIsRefusedInTheUsersLanguage)
{
    ASSERT_NO_FATAL_FAILURE(
        LaunchFromUnix(ExeFolder() + "\\fernwick.exe", world.KitFolder(), "LC_ALL=it_IT.UTF-8", "/LANG=italiano"));
    const std::string text = app->WaitForMessageBox();
    language = MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN);
    EXPECT_EQ(text, Format(Text(IDS_USAGE).c_str(), "/LANG=italiano"));
    app->Dialog().Item(IDOK).Click();
    ASSERT_TRUE(app->WaitForExit());
    EXPECT_EQ(app->ExitCode(), 1u);
}

// The name and role a screen reader gets for `control`, through the
// system's accessibility objects; false when it has none.
bool ReadAccessible(const Window& control, std::string& name, long& role)
{
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control.Hwnd(), (DWORD)OBJID_CLIENT, IID_IAccessible, (void**)&accessible)))
        return false;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    VARIANT roleValue;
    VariantInit(&roleValue);
    const bool read = SUCCEEDED(accessible->get_accName(self, &text)) &&
                      SUCCEEDED(accessible->get_accRole(self, &roleValue)) && roleValue.vt == VT_I4;
    name = text ? Utf8Of(std::wstring(text, SysStringLen(text))) : std::string();
    role = roleValue.lVal;
    SysFreeString(text);
    accessible->Release();
    return read;
}

// Every control the user reaches with Tab on `dialog` has a name for screen readers.
void ExpectNamedTabStops(const Window& dialog, const char* page)
{
    int tabStops = 0;
    for (HWND child = GetWindow(dialog.Hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Window control(child);
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) || !control.IsVisible() || !control.IsEnabled())
            continue;
        ++tabStops;
        std::string name;
        long role = 0;
        ASSERT_TRUE(ReadAccessible(control, name, role)) << page << ": control " << GetDlgCtrlID(child);
        EXPECT_FALSE(name.empty()) << page << ": control " << GetDlgCtrlID(child) << " has no name";
        // Wine calls every standard control a "client"; Windows tells them apart.
        EXPECT_NE(role, 0) << page;
    }
    EXPECT_GT(tabStops, 0) << page;
}

// The controls of a program whose accessible names the system says changed,
// as screen readers are told; the calls come while this thread waits.
class NameChanges {
public:
    explicit NameChanges(DWORD process)
        : m_hook(SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, Record, process, 0,
                                 WINEVENT_OUTOFCONTEXT))
    {
        s_changed.clear();
    }
    ~NameChanges() { UnhookWinEvent(m_hook); }
    NameChanges(const NameChanges&) = delete;
    NameChanges& operator=(const NameChanges&) = delete;

    // Waits until the system tells that the name of `control` changed.
    bool WaitFor(const Window& control) const
    {
        return m_hook && WaitUntil([&] {
                   MSG message;
                   while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                       DispatchMessageW(&message);
                   return s_changed.count(control.Hwnd()) != 0;
               });
    }

private:
    static void CALLBACK Record(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
    {
        if (object == OBJID_CLIENT && child == CHILDID_SELF)
            s_changed.insert(hwnd);
    }

    static std::set<HWND> s_changed;
    HWINEVENTHOOK m_hook;
};

std::set<HWND> NameChanges::s_changed;

// Every page and dialog of a run in each language, walked as a screen reader
// walks it: the first page, the version choice, the summary, the licence
// with its text, the About box and the final page; and a page's new text is
// announced.
TEST_F(Access, EveryTabStopIsNamedAndEveryNewTextAnnounced)
{
    ASSERT_TRUE(world.InstallOffice());
    ASSERT_TRUE(world.WriteFile("kit\\license.txt", "Harbour Lights licence\r\n"));
    CoInitialize(nullptr);
    for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8"}) {
        SCOPED_TRACE(locale);
        ASSERT_NO_FATAL_FAILURE(StartIn(locale));
        ExpectNamedTabStops(app->Wizard(), "first page");
        ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_ABOUT).Click(); })) << app->Describe();
        ExpectNamedTabStops(app->Dialog(), "About box");
        ASSERT_TRUE(app->AnswerDialog("")) << app->Describe();

        NameChanges changes(app->Id());
        ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
        // The page's new text is announced.
        EXPECT_TRUE(changes.WaitFor(app->Control(IDC_STATUS_TEXT)));
        ASSERT_EQ(DialogKind(app->Dialog()), "version-choice") << app->Describe();
        ExpectNamedTabStops(app->Dialog(), "version choice");
        ASSERT_TRUE(app->AnswerDialog("summary")) << app->Describe();
        ExpectNamedTabStops(app->Wizard(), "summary");

        ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
        Window licence = app->Dialog();
        ASSERT_EQ(DialogKind(licence), "licence") << app->Describe();
        ExpectNamedTabStops(licence, "licence");
        std::string name;
        long role = 0;
        ASSERT_TRUE(ReadAccessible(licence.Item(IDC_LICENCE_TEXT), name, role));
        // Wine, as Windows, names the box by the label before it.
        EXPECT_EQ(name, Window(GetWindow(licence.Item(IDC_LICENCE_TEXT).Hwnd(), GW_HWNDPREV)).Text());
        // Refused: the final page, with nothing copied.
        ASSERT_TRUE(app->Step("final", [&] { licence.Item(IDCANCEL).Click(); })) << app->Describe();
        ASSERT_TRUE(app->IsFinalPage()) << app->Describe();
        ExpectNamedTabStops(app->Wizard(), "final page");
        app.reset();
    }
    CoUninitialize();
}

// Windows' "High Contrast Black", the colours a page may take from the system.
const struct {
    const char* name;
    BYTE red, green, blue;
} kHighContrastBlack[] = {
    {"Window", 0, 0, 0},          {"WindowText", 255, 255, 255},  {"ButtonFace", 0, 0, 0},
    {"ButtonText", 255, 255, 255}, {"ButtonHilight", 255, 255, 255}, {"ButtonLight", 192, 192, 192},
    {"ButtonShadow", 128, 128, 128}, {"ButtonDkShadow", 255, 255, 255}, {"GrayText", 0, 255, 0},
    {"Hilight", 26, 235, 255},    {"HilightText", 0, 0, 0},       {"HotTrackingColor", 128, 128, 255},
    {"WindowFrame", 255, 255, 255}, {"InfoWindow", 0, 0, 0},      {"InfoText", 255, 255, 255},
};

// Text values of the user's settings, set for the object's life and put back
// afterwards; a program started meanwhile reads them.
class UserSettings {
public:
    UserSettings() = default;
    ~UserSettings()
    {
        for (auto it = m_before.rbegin(); it != m_before.rend(); ++it) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, it->key.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
                continue;
            if (it->had)
                RegSetValueExA(key, it->name.c_str(), 0, REG_SZ, (const BYTE*)it->value.c_str(),
                               (DWORD)it->value.size() + 1);
            else
                RegDeleteValueA(key, it->name.c_str());
            RegCloseKey(key);
        }
    }
    UserSettings(const UserSettings&) = delete;
    UserSettings& operator=(const UserSettings&) = delete;

    bool Set(const std::string& keyName, const std::string& name, const std::string& value)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        char before[256] = "";
        DWORD size = sizeof before;
        const bool had = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, (BYTE*)before, &size) == ERROR_SUCCESS;
        m_before.push_back({keyName, name, had, before});
        const bool set = RegSetValueExA(key, name.c_str(), 0, REG_SZ, (const BYTE*)value.c_str(),
                                        (DWORD)value.size() + 1) == ERROR_SUCCESS;
        RegCloseKey(key);
        return set;
    }

private:
    struct Value {
        std::string key, name;
        bool had;
        std::string value;
    };
    std::vector<Value> m_before;
};

// Whether every pixel of `window`'s client area, as the screen shows it, is
// one of the scheme's colours; else where the first one that is not is.
testing::AssertionResult InSchemeColours(const Window& window)
{
    RECT area;
    GetClientRect(window.Hwnd(), &area);
    MapWindowPoints(window.Hwnd(), nullptr, (POINT*)&area, 2);
    const std::string picture = CaptureScreenArea(area);
    if (picture.empty())
        return testing::AssertionFailure() << "the screen could not be read";
    const auto* info = (const BITMAPINFOHEADER*)(picture.data() + sizeof(BITMAPFILEHEADER));
    const BYTE* pixels = (const BYTE*)picture.data() + ((const BITMAPFILEHEADER*)picture.data())->bfOffBits;
    const int stride = (info->biWidth * 3 + 3) & ~3;
    for (int y = 0; y < info->biHeight; ++y) {
        for (int x = 0; x < info->biWidth; ++x) {
            // Rows bottom up, each pixel blue, green, red.
            const BYTE* pixel = pixels + (size_t)(info->biHeight - 1 - y) * stride + x * 3;
            bool known = false;
            for (const auto& colour : kHighContrastBlack)
                known = known || (pixel[2] == colour.red && pixel[1] == colour.green && pixel[0] == colour.blue);
            if (!known)
                return testing::AssertionFailure() << "pixel " << x << "," << y << " is " << (int)pixel[2] << " "
                                                   << (int)pixel[1] << " " << (int)pixel[0];
        }
    }
    return testing::AssertionSuccess();
}

// Nothing is drawn in a colour of the wizard's own: under a high-contrast
// scheme its pages show the scheme's colours alone (the screenshots show how).
TEST_F(Access, PagesTakeTheHighContrastColours)
{
    // As Windows does it: the scheme's colours, and no visual style.
    UserSettings settings;
    for (const auto& colour : kHighContrastBlack) {
        ASSERT_TRUE(settings.Set("Control Panel\\Colors", colour.name,
                                 Format("%u %u %u", colour.red, colour.green, colour.blue)));
    }
    ASSERT_TRUE(settings.Set("Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", "ThemeActive", "0"));
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(InSchemeColours(app->Wizard())) << "first page";
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    EXPECT_TRUE(InSchemeColours(app->Wizard())) << "summary";
    ASSERT_TRUE(app->PassLicence()) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();
    EXPECT_TRUE(InSchemeColours(app->Wizard())) << "final page";
}

} // namespace
} // namespace e2e

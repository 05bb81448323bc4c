// The wizard's language as the user's system and the command line choose it,
// and its pages as screen readers see them.
#include "WizardTest.h"

#include <oleacc.h>

#include <set>

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

} // namespace
} // namespace e2e

// The translations: how the wizard's language is chosen, and every language's
// string table and dialogs, measured as the system lays them out.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <set>
#include <vector>

#include "Support.h"
#include "Text.h"
#include "res/resource.h"
#include "win/Language.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

namespace {

const UINT kDialogs[] = {IDD_WIZARD, IDD_ABOUT, IDD_LICENCE, IDD_VERSION};

// Makes `language` the wizard's for the object's life.
class UiLanguageScope {
public:
    explicit UiLanguageScope(LANGID language) { SetUiLanguage(language); }
    ~UiLanguageScope() { SetUiLanguage(kEnglish); }
};

BOOL CALLBACK AddStringBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    auto* found = (std::vector<UINT>*)param;
    const UINT block = (UINT)(ULONG_PTR)name;
    for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
        std::wstring text;
        if (FindResString(kEnglish, id, text))
            found->push_back(id);
    }
    return TRUE;
}

// Every string of the English string table, whatever its id.
std::vector<UINT> EnglishStringIds()
{
    std::vector<UINT> ids;
    EnumResourceNamesW(GetModuleHandleW(nullptr), (LPCWSTR)RT_STRING, AddStringBlock, (LONG_PTR)&ids);
    return ids;
}

// The printf conversions of a format, in order ("%s%d"; "%%" is none).
std::string Conversions(const std::string& format)
{
    std::string found;
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (format[i + 1] == '%') {
            ++i;
            continue;
        }
        found += format.substr(i, 2);
    }
    return found;
}

std::string Tag(LANGID language)
{
    for (const Translation& translation : kTranslations) {
        if (translation.language == language)
            return translation.tag;
    }
    return "none";
}

TEST(Languages, TheUsersLanguageChoosesItsTranslationElseEnglish)
{
    struct Case {
        LANGID user;
        const char* tag;
    };
    const Case cases[] = {
        {0x0409, "en"},    {0x0809, "en"},    {0x0407, "de"}, {0x0C07, "de"}, {0x0807, "de"}, {0x040C, "fr"},
        {0x0C0C, "fr"},    {0x0C0A, "es"},    {0x080A, "es"}, {0x040A, "es"}, {0x0410, "it"}, {0x0416, "pt-BR"},
        {0x0816, "pt-BR"}, {0x0411, "ja"},    {0x0804, "zh-CN"}, {0x1004, "zh-CN"},
        // Traditional Chinese, and languages without a translation.
        {0x0404, "en"},    {0x0C04, "en"},    {0x1404, "en"}, {0x0412, "en"}, {0x0419, "en"}, {0x0000, "en"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.tag, Tag(TranslationFor(c.user))) << std::hex << c.user;
}

TEST(Languages, ALangTagChoosesItsTranslationInAnyCase)
{
    struct Case {
        const char* tag;
        bool wellFormed;
        const char* translation;
    };
    const Case cases[] = {
        {"de", true, "de"},         {"DE", true, "de"},         {"de-AT", true, "de"},
        {"fr-ca", true, "fr"},      {"es-419", true, "es"},     {"it", true, "it"},
        {"pt-BR", true, "pt-BR"},   {"PT-br", true, "pt-BR"},   {"pt", true, "pt-BR"},
        {"pt-PT", true, "pt-BR"},   {"ja", true, "ja"},         {"JA-jp", true, "ja"},
        {"zh-CN", true, "zh-CN"},   {"zh", true, "zh-CN"},      {"zh-Hans", true, "zh-CN"},
        {"zh-SG", true, "zh-CN"},   {"zh-TW", true, "en"},      {"zh-Hant-HK", true, "en"},
        {"ko", true, "en"},         {"en-GB", true, "en"},      {"tlh", true, "en"},
        {"", false, nullptr},       {"d", false, nullptr},      {"deut", false, nullptr},
        {"de-", false, nullptr},    {"-de", false, nullptr},    {"de_DE", false, nullptr},
        {"de DE", false, nullptr},  {"d1", false, nullptr},     {"de-A", false, nullptr},
        {"de-ABCDEFGHI", false, nullptr}, {"de--AT", false, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.wellFormed, IsLanguageTag(c.tag)) << '"' << c.tag << '"';
        if (c.translation) {
            EXPECT_EQ(c.translation, Tag(TranslationForTag(c.tag))) << c.tag;
        }
    }
}

// A string English has and a translation lacks would show in English: every
// string, also one added later, is in every translation, with the same printf
// conversions in the same order (the same values are formatted into both).
TEST(Languages, EveryTranslationHasEveryStringWithItsConversions)
{
    const std::vector<UINT> ids = EnglishStringIds();
    ASSERT_GT(ids.size(), 50u);
    for (const Translation& translation : kTranslations) {
        for (UINT id : ids) {
            std::wstring english, translated;
            FindResString(kEnglish, id, english);
            ASSERT_TRUE(FindResString(translation.language, id, translated))
                << translation.tag << " lacks string " << id << ": " << Utf8Of(english);
            EXPECT_EQ(Conversions(Utf8Of(english)), Conversions(Utf8Of(translated)))
                << translation.tag << " string " << id << ": " << Utf8Of(translated);
        }
    }
}

// A box's text is shown in the wizard's language and logged in English,
// formatted alike.
TEST(Languages, MessagesAreShownTranslatedAndLoggedInEnglish)
{
    UiLanguageScope german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    const MessageText text = FormatMessageText(IDS_FILE_IN_USE_BY, "Editor", "C:\\a.htm");
    EXPECT_EQ("This file is in use by Editor:\nC:\\a.htm\n\nClose that program, then click Retry. Click Cancel to "
              "stop the installation.",
              text.logged);
    EXPECT_EQ(0u, text.shown.find("Diese Datei wird von Editor verwendet:\nC:\\a.htm\n\n")) << text.shown;
    EXPECT_EQ("Installation cancelled.", LoadLogString(IDS_INSTALL_CANCELLED));
    EXPECT_EQ("Die Installation wurde abgebrochen.", LoadResString(IDS_INSTALL_CANCELLED));
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A dialog of one language, created as the program creates it, hidden.
class LanguageDialog {
public:
    LanguageDialog(LANGID language, UINT id)
    {
        HMODULE module = GetModuleHandleW(nullptr);
        HRSRC found = FindResourceExW(module, (LPCWSTR)RT_DIALOG, MAKEINTRESOURCEW(id), language);
        if (!found)
            return;
        auto* dialogTemplate = (LPCDLGTEMPLATEW)LockResource(LoadResource(module, found));
        m_hwnd = CreateDialogIndirectParamW(module, dialogTemplate, nullptr, QuietDialogProc, 0);
    }
    ~LanguageDialog()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    HWND Hwnd() const { return m_hwnd; }
    std::vector<HWND> Controls() const
    {
        std::vector<HWND> controls;
        for (HWND child = GetWindow(m_hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            controls.push_back(child);
        return controls;
    }

private:
    HWND m_hwnd = nullptr;
};

std::string ClassOf(HWND control)
{
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

bool IsTextStatic(HWND control)
{
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    return lstrcmpiA(ClassOf(control).c_str(), "Static") == 0 && (style & SS_TYPEMASK) != SS_ICON;
}

// The size `text` takes in `control`'s own font: on one line, or word-wrapped
// to `wrapWidth` when it is above 0.
SIZE TextSize(HWND control, const std::wstring& text, int wrapWidth, bool noPrefix)
{
    RECT needed = {0, 0, wrapWidth, 0};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(control, WM_GETFONT, 0, 0));
    DrawTextW(dc, text.c_str(), -1, &needed,
              DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE) | (noPrefix ? DT_NOPREFIX : 0));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {needed.right - needed.left, needed.bottom - needed.top};
}

// Whether `text` is shown whole in `control`: a button's on one line beside
// its box or within its frame, a static text's word-wrapped in its area.
testing::AssertionResult Fits(HWND control, const std::wstring& text)
{
    RECT client;
    GetClientRect(control, &client);
    const int width = client.right, height = client.bottom;
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    SIZE needed;
    int room = width;
    if (IsTextStatic(control)) {
        needed = TextSize(control, text, width, (style & SS_NOPREFIX) != 0);
    } else {
        needed = TextSize(control, text, 0, false);
        switch (style & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX:
        case BS_AUTORADIOBUTTON:
            // The box, and the gap after it.
            room -= GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE) * 2;
            break;
        default:
            // The frame and the focus rectangle inside it.
            room -= GetSystemMetrics(SM_CXEDGE) * 4;
        }
    }
    if (needed.cx <= room && needed.cy <= height)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << '"' << Utf8Of(text) << "\" needs " << needed.cx << "x" << needed.cy
                                       << " px, has " << room << "x" << height;
}

// The status texts the wizard's own strings make, with the kit's introduction
// of the sample kit and a log's usual path: each fits the text area.
std::vector<std::string> StatusTexts()
{
    const std::string logNote = "\n" + Format(LoadResString(IDS_LOG_WRITTEN).c_str(), "C:\\WINDOWS\\TEMP\\fernwick.log");
    std::vector<std::string> texts = {
        LoadResString(IDS_SEARCHING), LoadResString(IDS_COPYING), LoadResString(IDS_READY),
        LoadResString(IDS_INSTALL_DONE) + logNote, LoadResString(IDS_INSTALL_FAILED) + logNote,
        LoadResString(IDS_INSTALL_CANCELLED) + logNote,
        Format(LoadResString(IDS_PACKING).c_str(), "C:\\Kits\\Harbour Lights-setup.exe"),
    };
    return texts;
}

// The introduction of the first page, above the "About..." button that
// covers the text area's last lines.
std::string FirstPageText()
{
    return "Fernwick Garden Collection\nFour themes, with page, web and frame templates\nto match, for FrontPage 98, "
           "2000 and 2002.\n\n" +
           LoadResString(IDS_INTRO);
}

// Each control's text of every dialog of every language is shown whole, its
// mnemonics are unique in the dialog, and each control without a text of its
// own (an edit box, a progress bar) follows the label screen readers name it by.
// Run at the screen's DPI, and by the next test at 144 DPI.
TEST(Languages, DialogsFitTheirTextsHaveUniqueMnemonicsAndLabels)
{
    // As the program's manifest declares it: laid out for the screen's DPI.
    using SetProcessDpiAwareFn = BOOL(WINAPI*)();
    if (auto aware = (SetProcessDpiAwareFn)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware"))
        aware();
    if (const char* dpi = getenv("FERNWICK_TEST_DPI")) {
        HDC screen = GetDC(nullptr);
        ASSERT_EQ(atoi(dpi), GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    for (const Translation& translation : kTranslations) {
        UiLanguageScope language(translation.language);
        for (UINT id : kDialogs) {
            SCOPED_TRACE(std::string(translation.tag) + " dialog " + std::to_string(id));
            LanguageDialog dialog(translation.language, id);
            LanguageDialog english(kEnglish, id);
            ASSERT_TRUE(dialog.Hwnd());
            std::vector<HWND> controls = dialog.Controls();
            std::vector<HWND> englishControls = english.Controls();
            ASSERT_EQ(englishControls.size(), controls.size()) << "the controls are English's";
            std::map<wchar_t, std::string> mnemonics;
            for (size_t i = 0; i < controls.size(); ++i) {
                HWND control = controls[i];
                EXPECT_EQ(GetDlgCtrlID(englishControls[i]), GetDlgCtrlID(control)) << "in English's order";
                const LONG keyboard = WS_GROUP | WS_TABSTOP;
                EXPECT_EQ(GetWindowLongW(englishControls[i], GWL_STYLE) & keyboard,
                          GetWindowLongW(control, GWL_STYLE) & keyboard)
                    << "English's groups and tab stops";
                std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
                text.resize(GetWindowTextW(control, &text[0], (int)text.size()));
                const std::string kind = ClassOf(control);
                const LONG style = GetWindowLongW(control, GWL_STYLE);
                if (lstrcmpiA(kind.c_str(), "Edit") == 0 || lstrcmpiA(kind.c_str(), PROGRESS_CLASSA) == 0) {
                    EXPECT_TRUE(i > 0 && IsTextStatic(controls[i - 1])) << kind << " has no label before it";
                    continue;
                }
                if (style & WS_TABSTOP) {
                    EXPECT_FALSE(text.empty()) << "a tab stop without a name";
                }
                if (!text.empty() && GetDlgCtrlID(control) != IDC_STATUS_TEXT) {
                    EXPECT_TRUE(Fits(control, text));
                }
                if (IsTextStatic(control) && (style & SS_NOPREFIX))
                    continue;
                for (size_t at = text.find(L'&'); at != std::wstring::npos && at + 1 < text.size();
                     at = text.find(L'&', at + 2)) {
                    if (text[at + 1] == L'&')
                        continue;
                    wchar_t key = text[at + 1];
                    CharLowerBuffW(&key, 1);
                    EXPECT_TRUE(mnemonics.emplace(key, Utf8Of(text)).second)
                        << "mnemonic of \"" << Utf8Of(text) << "\" also in \"" << mnemonics[key] << "\"";
                }
            }
            if (id != IDD_WIZARD)
                continue;
            HWND status = GetDlgItem(dialog.Hwnd(), IDC_STATUS_TEXT);
            for (const std::string& text : StatusTexts())
                EXPECT_TRUE(Fits(status, WideOf(text)));
            RECT statusRect, aboutRect;
            GetWindowRect(status, &statusRect);
            GetWindowRect(GetDlgItem(dialog.Hwnd(), IDC_ABOUT), &aboutRect);
            RECT client;
            GetClientRect(status, &client);
            const SIZE intro = TextSize(status, WideOf(FirstPageText()), client.right, false);
            EXPECT_LE(statusRect.top + intro.cy, aboutRect.top) << "the introduction runs under \"About...\"";
        }
    }
}

TEST(Languages, DialogsFitTheirTextsAt144Dpi)
{
    const char desktop[] = "Control Panel\\Desktop";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, desktop, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    DWORD before = 0, size = sizeof before, type = 0;
    const bool had = RegQueryValueExA(key, "LogPixels", nullptr, &type, (BYTE*)&before, &size) == ERROR_SUCCESS;
    const DWORD dpi = 144;
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, (const BYTE*)&dpi, sizeof dpi);

    // A process reads the DPI when it starts: this test program again, on the test above.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine =
        "\"" + std::string(self) + "\" --gtest_filter=Languages.DialogsFitTheirTextsHaveUniqueMnemonicsAndLabels";
    SetEnvironmentVariableA("FERNWICK_TEST_DPI", "144");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    const bool started =
        CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableA("FERNWICK_TEST_DPI", nullptr);
    DWORD exitCode = 1;
    if (started) {
        WaitForSingleObject(child.hProcess, 5 * 60 * 1000);
        GetExitCodeProcess(child.hProcess, &exitCode);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    if (had)
        RegSetValueExA(key, "LogPixels", 0, type, (const BYTE*)&before, sizeof before);
    else
        RegDeleteValueA(key, "LogPixels");
    RegCloseKey(key);
    ASSERT_TRUE(started);
    EXPECT_EQ(0u, exitCode) << "the dialogs at 144 DPI: see the output above";
}

} // namespace

#include <gtest/gtest.h>

#include <functional>

#include "KitLog.h"
#include "Text.h"
#include "kit/Licence.h"
#include "res/resource.h"

namespace {

// Makes `path` a file of `size` bytes that takes no room on the disk (its
// bytes are all zero); false when it cannot be made.
bool MakeSparse(const std::string& path, LONGLONG size)
{
    HANDLE file = CreateFileW(WideOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
}

// What the user does with the licence dialog.
void PressAccept(HWND dialog)
{
    Click(dialog, IDOK);
}

void PressDontAccept(HWND dialog)
{
    Click(dialog, IDCANCEL);
}

void PressEscape(HWND)
{
    // Keys go to the control with the focus; the dialog's own loop turns Escape into Cancel.
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0);
}

void PressCloseBox(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// What the licence dialog showed when it opened.
struct Shown {
    std::string caption;
    std::string text;
    bool acceptReady = false;
};

TEST(ShowLicence, UserAnswers)
{
    struct Case {
        const char* what;
        std::function<void(HWND)> answer;
        bool result;
        const char* log;
    };
    const Case cases[] = {
        {"Accept", PressAccept, true, "User accepted licence\r\n"},
        {"Don't Accept", PressDontAccept, false, "User rejected licence\r\n"},
        {"Escape", PressEscape, false, "User rejected licence\r\n"},
        {"close box", PressCloseBox, false, "User rejected licence\r\n"},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        kit.Write("license.txt", "You may use these themes.\r\nKeep this notice.");
        CurrentFolder current(kit.Path());
        KitLog test;
        Shown shown;
        ModalAnswerer answerer([&](HWND dialog) {
            shown.caption = TextOf(dialog);
            shown.text = TextOf(GetDlgItem(dialog, IDC_LICENCE_TEXT));
            shown.acceptReady = IsWindowEnabled(GetDlgItem(dialog, IDOK)) && GetFocus() == GetDlgItem(dialog, IDOK);
            c.answer(dialog);
        });
        EXPECT_EQ(c.result, ShowLicence(LicenceAnswer::User, test.Line(), nullptr)) << c.what;
        EXPECT_EQ(1u, answerer.Seen().size()) << c.what;
        EXPECT_EQ("FrontPage Fernwick", shown.caption) << c.what;
        EXPECT_EQ("You may use these themes.\r\nKeep this notice.\r\n", shown.text) << c.what;
        EXPECT_TRUE(shown.acceptReady) << c.what;
        EXPECT_EQ(c.log, test.Log()) << c.what;
    }
}

TEST(ShowLicence, AgreementShownWholeWithCrLfLines)
{
    std::string longLine(3000, 'w');
    std::string many, manyShown;
    for (int i = 0; i < 2000; ++i) {
        many += "Clause " + std::to_string(i) + "\n";
        manyShown += "Clause " + std::to_string(i) + "\r\n";
    }
    struct Case {
        const char* what;
        std::string content;
        std::string shown;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"empty lines", "\n\r\n", "\r\n\r\n"},
        {"line feeds", "a\nb\n", "a\r\nb\r\n"},
        {"long line, as lines of 2,000 characters", longLine,
         longLine.substr(0, 2000) + "\r\n" + longLine.substr(2000) + "\r\n"},
        {"many lines", many, manyShown},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        kit.Write("license.txt", c.content);
        CurrentFolder current(kit.Path());
        KitLog test;
        std::string shown = "(no dialog)";
        ModalAnswerer answerer([&](HWND dialog) {
            shown = TextOf(GetDlgItem(dialog, IDC_LICENCE_TEXT));
            Click(dialog, IDOK);
        });
        EXPECT_TRUE(ShowLicence(LicenceAnswer::User, test.Line(), nullptr)) << c.what;
        EXPECT_EQ(c.shown.size(), shown.size()) << c.what;
        EXPECT_TRUE(c.shown == shown) << c.what;
    }
}

TEST(ShowLicence, NoDialogWithoutAReadableAgreement)
{
    struct Case {
        const char* what;
        std::function<bool(const TempFolder&)> make;
        bool result;
        const char* log;
    };
    const Case cases[] = {
        {"missing", [](const TempFolder&) { return true; }, true, "No licence file supplied\r\n"},
        {"a folder", [](const TempFolder& kit) { return !kit.MakeDir("license.txt").empty(); }, true,
         "No licence file supplied\r\n"},
        {"unreadable", [](const TempFolder& kit) { return MakeUnreadable(kit / "license.txt"); }, false, ""},
        // Refused from its size, without reading it: reading 4 GiB would take minutes.
        {"over 16 MiB", [](const TempFolder& kit) { return MakeSparse(kit / "license.txt", (16 << 20) + 1); }, false,
         "Licence file too large\r\n"},
        {"4 GiB", [](const TempFolder& kit) { return MakeSparse(kit / "license.txt", 4LL << 30); }, false,
         "Licence file too large\r\n"},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        ASSERT_TRUE(c.make(kit)) << c.what;
        CurrentFolder current(kit.Path());
        KitLog test;
        ModalAnswerer answerer([](HWND dialog) { Click(dialog, IDOK); });
        EXPECT_EQ(c.result, ShowLicence(LicenceAnswer::User, test.Line(), nullptr)) << c.what;
        EXPECT_EQ(0u, answerer.Seen().size()) << c.what;
        EXPECT_EQ(c.log, test.Log()) << c.what;
    }
}

// An unattended run answers from its command line, without a dialog, but
// only an agreement it could read whole.
TEST(ShowLicence, AnsweredByTheCommandLine)
{
    struct Case {
        const char* what;
        LicenceAnswer answer;
        bool readable;
        bool result;
        const char* log;
    };
    const Case cases[] = {
        {"/ACCEPTLICENCE", LicenceAnswer::CommandLine, true, true, "Licence accepted on the command line\r\n"},
        {"without it", LicenceAnswer::NotOnCommandLine, true, false, "Licence not accepted on the command line\r\n"},
        {"/ACCEPTLICENCE, unreadable", LicenceAnswer::CommandLine, false, false, ""},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        if (c.readable)
            kit.Write("license.txt", "Terms");
        else
            ASSERT_TRUE(MakeUnreadable(kit / "license.txt")) << c.what;
        CurrentFolder current(kit.Path());
        KitLog test;
        ModalAnswerer answerer([](HWND dialog) { Click(dialog, IDOK); });
        EXPECT_EQ(c.result, ShowLicence(c.answer, test.Line(), nullptr)) << c.what;
        EXPECT_EQ(0u, answerer.Seen().size()) << c.what;
        EXPECT_EQ(c.log, test.Log()) << c.what;
    }
}

} // namespace

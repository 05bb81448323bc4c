// The About box, the system menu and the icons of the real wizard, run modally.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>

#include "Support.h"
#include "app/AboutDlg.h"
#include "app/Chrome.h"
#include "app/InstallDlg.h"
#include "res/resource.h"

namespace {

bool IsAboutBox(HWND dialog)
{
    return GetDlgItem(dialog, IDC_VERSION_TEXT) != nullptr;
}

// Dispatches this thread's messages until `done` holds or five seconds pass.
bool PumpUntil(const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 5000)
            return false;
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return true;
}

// How a test closes an About box, each as the user's action reaches the box.
enum class Close { OkButton, EscapeKey, CloseBox };

void CloseAbout(HWND about, Close how)
{
    switch (how) {
    case Close::OkButton:
        Click(about, IDOK);
        break;
    case Close::EscapeKey: {
        HWND focus = GetFocus();
        PostMessageA(IsChild(about, focus) ? focus : about, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
    }
    case Close::CloseBox:
        PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

struct AboutSeen {
    HWND box;
    HWND owner;
    std::string caption;
    std::string version;
};

// The real wizard, run modally in an empty kit folder as the program runs it.
// `drive` gets the shown wizard from inside its modal loop; every About box that
// opens meanwhile is recorded and closed the way `close` says. Afterwards the
// wizard is ended through its final page, as a user ends it.
class WizardRun {
public:
    Close close = Close::OkButton;
    std::vector<AboutSeen> about;

    void Run(const std::function<void(CInstallDlg&, HWND)>& drive)
    {
        TempFolder kit;
        CurrentFolder inKit(kit.Path());
        CInstallDlg wizard;
        Dialog::SetMain(&wizard);
        ModalAnswerer answerer([&](HWND dialog) {
            if (IsAboutBox(dialog)) {
                about.push_back({dialog, GetWindow(dialog, GW_OWNER), TextOf(dialog),
                                 TextOf(dialog, IDC_VERSION_TEXT)});
                CloseAbout(dialog, close);
                return;
            }
            if (dialog != wizard.Hwnd())
                return;
            drive(wizard, dialog);
            if (IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)))
                Click(dialog, IDCANCEL);
            EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }));
            Click(dialog, IDOK);
        });
        wizard.DoModal();
        Dialog::SetMain(nullptr);
    }
};

TEST(Chrome, AboutBoxFromTheButtonAndFromTheSystemMenuIsTheSameFreshBox)
{
    struct Case {
        const char* how;
        std::function<void(HWND wizard)> open;
        Close close;
    };
    const Case cases[] = {
        {"About... button", [](HWND w) { SendMessageA(GetDlgItem(w, IDC_ABOUT), BM_CLICK, 0, 0); },
         Close::OkButton},
        {"system menu entry", [](HWND w) { SendMessageA(w, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
         Close::EscapeKey},
        {"system menu entry again", [](HWND w) { SendMessageA(w, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
         Close::CloseBox},
        {"About... button again", [](HWND w) { SendMessageA(GetDlgItem(w, IDC_ABOUT), BM_CLICK, 0, 0); },
         Close::CloseBox},
    };
    WizardRun run;
    HWND wizardWindow = nullptr;
    run.Run([&](CInstallDlg&, HWND wizard) {
        wizardWindow = wizard;
        char entry[64] = "";
        GetMenuStringA(GetSystemMenu(wizard, FALSE), IDM_ABOUTBOX, entry, sizeof entry, MF_BYCOMMAND);
        EXPECT_STREQ("&About Install...", entry);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.how);
            size_t before = run.about.size();
            run.close = c.close;
            // Returns once the box has been closed: it is modal.
            c.open(wizard);
            ASSERT_EQ(before + 1, run.about.size());
            const AboutSeen& seen = run.about.back();
            EXPECT_EQ("About Install", seen.caption);
            EXPECT_EQ("Fernwick V2.1", seen.version);
            EXPECT_EQ(wizard, seen.owner);
            EXPECT_FALSE(IsWindow(seen.box)) << "the box outlives its closing";
            EXPECT_TRUE(IsWindowEnabled(wizard)) << "the wizard stays disabled";
        }
    });
    EXPECT_EQ(std::size(cases), run.about.size());
    EXPECT_FALSE(IsWindow(wizardWindow));
}

TEST(Chrome, OnlySystemCommands16To31OpenTheAboutBox)
{
    struct Case {
        UINT id;
        bool opens;
    };
    const Case cases[] = {{15, false}, {16, true}, {17, true}, {31, true}, {32, false}, {0x1010, false}};
    WizardRun run;
    run.Run([&](CInstallDlg&, HWND wizard) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.id);
            size_t before = run.about.size();
            SendMessageA(wizard, WM_SYSCOMMAND, c.id, 0);
            EXPECT_EQ(c.opens ? before + 1 : before, run.about.size());
        }
    });
}

TEST(Chrome, OtherSystemCommandsTakeTheirDefaultCourse)
{
    WizardRun run;
    run.Run([&](CInstallDlg&, HWND window) {
        SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(IsIconic(window));
        SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        EXPECT_FALSE(IsIconic(window));
        // Closing becomes the cancel command: the final page, the dialog still there.
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(GetDlgItem(window, IDCANCEL)); }));
        EXPECT_EQ("Installation cancelled.", TextOf(window, IDC_STATUS_TEXT));
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_TRUE(run.about.empty());
    });
}

TEST(Chrome, TitleBarAndDragIconsAreTheApplicationIcon)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP));
    ASSERT_NE(nullptr, icon);
    WizardRun run;
    run.Run([&](CInstallDlg&, HWND window) {
        EXPECT_EQ((LRESULT)icon, SendMessageA(window, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ((LRESULT)icon, SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
        SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_EQ((LRESULT)icon, SendMessageA(window, WM_QUERYDRAGICON, 0, 0));
        SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    });
}

TEST(Chrome, MinimisedIconIsCentredRoundingTowardZero)
{
    struct Case {
        RECT client;
        int iconWidth, iconHeight;
        LONG x, y;
    };
    const Case cases[] = {
        {{0, 0, 36, 36}, 32, 32, 2, 2},
        {{0, 0, 31, 36}, 32, 32, 0, 2},
        {{0, 0, 30, 36}, 32, 32, 0, 2},
        {{0, 0, 29, 36}, 32, 32, -1, 2},
        {{0, 0, 36, 29}, 32, 32, 2, -1},
        {{0, 0, 0, 0}, 32, 32, -15, -15},
        {{0, 0, 100, 60}, 48, 16, 26, 22},
        {{10, 20, 46, 56}, 32, 32, 2, 2},
    };
    for (const Case& c : cases) {
        POINT at = CentredIconPosition(c.client, c.iconWidth, c.iconHeight);
        EXPECT_EQ(c.x, at.x) << c.client.right - c.client.left << " wide";
        EXPECT_EQ(c.y, at.y) << c.client.bottom - c.client.top << " high";
    }
}

// Every text of the About box is shown whole in its control, in the box's own font.
TEST(Chrome, AboutBoxTextsFitTheirControls)
{
    std::vector<std::string> texts;
    CAboutDlg about;
    ModalAnswerer answerer([&](HWND box) {
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char className[32] = "";
            GetClassNameA(child, className, sizeof className);
            LONG style = GetWindowLongA(child, GWL_STYLE);
            if (lstrcmpiA(className, "Static") != 0 || (style & SS_TYPEMASK) == SS_ICON)
                continue;
            std::string text = TextOf(child);
            texts.push_back(text);
            RECT client;
            GetClientRect(child, &client);
            RECT needed = client;
            HDC dc = GetDC(child);
            HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(child, WM_GETFONT, 0, 0));
            UINT format = DT_CALCRECT | DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            DrawTextA(dc, text.c_str(), -1, &needed, format);
            SelectObject(dc, old);
            ReleaseDC(child, dc);
            EXPECT_LE(needed.bottom - needed.top, client.bottom - client.top) << text;
            EXPECT_LE(needed.right - needed.left, client.right - client.left) << text;
        }
        Click(box, IDOK);
    });
    about.DoModal();
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ("FrontPage Fernwick", texts[0]);
    EXPECT_EQ(3, std::count(texts[1].begin(), texts[1].end(), '\n') + 1) << "three lines of notice";
    EXPECT_EQ("Fernwick V2.1", texts[2]);
}

} // namespace

// The real wizard dialog run modally with a kit and the four target folders of
// a FrontPage installation in a scratch folder, for the file installation's
// tests: shared by the tests of the copy and of its faults.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "Support.h"
#include "app/InstallDlg.h"
#include "frontpage/Registry.h"
#include "res/resource.h"

inline const char* const kHeadings[] = {
    "Copying version-specific themes...",         "Copying common themes...",
    "Copying version-specific page templates...", "Copying common page templates...",
    "Copying version-specific web templates...",  "Copying common web templates...",
    "Copying version-specific frame templates...", "Copying common frame templates...",
};

// The real wizard dialog, run modally; `body` runs inside its message loop once
// the dialog is up, and the dialog ends after it.
struct WizardRun {
    CInstallDlg* wizard;
    const std::function<void()>* body;
};
inline WizardRun* g_run = nullptr;

inline void CALLBACK RunBody(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    (*g_run->body)();
    EndDialog(g_run->wizard->Hwnd(), IDCANCEL);
}

inline void RunInWizard(CInstallDlg& wizard, const std::function<void()>& body)
{
    WizardRun run{&wizard, &body};
    g_run = &run;
    Dialog::SetMain(&wizard);
    SetTimer(nullptr, 0, 0, RunBody);
    wizard.DoModal();
    Dialog::SetMain(nullptr);
    g_run = nullptr;
}

// Dispatches this thread's messages, as the wizard's loop does, until `done`
// holds; false when it still does not after ten seconds.
inline bool PumpUntil(HWND dialog, const std::function<bool()>& done)
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

// What the wizard showed when InstallFiles returned.
struct Shown {
    // Installed, and how the copy stage ended.
    bool result = false;
    InstallResult outcome = InstallResult::Failed;
    std::string status;
    bool barVisible = false;
    int barHigh = -1;
    int barPos = -1;
    HCURSOR cursorBefore = nullptr;
    HCURSOR cursorAfter = nullptr;
};

// A kit and the four target folders of a FrontPage installation in a scratch
// folder, and the real wizard logging there with the kit as its current folder.
class InstallWorld {
public:
    explicit InstallWorld(const char* versionFolder = "fp98") : current(folder.MakeDir("kit"))
    {
        registry.SetString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, folder.Path());
        wizard.m_target.versionFolder = versionFolder;
        wizard.m_target.themesFolder = folder.MakeDir("fp\\Themes");
        wizard.m_target.pagesFolder = folder.MakeDir("fp\\Pages");
        wizard.m_target.websFolder = folder.MakeDir("fp\\Webs");
        wizard.m_target.framesFolder = folder.MakeDir("fp\\Frames");
        // The kit's name and its data folder, as below Common Files.
        wizard.m_kitName = "Kit";
        wizard.m_dataFolder = folder / "Fernwick\\Kit";
        wizard.m_logging = true;
        wizard.OpenLog();
    }

    // Writes a file of the kit, holding its own path in the kit.
    void Kit(const std::string& relative) { folder.Write("kit\\" + relative, relative); }

    // Runs InstallFiles in the shown wizard: `before` runs first, `after` right
    // after it returns. Message boxes are answered by `answer`, their texts kept.
    Shown Install(const std::function<void()>& before = {}, const std::function<void()>& after = {})
    {
        Shown shown;
        ModalAnswerer answerer([&](HWND box) {
            if (box == wizard.Hwnd())
                return;
            boxes.push_back(MessageBoxText(box));
            // A box without the button asked for (one the test did not
            // expect) is still answered, so that the test fails, not hangs.
            for (int button : {answer(boxes.back()), IDOK, IDCANCEL, IDNO}) {
                if (GetDlgItem(box, button)) {
                    Click(box, button);
                    break;
                }
            }
        });
        RunInWizard(wizard, [&] {
            if (before)
                before();
            shown.cursorBefore = GetCursor();
            shown.outcome = wizard.InstallFiles();
            shown.result = shown.outcome == InstallResult::Installed;
            shown.cursorAfter = GetCursor();
            shown.status = TextOf(wizard.Hwnd(), IDC_STATUS_TEXT);
            HWND bar = wizard.m_progress.Hwnd();
            shown.barVisible = IsWindowVisible(bar);
            shown.barHigh = (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
            shown.barPos = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
            if (after)
                after();
        });
        return shown;
    }

    // The log's lines after its six header lines.
    std::vector<std::string> Log() const
    {
        std::string log = ReadFileBytes(wizard.m_log.Path());
        std::vector<std::string> lines;
        for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(log.substr(start, end - start));
        lines.erase(lines.begin(), lines.begin() + std::min<size_t>(6, lines.size()));
        return lines;
    }

    ScratchRegistry registry;
    TempFolder folder;
    CurrentFolder current;
    CInstallDlg wizard;
    // The button that answers a message box with this text: OK, the only
    // button of a report, unless a test says otherwise.
    std::function<int(const std::string& text)> answer = [](const std::string&) { return IDOK; };
    std::vector<std::string> boxes;
};

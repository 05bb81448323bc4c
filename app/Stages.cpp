// The three stages behind "Next >", the cancel command and the final page.
#include "app/InstallDlg.h"

#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

// The system's own Notepad, by its full path, so that no program named
// notepad beside the kit is ever started in its place.
std::string SystemNotepad()
{
    wchar_t folder[MAX_PATH];
    UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::string path = Utf8(folder, length) + "\\notepad.exe";
        if (FileExists(path))
            return path;
    }
    length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return Utf8(folder, length) + "\\notepad.exe";
    return std::string();
}

// Opens the kit's readme in Notepad, in the current folder, the kit's, by
// its name relative to it, which holds for a kit folder of any name. Started
// directly rather than through the shell, which would load shell extensions
// and their libraries into the wizard.
void OpenReadme()
{
    std::string notepad = SystemNotepad();
    if (notepad.empty())
        return;
    std::wstring commandLine = Wide("\"" + notepad + "\" readme.txt");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Wide(notepad).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace

void CInstallDlg::OnNext()
{
    if (m_stageRunning)
        return;
    m_stageRunning = true;
    RunStage();
    m_stageRunning = false;
}

void CInstallDlg::RunStage()
{
    switch (m_stage) {
    case WizardStage::Start:
        m_logging = m_logBox.GetCheck() == BST_CHECKED;
        m_logBox.Enable(false);
        m_aboutButton.Show(false);
        if (m_logging)
            OpenLog();
        // An installation of this kit cut short before is undone first,
        // whatever this run goes on to do.
        FindDataFolder();
        if (!UndoUnfinishedInstallation()) {
            Finish(IDS_INSTALL_FAILED);
            return;
        }
        if (!CheckFrontPage()) {
            Finish(IDS_INSTALL_FAILED);
            return;
        }
        if (!CheckKit()) {
            Finish(IDS_INSTALL_FAILED);
            return;
        }
        m_stage = WizardStage::Licence;
        return;
    case WizardStage::Licence:
        if (!ShowLicence()) {
            Finish(IDS_INSTALL_CANCELLED);
            return;
        }
        ShowReadyPrompt();
        m_stage = WizardStage::Copy;
        return;
    case WizardStage::Copy:
        switch (InstallFiles()) {
        case InstallResult::Installed:
            Finish(IDS_INSTALL_DONE);
            return;
        case InstallResult::Cancelled:
            Finish(IDS_INSTALL_CANCELLED);
            return;
        case InstallResult::Failed:
            Finish(IDS_INSTALL_FAILED);
            return;
        }
        return;
    }
}

void CInstallDlg::OnCancel()
{
    // While files are copied, the copy stage asks whether to stop.
    if (m_copyCancel.IsActive()) {
        m_copyCancel.Ask();
        return;
    }
    // A cancel sent in the middle of another stage's work would end the run
    // under it. Escape or the close box after the final page would replace
    // its message; the final page is the only state with "Cancel" disabled.
    if (m_stageRunning || !m_cancelButton.IsEnabled())
        return;
    WriteLog("User cancelled installation");
    Finish(IDS_INSTALL_CANCELLED);
}

void CInstallDlg::Finish(UINT id)
{
    std::string text = LoadResString(id);
    if (m_logging)
        text += "\nLog file written to " + m_logPath;
    SetStatusText(text);

    if (FileExists("readme.txt")) {
        m_viewReadmeBox.Show(true);
        m_viewReadmeBox.SetCheck(BST_CHECKED);
        m_viewReadme = TRUE;
    }
    m_cancelButton.Enable(false);
    m_nextButton.SetDefault(false);
    m_nextButton.Enable(false);
    m_finishButton.Enable(true);
    m_finishButton.SetDefault(true);
    FocusControl(m_finishButton.Hwnd());

    WriteLog(LoadResString(id));
    CloseLog();
}

void CInstallDlg::OnOK()
{
    // Only the final page's "Finish" ends the wizard, never a click sent to it before.
    if (m_stageRunning || !m_finishButton.IsEnabled())
        return;
    m_viewReadme = m_viewReadmeBox.GetCheck() != BST_UNCHECKED;
    if (m_viewReadme) {
        OpenReadme();
        Sleep(1000);
    }
    Dialog::OnOK();
}

bool CInstallDlg::ShowReadyPrompt()
{
    SetStatusText(IDS_READY);
    return true;
}

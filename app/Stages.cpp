// The stages behind "Next >", the cancel command and the final page, as the
// wizard shows them.
#include "app/InstallDlg.h"

#include "res/resource.h"
#include "win/FileSystem.h"
#include "win/ProcessPaths.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

// How long Notepad may take to read the readme before the wizard goes on.
const DWORD kReadmeReadMs = 10000;

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

// Opens the kit's readme in Notepad, named by its full path. Notepad starts
// in its own folder: in the kit's it could load libraries lying there, and an
// unpacked kit's folder goes when the wizard ends, which is also why the
// wizard waits until Notepad has read the file and waits for input. Started
// directly rather than through the shell, which would load shell extensions
// and their libraries into the wizard.
void OpenReadme()
{
    const std::string notepad = SystemNotepad();
    const std::string kit = CurrentFolderPath();
    if (notepad.empty() || kit.empty())
        return;
    const std::string readme = kit + (kit.back() == '\\' ? "" : "\\") + "readme.txt";
    std::wstring commandLine = Wide("\"" + notepad + "\" \"" + readme + "\"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Wide(notepad).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(notepad.substr(0, notepad.find_last_of('\\'))).c_str(), &startup, &process))
        return;
    WaitForInputIdle(process.hProcess, kReadmeReadMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace

void CInstallDlg::OnNext()
{
    if (m_stageRunning)
        return;
    m_stageRunning = true;
    m_session.RunStage();
    m_stageRunning = false;
}

bool CInstallDlg::TakeLogChoice()
{
    // The keyboard goes on from "Next >", not from a control gone; moved
    // now, before a dialog on top saves where the focus is.
    const HWND focus = GetFocus();
    m_logBox.Enable(false);
    m_aboutButton.Show(false);
    if (focus == m_logBox.Hwnd() || focus == m_aboutButton.Hwnd())
        FocusControl(m_nextButton.Hwnd());
    return m_logBox.GetCheck() == BST_CHECKED;
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
    m_session.WriteLog("User cancelled installation");
    m_session.Finish(Outcome::Cancelled);
}

void CInstallDlg::ShowEnd(const std::string& text)
{
    SetStatusText(text);

    // An unattended run never opens the readme.
    if (!m_run.IsUnattended() && FileExists("readme.txt")) {
        m_viewReadmeBox.Show(true);
        m_viewReadmeBox.SetCheck(BST_CHECKED);
    }
    m_cancelButton.Enable(false);
    m_nextButton.SetDefault(false);
    m_nextButton.Enable(false);
    m_finishButton.Enable(true);
    m_finishButton.SetDefault(true);
    FocusControl(m_finishButton.Hwnd());
}

void CInstallDlg::OnOK()
{
    // Only the final page's "Finish" ends the wizard, never a click sent to it before.
    if (m_stageRunning || !m_finishButton.IsEnabled())
        return;
    if (m_viewReadmeBox.GetCheck() != BST_UNCHECKED) {
        OpenReadme();
        Sleep(1000);
    }
    Dialog::OnOK();
}

// Runs that ask nothing: /SILENT walks the wizard's stages by itself in its
// window, /VERYSILENT runs them without any window; in both, what a box
// would say goes to the log.
#include "app/InstallDlg.h"

namespace {

// Its ticks come after the window has painted, so each page is shown.
const UINT_PTR kWalkTimer = 1;

} // namespace

void CInstallDlg::RunWithoutWindow()
{
    CollectSystemInfo();
    // Each stage moves on to the next or ends the run.
    while (!m_run.HasEnded())
        OnNext();
}

int CInstallDlg::Silenced(const std::string& text, UINT style)
{
    const UINT buttons = style & MB_TYPEMASK;
    // The one question with Yes and No, whether to stop the copy, is asked
    // of a person who pressed Cancel: a /SILENT run has its window for that.
    if (buttons == MB_YESNO && m_run.HasWindow())
        return 0;
    WriteLog(text);
    // The answer that lets the run go on where it may, else Cancel.
    switch (buttons) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    }
    return IDCANCEL;
}

void CInstallDlg::StartWalking()
{
    // A person watching may cancel, and do nothing else.
    m_nextButton.Enable(false);
    m_logBox.Enable(false);
    m_aboutButton.Show(false);
    FocusControl(m_cancelButton.Hwnd());
    SetTimer(Hwnd(), kWalkTimer, USER_TIMER_MINIMUM, nullptr);
}

bool CInstallDlg::OnTimer(UINT_PTR id)
{
    if (id != kWalkTimer)
        return false;
    // Stopped during the step: a box shown in it (the Cancel question) runs a
    // message loop of its own, which must not start the next step.
    KillTimer(Hwnd(), kWalkTimer);
    if (m_run.HasEnded()) {
        OnOK();
        return true;
    }
    OnNext();
    SetTimer(Hwnd(), kWalkTimer, USER_TIMER_MINIMUM, nullptr);
    return true;
}

// /SILENT: the wizard walks its stages by itself in its window, and what a
// box would say goes to the log.
#include "app/InstallDlg.h"

namespace {

// Its ticks come after the window has painted, so each page is shown.
const UINT_PTR kWalkTimer = 1;

} // namespace

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

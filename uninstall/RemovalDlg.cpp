#include "uninstall/RemovalDlg.h"

#include "res/resource.h"

namespace {

// Its tick comes after the window has painted, so the work is seen from its start.
const UINT_PTR kStartTimer = 1;

} // namespace

CRemovalDlg::CRemovalDlg(const std::string& text, Work work) : Dialog(IDD_WIZARD), m_text(text), m_work(work) {}

void CRemovalDlg::DoDataExchange(bool fromControls)
{
    if (fromControls)
        return;
    m_statusText.Attach(Item(IDC_STATUS_TEXT));
    m_progress.Attach(Item(IDC_PROGRESS));
}

BOOL CRemovalDlg::OnInitDialog()
{
    SetIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
    for (int id : {IDC_ABOUT, IDC_VIEW_README, IDC_CREATE_LOG})
        ShowWindow(Item(id), SW_HIDE);
    for (int id : {IDCANCEL, IDC_NEXT, IDOK})
        EnableWindow(Item(id), FALSE);
    m_statusText.SetStatus(m_text, m_progress.Hwnd());
    m_progress.SetPos(0);
    SetTimer(Hwnd(), kStartTimer, USER_TIMER_MINIMUM, nullptr);
    return TRUE;
}

bool CRemovalDlg::OnTimer(UINT_PTR id)
{
    if (id != kStartTimer)
        return false;
    KillTimer(Hwnd(), kStartTimer);
    m_succeeded = m_work([this](int done, int total) { ShowProgress(done, total); });
    m_progress.SetQuiet(false);
    EndDialog(IDOK);
    return true;
}

void CRemovalDlg::ShowProgress(int done, int total)
{
    m_progress.FollowSteps(done, total);
    m_pendingMessages.Dispatch();
}

#include "app/WorkDlg.h"

#include "res/resource.h"

namespace {

// Its tick comes after the window has painted, so the work is seen from its start.
const UINT_PTR kStartTimer = 1;

} // namespace

CWorkDlg::CWorkDlg(const std::string& text, Work work) : Dialog(IDD_WIZARD), m_text(text), m_work(std::move(work)) {}

void CWorkDlg::DoDataExchange(bool fromControls)
{
    if (fromControls)
        return;
    m_nextButton.Attach(Item(IDC_NEXT));
    m_finishButton.Attach(Item(IDOK));
    m_statusText.Attach(Item(IDC_STATUS_TEXT));
    m_progress.Attach(Item(IDC_PROGRESS));
}

BOOL CWorkDlg::OnInitDialog()
{
    SetIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
    // Work asks nothing and keeps no log of the wizard's: the text, the bar
    // and the buttons' row.
    for (int id : {IDC_ABOUT, IDC_VIEW_README, IDC_CREATE_LOG})
        ShowWindow(Item(id), SW_HIDE);
    EnableWindow(Item(IDCANCEL), FALSE);
    m_nextButton.Enable(false);
    m_finishButton.Enable(false);
    SetStatusText(m_text);
    m_progress.SetPos(0);
    SetTimer(Hwnd(), kStartTimer, USER_TIMER_MINIMUM, nullptr);
    return TRUE;
}

bool CWorkDlg::OnTimer(UINT_PTR id)
{
    if (id != kStartTimer)
        return false;
    KillTimer(Hwnd(), kStartTimer);
    m_succeeded = m_work([this](int done, int total) { ShowProgress(done, total); });
    m_done = true;
    m_progress.SetQuiet(false);
    OnWorkDone();
    return true;
}

void CWorkDlg::OnOK()
{
    if (m_done)
        Dialog::OnOK();
}

void CWorkDlg::OnWorkDone()
{
    EndDialog(IDOK);
}

void CWorkDlg::SetStatusText(const std::string& text)
{
    m_statusText.SetStatus(text, m_progress.Hwnd());
    // The text area lies under the bar: paint the text, then the bar over it.
    UpdateWindow(m_statusText.Hwnd());
    RedrawWindow(m_progress.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CWorkDlg::ShowProgress(int done, int total)
{
    m_progress.FollowSteps(done, total);
    m_pendingMessages.Dispatch();
}

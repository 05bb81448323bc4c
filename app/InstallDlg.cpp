#include "app/InstallDlg.h"

#include "kit/Introduction.h"
#include "res/resource.h"
#include "win/Strings.h"
#include "win/Unicode.h"

CInstallDlg::CInstallDlg(const InstallRun& run) : Dialog(IDD_WIZARD), m_run(run)
{
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP));
}

void CInstallDlg::DoDataExchange(bool fromControls)
{
    if (!fromControls) {
        m_aboutButton.Attach(Item(IDC_ABOUT));
        m_viewReadmeBox.Attach(Item(IDC_VIEW_README));
        m_progress.Attach(Item(IDC_PROGRESS));
        m_logBox.Attach(Item(IDC_CREATE_LOG));
        m_cancelButton.Attach(Item(IDCANCEL));
        m_nextButton.Attach(Item(IDC_NEXT));
        m_finishButton.Attach(Item(IDOK));
        m_statusText.Attach(Item(IDC_STATUS_TEXT));
        m_viewReadmeBox.SetCheck(BST_UNCHECKED);
    }
}

BOOL CInstallDlg::OnInitDialog()
{
    // An unattended run offers no About box: a person reading it would hold
    // the run up, under a wizard that closes by itself.
    HMENU systemMenu = m_run.IsUnattended() ? nullptr : GetSystemMenu(Hwnd(), FALSE);
    if (systemMenu) {
        std::string about = LoadResString(IDS_ABOUT_MENU);
        if (!about.empty()) {
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, Wide(about).c_str());
        }
    }
    SetIcon(m_hIcon);

    SetStatusText(ReadIntroduction());
    m_progress.Show(false);
    m_viewReadmeBox.Show(false);
    m_finishButton.Enable(false);
    m_logBox.SetCheck(m_run.WantsLog() ? BST_CHECKED : BST_UNCHECKED);
    m_session.CollectSystemInfo();
    FocusControl(m_nextButton.Hwnd());
    if (m_run.IsUnattended())
        StartWalking();
    return FALSE;
}

bool CInstallDlg::OnCommand(UINT id, UINT code)
{
    if (code != BN_CLICKED)
        return false;
    // A click sent to the wizard while a stage works is not taken for a new one.
    if (m_stageRunning)
        return true;
    switch (id) {
    case IDC_NEXT:
        OnNext();
        return true;
    case IDC_ABOUT:
        OnAbout();
        return true;
    }
    return false;
}

void CInstallDlg::SetStatusText(UINT id)
{
    SetStatusText(LoadResString(id));
}

void CInstallDlg::SetStatusText(std::string text)
{
    m_statusText.SetStatus(text, m_progress.Hwnd());
    // The text area overlaps the About button and the progress bar: paint the
    // text now, then whichever of them is shown over it again.
    UpdateWindow(m_statusText.Hwnd());
    for (HWND over : {m_aboutButton.Hwnd(), m_progress.Hwnd()}) {
        // Missing in a run without any window, where it would mean the whole screen.
        if (over)
            RedrawWindow(over, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

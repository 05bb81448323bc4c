#include "app/AboutDlg.h"

#include "res/resource.h"
#include "win/Strings.h"

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUT) {}

void CAboutDlg::DoDataExchange(bool fromControls)
{
    if (!fromControls)
        m_versionText.Attach(Item(IDC_VERSION_TEXT));
}

BOOL CAboutDlg::OnInitDialog()
{
    m_versionText.SetText(LoadResString(IDS_VERSION));
    return TRUE;
}

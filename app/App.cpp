#include "app/App.h"

#include "app/InstallDlg.h"

BOOL CInstallApp::InitInstance()
{
    ProgressBar::Register();
    CInstallDlg wizard;
    Dialog::SetMain(&wizard);
    wizard.DoModal();
    Dialog::SetMain(nullptr);
    return FALSE;
}

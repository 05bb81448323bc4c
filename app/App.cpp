#include "app/App.h"

#include <commctrl.h>

#include "app/InstallDlg.h"

BOOL CInstallApp::InitInstance()
{
    // The progress bar is a common control: register its class before any dialog needs it.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    CInstallDlg wizard;
    Dialog::SetMain(&wizard);
    wizard.DoModal();
    Dialog::SetMain(nullptr);
    return FALSE;
}

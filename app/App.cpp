#include "app/App.h"

#include <commctrl.h>

#include "app/InstallDlg.h"
#include "win/SystemLibrary.h"

namespace {

using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// The progress bar is a common control: its library, taken from the system
// folder rather than found beside the program, registers the class before any
// dialog needs it.
void RegisterProgressBar()
{
    HMODULE library = LoadSystemLibrary("comctl32.dll");
    auto init = reinterpret_cast<InitCommonControlsExFn>(
        reinterpret_cast<void (*)()>(library ? GetProcAddress(library, "InitCommonControlsEx") : nullptr));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    if (init)
        init(&controls);
}

} // namespace

BOOL CInstallApp::InitInstance()
{
    RegisterProgressBar();
    CInstallDlg wizard;
    Dialog::SetMain(&wizard);
    wizard.DoModal();
    Dialog::SetMain(nullptr);
    return FALSE;
}

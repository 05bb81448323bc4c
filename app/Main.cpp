// The program's entry point: one application object that runs the wizard.
#include "app/App.h"

namespace {
CInstallApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    theApp.InitInstance();
    return 0;
}

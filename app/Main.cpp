// The program's entry point: one application object that runs the wizard.
#include "app/App.h"
#include "win/SystemLibrary.h"

namespace {
CInstallApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything can load a library: the wizard runs from a kit folder
    // that anyone may have filled with files named like system libraries.
    RestrictLibrarySearch();
    return theApp.Run();
}

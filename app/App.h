#pragma once
#include <windows.h>

// The application: it exists to show the wizard and to end when the wizard ends.
class CInstallApp {
public:
    // Runs the wizard modally; always FALSE, so no message loop of its own follows.
    BOOL InitInstance();
};

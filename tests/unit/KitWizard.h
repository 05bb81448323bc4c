// A wizard for kit tests: not shown, but logging into a scratch folder and
// writing its text area into a real static control.
#pragma once
#include <windows.h>

#include <string>

#include "Support.h"
#include "app/InstallDlg.h"

class KitWizard {
public:
    KitWizard();
    ~KitWizard();

    // The log lines written after the six header lines.
    std::string Log() const;
    // What the text area shows.
    std::string Status() const;

    ScratchRegistry registry;
    TempFolder logFolder;
    CInstallDlg wizard;

private:
    HWND m_status = nullptr;
};

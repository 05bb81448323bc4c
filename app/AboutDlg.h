#pragma once
#include "win/Controls.h"
#include "win/Dialog.h"

// The About box: the program's name, icon, version line and notice.
class CAboutDlg : public Dialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange(bool fromControls) override;
    BOOL OnInitDialog() override;

private:
    Static m_versionText;
};

// The choice between several installed FrontPage versions (template 136).
#pragma once
#include "frontpage/Detection.h"
#include "frontpage/Version.h"
#include "win/Controls.h"
#include "win/Dialog.h"

class CVersionDlg : public Dialog {
public:
    CVersionDlg();

    Button m_button98;
    Button m_button2002;
    Button m_button2000;
    Button m_button2003;
    // Each radio is a group of its own: 0 when checked, -1 when not.
    int m_radio2000 = -1;
    int m_radio2002 = -1;
    int m_radio98 = -1;
    int m_radio2003 = -1;
    // Only the radios of versions found are enabled.
    bool m_has98 = false;
    bool m_has2000 = false;
    bool m_has2002 = false;
    bool m_has2003 = false;
    // Checked when the dialog opens; FPNone checks none.
    FrontPageVersion m_defaultVersion = FP98;

protected:
    void DoDataExchange(bool fromControls) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code) override;

private:
    void OnRadio98();
    void OnRadio2000();
    void OnRadio2002();
    void OnRadio2003();
    // Unchecks every radio but `clicked`.
    void CheckOnly(const Button& clicked);
};

// Asks the user which of the versions `found` to install for, with the
// registered program's version checked; `version`, the default, when the
// dialog is closed without a choice. Logs the answer.
FrontPageVersion ChooseVersion(const FoundVersions& found, FrontPageVersion version, const LogLine& log);

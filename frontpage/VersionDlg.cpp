// The version choice: which FrontPage to install for when several are installed.
#include "frontpage/VersionDlg.h"

#include "res/resource.h"

namespace {

void ExchangeRadio(Button& button, int& value, bool fromControls)
{
    if (fromControls)
        value = button.GetCheck() == BST_CHECKED ? 0 : -1;
    else
        button.SetCheck(value == 0 ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace

CVersionDlg::CVersionDlg() : Dialog(IDD_VERSION) {}

void CVersionDlg::DoDataExchange(bool fromControls)
{
    if (!fromControls) {
        m_button98.Attach(Item(IDC_RADIO_FP98));
        m_button2002.Attach(Item(IDC_RADIO_FP2002));
        m_button2000.Attach(Item(IDC_RADIO_FP2000));
        m_button2003.Attach(Item(IDC_RADIO_FP2003));
    }
    ExchangeRadio(m_button2000, m_radio2000, fromControls);
    ExchangeRadio(m_button2002, m_radio2002, fromControls);
    ExchangeRadio(m_button98, m_radio98, fromControls);
    ExchangeRadio(m_button2003, m_radio2003, fromControls);
}

BOOL CVersionDlg::OnInitDialog()
{
    m_button98.Enable(m_has98);
    m_button2000.Enable(m_has2000);
    m_button2002.Enable(m_has2002);
    m_button2003.Enable(m_has2003);
    Button* checked = nullptr;
    switch (m_defaultVersion) {
    case FP98:
        checked = &m_button98;
        m_radio98 = 0;
        break;
    case FP2000:
        checked = &m_button2000;
        m_radio2000 = 0;
        break;
    case FP2002:
        checked = &m_button2002;
        m_radio2002 = 0;
        break;
    case FP2003:
        checked = &m_button2003;
        m_radio2003 = 0;
        break;
    default:
        break;
    }
    if (checked)
        checked->SetCheck(BST_CHECKED);
    // The keyboard starts at the version checked, else where the system puts it.
    if (!checked || !checked->IsEnabled())
        return TRUE;
    FocusControl(checked->Hwnd());
    return FALSE;
}

bool CVersionDlg::OnCommand(UINT id, UINT code)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_RADIO_FP98:
        OnRadio98();
        return true;
    case IDC_RADIO_FP2000:
        OnRadio2000();
        return true;
    case IDC_RADIO_FP2002:
        OnRadio2002();
        return true;
    case IDC_RADIO_FP2003:
        OnRadio2003();
        return true;
    }
    return false;
}

void CVersionDlg::OnRadio98()
{
    CheckOnly(m_button98);
}

void CVersionDlg::OnRadio2000()
{
    CheckOnly(m_button2000);
}

void CVersionDlg::OnRadio2002()
{
    CheckOnly(m_button2002);
}

void CVersionDlg::OnRadio2003()
{
    CheckOnly(m_button2003);
}

// At most one version is checked, as the system keeps it within the radios' group.
void CVersionDlg::CheckOnly(const Button& clicked)
{
    for (Button* button : {&m_button98, &m_button2000, &m_button2002, &m_button2003}) {
        if (button != &clicked)
            button->SetCheck(BST_UNCHECKED);
    }
}

FrontPageVersion ChooseVersion(const FoundVersions& found, FrontPageVersion version, const LogLine& log)
{
    CVersionDlg dialog;
    dialog.m_has98 = found.found98;
    dialog.m_has2000 = found.found2000;
    dialog.m_has2002 = found.found2002;
    dialog.m_has2003 = found.found2003;
    dialog.m_defaultVersion = found.current;
    // A dialog that cannot be shown counts as closed: the default stays.
    if (dialog.DoModal() != IDOK) {
        log("User cancelled selection dialog - using default");
        return version;
    }
    std::string versionText;
    if (dialog.m_radio98 == 0) {
        version = FP98;
        versionText = "98";
    } else if (dialog.m_radio2000 == 0) {
        version = FP2000;
        versionText = "2000";
    } else if (dialog.m_radio2002 == 0) {
        version = FP2002;
        versionText = "2002";
    } else if (dialog.m_radio2003 == 0) {
        version = FP2003;
        versionText = "2003";
    }
    log("User chose to install for FrontPage " + versionText);
    return version;
}

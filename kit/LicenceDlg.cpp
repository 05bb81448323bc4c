#include "kit/LicenceDlg.h"

#include "res/resource.h"
#include "win/Accessibility.h"

CLicenceDlg::CLicenceDlg() : Dialog(IDD_LICENCE) {}

void CLicenceDlg::DoDataExchange(bool fromControls)
{
    // The box is read-only: the text only ever goes into it.
    if (fromControls)
        return;
    m_edit.Attach(Item(IDC_LICENCE_TEXT));
    AnnotateNameFromLabel(m_edit.Hwnd());
    // A long agreement takes a while to put in: the wizard behind stays drawn.
    m_edit.SetLongText(m_text, [this] { m_pendingMessages.Dispatch(); });
}

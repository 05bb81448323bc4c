#pragma once
#include <string>

#include "win/Controls.h"
#include "win/Dialog.h"
#include "win/PendingMessages.h"

// The licence agreement: the kit's text in a read-only box, "Accept" (IDOK)
// and "Don't Accept" (IDCANCEL, also Escape and the close box).
class CLicenceDlg : public Dialog {
public:
    CLicenceDlg();

    // The agreement, lines ending in CR LF; put into the box when the dialog opens.
    std::string m_text;

protected:
    void DoDataExchange(bool fromControls) override;

private:
    Edit m_edit;
    PendingMessages m_pendingMessages;
};

// The window a kit's removal works in: the wizard's, with its text and bar
// and nothing to click; it closes itself when the work is done.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "uninstall/KitRemoval.h"
#include "win/Controls.h"
#include "win/Dialog.h"
#include "win/PendingMessages.h"

class CRemovalDlg : public Dialog {
public:
    // The work, called once the window shows, reports its steps to the
    // progress it is given, and returns whether it succeeded.
    using Work = std::function<bool(const RemovalProgress& progress)>;

    // Shows `text` while `work` runs.
    CRemovalDlg(const std::string& text, Work work);

    // What the work returned, once the dialog has ended.
    bool Succeeded() const { return m_succeeded; }

protected:
    void DoDataExchange(bool fromControls) override;
    BOOL OnInitDialog() override;
    bool OnTimer(UINT_PTR id) override;
    // The removal cannot be stopped half-way: a half-removed kit is no use.
    void OnCancel() override {}
    void OnOK() override {}

private:
    void ShowProgress(int done, int total);

    std::string m_text;
    Work m_work;
    bool m_succeeded = false;
    Static m_statusText;
    ProgressBar m_progress;
    // Keeps the window drawn while the work holds its thread.
    PendingMessages m_pendingMessages;
};

// Packing a kit into one setup program in the wizard's window: the bar
// follows the files, and the window ends with the setup's path and size, or
// with the reason it could not be made.
#pragma once
#include <windows.h>

#include <string>

#include "win/Controls.h"
#include "win/Dialog.h"
#include "win/PendingMessages.h"

class CPackDlg : public Dialog {
public:
    // Packs the program file `program` with the kit of `kitFolder` into
    // `output`. An `unattended` dialog shows no box and closes itself at the end.
    CPackDlg(const std::string& program, const std::string& kitFolder, const std::string& output, bool unattended);

    // Whether the setup was written, once the dialog has ended.
    bool Packed() const { return m_packed; }

protected:
    void DoDataExchange(bool fromControls) override;
    BOOL OnInitDialog() override;
    bool OnTimer(UINT_PTR id) override;
    // The close box and Escape close the window too, once packing has ended.
    void OnCancel() override { OnOK(); }

private:
    void Pack();
    void SetStatusText(const std::string& text);
    void ShowProgress(int done, int total);

    std::string m_program;
    std::string m_kitFolder;
    std::string m_output;
    bool m_unattended;
    bool m_packed = false;
    Button m_nextButton;
    Button m_finishButton;
    Static m_statusText;
    ProgressBar m_progress;
    // Keeps the window drawn while the packing holds its thread.
    PendingMessages m_pendingMessages;
};

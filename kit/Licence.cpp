// The licence step at the second "Next >": the kit's "license.txt", accepted or not.
#include "app/InstallDlg.h"
#include "kit/LicenceDlg.h"
#include "win/TextFile.h"

bool CInstallDlg::ShowLicence()
{
    CLicenceDlg dialog;
    {
        // The whole agreement is read, and the file closed, before the dialog opens.
        TextFile file;
        if (!file.Open("license.txt")) {
            // An agreement that is there but cannot be opened must not be
            // passed over as if the kit had none.
            if (!file.IsMissing())
                return false;
            WriteLog("No licence file supplied");
            return true;
        }
        // Half an agreement is never offered for acceptance. Every line ends
        // in CR LF, as the edit box needs.
        bool read = file.ForEachLine([&](const std::string& line) {
            dialog.m_text += line;
            dialog.m_text += "\r\n";
            return true;
        });
        if (!read)
            return false;
    }
    if (dialog.DoModal() != IDOK) {
        WriteLog("User rejected licence");
        return false;
    }
    WriteLog("User accepted licence");
    return true;
}

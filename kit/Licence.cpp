// The licence step at the second "Next >": the kit's "license.txt", accepted or not.
#include <new>

#include "app/InstallDlg.h"
#include "kit/LicenceDlg.h"
#include "win/TextFile.h"

namespace {

// Appends every line of `file` to `text`, each ending in CR LF as the edit
// box needs. False on a read error or exhausted memory.
bool ReadAll(TextFile& file, std::string& text)
{
    try {
        std::string line;
        for (;;) {
            TextFile::Result result = file.ReadLine(line);
            if (result == TextFile::End)
                return true;
            if (result == TextFile::Error)
                return false;
            text += line;
            text += "\r\n";
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

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
        // Half an agreement is never offered for acceptance.
        if (!ReadAll(file, dialog.m_text))
            return false;
    }
    if (dialog.DoModal() != IDOK) {
        WriteLog("User rejected licence");
        return false;
    }
    WriteLog("User accepted licence");
    return true;
}

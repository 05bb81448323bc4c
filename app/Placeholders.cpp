// Stand-ins for the stage operations that are not written yet: each lets the
// stage machine go on. Each is replaced by the real operation in its own folder.
#include "app/InstallDlg.h"

bool CInstallDlg::InstallFiles()
{
    return true;
}

// Stand-ins for the stage operations that are not written yet: each lets the
// stage machine go on. Each is replaced by the real operation in its own folder.
#include "app/InstallDlg.h"
#include "res/resource.h"
#include "win/Strings.h"

std::string CInstallDlg::ReadIntroduction()
{
    return LoadResString(IDS_INTRO);
}

bool CInstallDlg::CheckFrontPage()
{
    return true;
}

bool CInstallDlg::CheckKit()
{
    return true;
}

bool CInstallDlg::ShowLicence()
{
    return true;
}

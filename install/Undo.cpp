// The wizard's side of the journal: the kit's data folder, and undoing an
// installation that failed, was cancelled, or was cut short before.
#include "app/InstallDlg.h"

#include "frontpage/Registry.h"
#include "journal/DataFolder.h"
#include "journal/KitId.h"
#include "journal/Undo.h"
#include "kit/KitName.h"
#include "res/resource.h"
#include "win/MessageBox.h"
#include "win/ProcessPaths.h"

void CInstallDlg::FindDataFolder()
{
    // Read without a word to the user: the detection after this tells them
    // whatever is wrong with the registry.
    std::string commonFiles;
    ReadMachineString(g_regCurrentVersion, g_regCommonFilesDir, commonFiles);
    m_kitName = KitName(CurrentFolderPath());
    m_dataFolder = DataFolderPath(commonFiles, m_system.windowsFolder, KitId(m_kitName));
}

bool CInstallDlg::UndoUnfinishedInstallation()
{
    if (!UnfinishedSessionWaits(m_dataFolder))
        return true;
    bool undone = UndoUnfinishedSession(m_dataFolder, [this](const std::string& line) {
        WriteLog(line);
        m_pendingMessages.Dispatch();
    });
    if (undone)
        return true;
    // Its journal keeps what is left, and a new installation could not start one.
    ShowMessage(IDS_INSTALL_FAILED, MB_OK | MB_ICONSTOP);
    return false;
}

void CInstallDlg::UndoInstallation()
{
    m_copyCancel.StopAsking();
    // A step that fails is logged, and the journal keeps it for the next start.
    m_journal.Undo([this](const std::string& line) {
        WriteLog(line);
        m_pendingMessages.Dispatch();
    });
}

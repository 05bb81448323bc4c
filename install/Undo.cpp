// The wizard's side of the journal: the kit's data folder, and undoing an
// installation that failed, was cancelled, or was cut short before.
#include "app/InstallDlg.h"

#include "frontpage/Registry.h"
#include "journal/DataFolder.h"
#include "journal/KitId.h"
#include "journal/Undo.h"
#include "kit/KitName.h"
#include "res/resource.h"
#include "uninstall/Uninstall.h"
#include "win/MessageBox.h"
#include "win/ProcessPaths.h"

namespace {

// Tells the user of the files an undo left as they are, changed since they
// were installed, and where what they replaced went.
void TellKept(const KeptFiles& kept, const std::string& dataFolder)
{
    const MessageText text = KeptText(kept, dataFolder);
    if (!text.shown.empty())
        ShowMessage(text, MB_OK | MB_ICONINFORMATION);
}

} // namespace

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
    // Of this kit and of every other: an installation cut short may have
    // replaced a file this one replaces too.
    KeptFiles kept;
    bool undone = UndoUnfinishedInstallations(m_dataFolder, UndoLogLine(), kept);
    TellKept(kept, m_dataFolder);
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
    KeptFiles kept;
    m_journal.Undo(UndoLogLine(), kept);
    TellKept(kept, m_dataFolder);
}

UndoLog CInstallDlg::UndoLogLine()
{
    return [this](const std::string& line) {
        WriteLog(line);
        m_pendingMessages.Dispatch();
    };
}

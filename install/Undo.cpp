// The copy engine's side of the journal: the kit's data folder, and undoing
// an installation that failed, was cancelled, or was cut short before.
#include "install/FileInstaller.h"

#include "frontpage/Registry.h"
#include "journal/DataFolder.h"
#include "journal/KeptText.h"
#include "journal/KitId.h"
#include "journal/Undo.h"
#include "kit/KitName.h"
#include "res/resource.h"
#include "win/ProcessPaths.h"

InstalledKit FindDataFolder(const std::string& windowsFolder)
{
    // Read without a word to the user: the detection after this tells them
    // whatever is wrong with the registry.
    std::string commonFiles;
    ReadMachineString(g_regCurrentVersion, g_regCommonFilesDir, commonFiles);
    InstalledKit kit;
    kit.name = KitName(CurrentFolderPath());
    kit.dataFolder = DataFolderPath(commonFiles, windowsFolder, KitId(kit.name));
    return kit;
}

bool FileInstaller::UndoUnfinishedInstallation()
{
    // Of this kit and of every other: an installation cut short may have
    // replaced a file this one replaces too.
    KeptFiles kept;
    bool undone = UndoUnfinishedInstallations(m_kit.dataFolder, UndoLogLine(), kept);
    TellKept(kept);
    if (undone)
        return true;
    // Its journal keeps what is left, and a new installation could not start one.
    m_host.ShowText(LoadMessage(IDS_INSTALL_FAILED), MB_ICONSTOP);
    return false;
}

void FileInstaller::UndoInstallation()
{
    m_host.CopyEnding();
    // A step that fails is logged, and the journal keeps it for the next start.
    KeptFiles kept;
    m_journal.Undo(UndoLogLine(), kept);
    TellKept(kept);
}

UndoLog FileInstaller::UndoLogLine()
{
    return [this](const std::string& line) {
        m_log(line);
        m_host.LetInputIn();
    };
}

void FileInstaller::TellKept(const KeptFiles& kept)
{
    // The files an undo left as they are, changed since they were installed,
    // and where what they replaced went.
    const MessageText text = KeptText(kept, m_kit.dataFolder);
    if (!text.shown.empty())
        m_host.ShowText(text, MB_ICONINFORMATION);
}

#include "uninstall/Uninstall.h"

#include <windows.h>


#include "install/Questions.h"
#include "journal/DataFolder.h"
#include "journal/JournalFile.h"
#include "journal/KeptText.h"
#include "log/LogFile.h"
#include "res/resource.h"
#include "uninstall/KitRemoval.h"
#include "win/FileSystem.h"
#include "win/MessageBox.h"
#include "win/PendingMessages.h"
#include "win/ProcessPaths.h"
#include "win/Strings.h"

namespace {

// Opens the removal's log, written whatever the command line says of logs:
// "fernwick-uninstall.log" in the folder the installation log goes to.
void OpenRemovalLog(LogFile& log, const CommandLine& line)
{
    const std::string folder = line.logFile.empty() ? DefaultLogFolder() : ParentFolder(line.logFile);
    if (folder.empty())
        return;
    LogSystem system;
    ReadLogSystem(system);
    log.OpenLog(folder + "\\fernwick-uninstall.log", system, line.arguments);
}

// Where this program may remove a kit from: a data folder the data folder's
// checks trust, below a "Fernwick" folder, with a journal.
bool IsKitDataFolder(const std::string& folder)
{
    return EqualNoCase(LastPart(ParentFolder(folder)), "Fernwick") && IsDataFolderTrusted(folder) &&
           FileExists(folder + "\\" + kJournalFile);
}

} // namespace

int RunUninstall(const CommandLine& line, const RemovalWindow& window)
{
    // A folder cannot be removed while it is a process's current folder:
    // the removal reads nothing relative to its own.
    EnterSystemFolder();
    LogFile log;
    OpenRemovalLog(log, line);
    const bool asks = !line.IsUnattended();
    const std::string program = ProgramFilePath();
    const std::string dataFolder = ParentFolder(program);
    if (program.empty() || !IsKitDataFolder(dataFolder)) {
        log.WriteLog(LoadLogString(IDS_REMOVAL_REFUSED));
        if (asks)
            ShowMessage(IDS_REMOVAL_REFUSED, MB_OK | MB_ICONSTOP);
        return kExitRemovalRefused;
    }
    const std::string kitId = LastPart(dataFolder);
    std::string kitName = RecordedKitName(dataFolder);
    if (kitName.empty())
        kitName = kitId;

    log.WriteLog("Uninstalling " + kitName);
    if (asks && ShowMessage(FormatMessageText(IDS_REMOVAL_CONFIRM, kitName.c_str()),
                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        log.WriteLog("User cancelled uninstallation");
        return kExitRemovalDeclined;
    }

    KeptFiles kept;
    const RemovalLog logLine = [&log](const std::string& line) { log.WriteLog(line); };
    // An unattended removal waits for a file in use as an unattended
    // installation does; one a person watches tells them at once.
    PendingMessages pending;
    RetryWait retry;
    if (!asks)
        retry = [&pending](DWORD since) {
            return WaitToRetry(since, [&pending] { pending.DispatchNow(); }, [] { return false; });
        };
    auto work = [&](const RemovalProgress& progress) {
        return TakeBackInstallations(dataFolder, logLine, progress, retry, kept) &&
               RemoveWhatIsLeft(dataFolder, kitId, program, logLine);
    };
    const bool removed =
        line.HasWindow() ? window(Format(LoadResString(IDS_REMOVING).c_str(), kitName.c_str()), work) : work(nullptr);
    log.WriteLog(removed ? "Uninstallation complete" : "Uninstallation failed");

    if (asks) {
        MessageText text = removed ? FormatMessageText(IDS_REMOVED, kitName.c_str())
                                   : FormatMessageText(IDS_REMOVAL_FAILED, kitName.c_str(), log.Path().c_str());
        const MessageText keptText = KeptText(kept, dataFolder);
        if (!keptText.shown.empty()) {
            text += "\n\n";
            text += keptText;
        }
        ShowMessage(text, MB_OK | (removed ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    }
    return removed ? kExitRemoved : kExitRemovalFailed;
}

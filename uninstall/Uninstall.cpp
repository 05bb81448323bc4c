#include "uninstall/Uninstall.h"

#include <windows.h>

#include <vector>

#include "install/Questions.h"
#include "journal/DataFolder.h"
#include "journal/JournalFile.h"
#include "log/LogText.h"
#include "res/resource.h"
#include "uninstall/KitRemoval.h"
#include "uninstall/RemovalDlg.h"
#include "win/FileSystem.h"
#include "win/Handle.h"
#include "win/MessageBox.h"
#include "win/PendingMessages.h"
#include "win/ProcessPaths.h"
#include "win/Strings.h"

namespace {

// The kept files the final box names; the rest it counts.
const size_t kKeptNamed = 5;

// The removal's log, written whatever the command line says of logs.
class RemovalLogFile {
public:
    // Opens "fernwick-uninstall.log" in the folder the installation log goes
    // to and writes its header.
    explicit RemovalLogFile(const InstallRun& run)
    {
        const std::string folder = run.Line().logFile.empty() ? DefaultLogFolder() : ParentFolder(run.Line().logFile);
        if (folder.empty())
            return;
        m_path = folder + "\\fernwick-uninstall.log";
        std::wstring path;
        m_file.Reset(SystemPath(m_path, path) ? CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                                              : INVALID_HANDLE_VALUE);
        LogSystem system;
        ReadLogSystem(system);
        Write(LogHeader(system, run.Line().arguments));
    }
    ~RemovalLogFile() { Write(LogClosing()); }

    const std::string& Path() const { return m_path; }
    void Write(const std::string& text)
    {
        if (m_file.IsValid() && !AppendWhole(m_file.Get(), LogLineBytes(text)))
            m_file.Reset();
    }

private:
    std::string m_path;
    ScopedFile m_file;
};

// Where this program may remove a kit from: a data folder the data folder's
// checks trust, below a "Fernwick" folder, with a journal.
bool IsKitDataFolder(const std::string& folder)
{
    return EqualNoCase(LastPart(ParentFolder(folder)), "Fernwick") && IsDataFolderTrusted(folder) &&
           FileExists(folder + "\\" + kJournalFile);
}

// `heading`, the first few of `files` and their count (`count`).
MessageText FileList(UINT heading, const std::vector<std::string>& files, UINT count)
{
    MessageText text = LoadMessage(heading);
    for (size_t i = 0; i < files.size() && i < kKeptNamed; ++i)
        text += "\n" + files[i];
    text += "\n";
    text += FormatMessageText(count, (int)files.size());
    return text;
}

} // namespace

MessageText KeptText(const KeptFiles& kept, const std::string& dataFolder)
{
    MessageText text;
    if (!kept.changed.empty())
        text = FileList(IDS_REMOVAL_KEPT, kept.changed, IDS_REMOVAL_KEPT_COUNT);
    if (!kept.originals.empty()) {
        text += "\n";
        text += FormatMessageText(IDS_KEPT_ORIGINALS, ParentFolder(KeptOriginalsFolder(dataFolder)).c_str());
    }
    if (!kept.unrestored.empty()) {
        if (!text.shown.empty())
            text += "\n\n";
        text += FileList(IDS_REMOVAL_UNRESTORED, kept.unrestored, IDS_REMOVAL_UNRESTORED_COUNT);
    }
    return text;
}

int RunUninstall(const InstallRun& run)
{
    // A folder cannot be removed while it is a process's current folder:
    // the removal reads nothing relative to its own.
    EnterSystemFolder();
    RemovalLogFile log(run);
    const bool asks = !run.IsUnattended();
    const std::string program = ProgramFilePath();
    const std::string dataFolder = ParentFolder(program);
    if (program.empty() || !IsKitDataFolder(dataFolder)) {
        log.Write(LoadLogString(IDS_REMOVAL_REFUSED));
        if (asks)
            ShowMessage(IDS_REMOVAL_REFUSED, MB_OK | MB_ICONSTOP);
        return kExitRemovalRefused;
    }
    const std::string kitId = LastPart(dataFolder);
    std::string kitName = RecordedKitName(dataFolder);
    if (kitName.empty())
        kitName = kitId;

    log.Write("Uninstalling " + kitName);
    if (asks && ShowMessage(FormatMessageText(IDS_REMOVAL_CONFIRM, kitName.c_str()),
                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        log.Write("User cancelled uninstallation");
        return kExitRemovalDeclined;
    }

    KeptFiles kept;
    const RemovalLog logLine = [&log](const std::string& line) { log.Write(line); };
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
    bool removed = false;
    if (run.HasWindow()) {
        CRemovalDlg window(Format(LoadResString(IDS_REMOVING).c_str(), kitName.c_str()), work);
        Dialog::SetMain(&window);
        window.DoModal();
        Dialog::SetMain(nullptr);
        removed = window.Succeeded();
    } else {
        removed = work(nullptr);
    }
    log.Write(removed ? "Uninstallation complete" : "Uninstallation failed");

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

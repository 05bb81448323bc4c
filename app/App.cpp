#include "app/App.h"

#include <cstdlib>
#include <exception>

#include "app/InstallDlg.h"
#include "app/PackRun.h"
#include "app/WorkDlg.h"
#include "log/LogFile.h"
#include "log/LogText.h"
#include "pack/UnpackedKit.h"
#include "res/resource.h"
#include "run/InstallRun.h"
#include "run/WindowlessView.h"
#include "uninstall/Uninstall.h"
#include "win/FolderTree.h"
#include "win/Language.h"
#include "win/MessageBox.h"
#include "win/ProcessPaths.h"
#include "win/SingleInstance.h"
#include "win/Strings.h"
#include "win/SystemError.h"

namespace {

// `text` alone in a log of its own, when the run keeps a log and it can be
// written; an unattended run shows no box meanwhile.
void LogAlone(const InstallRun& run, const std::string& text)
{
    if (run.IsUnattended())
        SilenceMessages([](const std::string&, UINT) { return IDOK; });
    LogSystem system;
    if (!ReadLogSystem(system))
        ShowMessage(SystemErrorMessage(IDS_SYSTEM_INFO_FAILED, "", GetLastError()), MB_ICONEXCLAMATION | MB_OK);
    const std::string path = run.WantsLog() ? InstallLogPath(run.Line().logFile) : std::string();
    SilenceMessages(nullptr);
    if (path.empty())
        return;
    LogFile log;
    if (log.OpenLog(path, system, run.Line().arguments))
        log.WriteLog(text);
}

// Shows `text` in a box; a run without any window writes it to a log of its
// own instead, when it can write one. Returns `exitCode`.
int Tell(const InstallRun& run, const MessageText& text, UINT icon, int exitCode)
{
    if (run.HasWindow())
        ShowMessage(text, MB_OK | icon);
    else
        LogAlone(run, text.logged);
    return exitCode;
}

// The usage, naming the word at fault, after `detail` when there is one;
// nothing is installed.
int Refuse(const InstallRun& run, const std::string& fault, const MessageText& detail = MessageText())
{
    MessageText text = detail;
    if (!text.shown.empty())
        text += std::string("\n\n");
    text += FormatMessageText(IDS_USAGE, fault.c_str());
    return Tell(run, text, MB_ICONSTOP, kExitRefused);
}

// An administrator who names a log file needs it: a run that cannot write it
// stops before it changes anything, with a box saying why where a person
// watches. The default log, unnamed, goes unwritten as it always did.
bool LogFileRefused(const InstallRun& run)
{
    const std::string& path = run.Line().logFile;
    if (path.empty() || CanWriteLogFile(path))
        return false;
    const std::string reason = SystemErrorText(GetLastError(), UiLanguage());
    if (!run.IsUnattended())
        ShowMessage(FormatMessageText(IDS_LOG_FILE_FAILED, path.c_str(), reason.c_str()), MB_OK | MB_ICONSTOP);
    return true;
}

int RunWizard(const InstallRun& run)
{
    if (!run.HasWindow())
        return RunWithoutWindow(run);
    CInstallDlg wizard(run);
    wizard.Session().SilenceBoxes();
    wizard.DoModalAsMain();
    SilenceMessages(nullptr);
    return wizard.ExitCode();
}

// Shows `text` and the progress of `work` in the wizard's window while it runs.
bool ShowWork(const std::string& text, const CWorkDlg::Work& work)
{
    CWorkDlg window(text, work);
    window.DoModalAsMain();
    return window.Succeeded();
}

// A packed setup that cannot run its kit: the text goes to the log where
// one can be written, and to a box where the run has a window.
int RefuseSetup(const InstallRun& run, const MessageText& text)
{
    LogAlone(run, text.logged);
    if (run.HasWindow())
        ShowMessage(text, MB_OK | MB_ICONSTOP);
    return kExitSetupDamaged;
}

// The unpacked kit's folder while the wizard runs on it. An exception that no
// one catches ends the program through std::terminate without unwinding the
// stack, so the folder's owner never gets to remove it: the handler does.
std::string& UnpackedFolder()
{
    static std::string folder;
    return folder;
}

[[noreturn]] void RemoveUnpackedKitAndAbort()
{
    if (!UnpackedFolder().empty()) {
        EnterSystemFolder();
        RemoveFolderTree(UnpackedFolder());
    }
    std::abort();
}

// The wizard on the kit the program carries, unpacked into a folder of its
// own that goes when the wizard ends; on the kit folder when it carries none.
int RunSetup(const InstallRun& run)
{
    UnpackedKit kit;
    switch (kit.Unpack(ProgramFilePath(), nullptr)) {
    case UnpackedKit::kNotPacked:
        return RunWizard(run);
    case UnpackedKit::kDamaged: {
        // The box tells the user what to do; the log also why.
        MessageText text = LoadMessage(IDS_SETUP_DAMAGED);
        text.logged = kit.Reason() + "\n" + text.logged;
        return RefuseSetup(run, text);
    }
    case UnpackedKit::kFailed:
        return RefuseSetup(run, FormatMessageText(IDS_SETUP_FAILED, kit.Reason().c_str()));
    case UnpackedKit::kUnpacked:
        break;
    }
    // The setup's kit is the one it carries: a kit folder named besides is at fault.
    if (!run.Line().kitFolder.empty())
        return Refuse(run, "/KIT=" + run.Line().kitFolder);
    // Left before the kit goes: a process's current folder cannot be removed.
    EnteredFolder kitFolder;
    if (!kitFolder.Enter(kit.Folder())) {
        const std::string reason = "Cannot enter " + kit.Folder() + ": " + SystemErrorText(GetLastError());
        return RefuseSetup(run, FormatMessageText(IDS_SETUP_FAILED, reason.c_str()));
    }
    UnpackedFolder() = kit.Folder();
    std::terminate_handler before = std::set_terminate(RemoveUnpackedKitAndAbort);
    int exitCode = RunWizard(run);
    std::set_terminate(before);
    UnpackedFolder().clear();
    return exitCode;
}

} // namespace

int CInstallApp::Run()
{
    ProgressBar::Register();
    SetMessageCaption(IDS_APP_TITLE);
    InstallRun run(ProcessArguments());
    // From the first box on: also a command line at fault is told in the language it names.
    const std::string& tag = run.Line().language;
    SetUiLanguage(tag.empty() ? TranslationFor(GetUserDefaultUILanguage()) : TranslationForTag(tag));

    // Two wizards would copy over each other's files and write one log. The
    // second touches nothing, not even a log.
    SingleInstance wizardName;
    if (!wizardName.Take(L"FrontPageFernwick")) {
        if (run.HasWindow())
            ShowMessage(IDS_ALREADY_RUNNING, MB_OK | MB_ICONEXCLAMATION);
        return kExitRefused;
    }
    if (!run.Fault().empty() || !run.EnterKitFolder())
        return Refuse(run, run.Fault(), run.FaultDetail());
    if (run.Line().help)
        return Tell(run, LoadMessage(IDS_HELP), MB_ICONINFORMATION, kExitInstalled);
    if (run.Line().uninstall)
        return RunUninstall(run.Line(), ShowWork);
    if (run.Line().pack)
        return RunPacking(run);
    if (LogFileRefused(run))
        return kExitRefused;
    return RunSetup(run);
}

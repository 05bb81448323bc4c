#include "app/App.h"

#include "app/InstallDlg.h"
#include "res/resource.h"
#include "run/InstallRun.h"
#include "win/MessageBox.h"
#include "win/SingleInstance.h"
#include "win/Strings.h"

namespace {

// In unattended runs every box goes to the wizard's log instead (all but
// the question a person asks for by pressing Cancel in a /SILENT run).
void SilenceInto(CInstallDlg& wizard)
{
    if (wizard.m_run.IsUnattended())
        SilenceMessages([&wizard](const std::string& text, UINT style) { return wizard.Silenced(text, style); });
}

// Shows `text` in a box; a run without any window writes it to a log of its
// own instead, when it can write one. Returns `exitCode`.
int Tell(const InstallRun& run, const std::string& text, UINT icon, int exitCode)
{
    if (run.HasWindow()) {
        ShowMessage(text, MB_OK | icon);
        return exitCode;
    }
    CInstallDlg wizard;
    wizard.m_run = run;
    SilenceInto(wizard);
    wizard.LogAlone(text);
    SilenceMessages(nullptr);
    return exitCode;
}

// The usage, naming the word at fault; nothing is installed.
int Refuse(const InstallRun& run, const std::string& fault)
{
    return Tell(run, Format(LoadResString(IDS_USAGE).c_str(), fault.c_str()), MB_ICONSTOP, kExitRefused);
}

int RunWizard(const InstallRun& run)
{
    CInstallDlg wizard;
    wizard.m_run = run;
    SilenceInto(wizard);
    if (run.HasWindow()) {
        Dialog::SetMain(&wizard);
        wizard.DoModal();
        Dialog::SetMain(nullptr);
    } else {
        wizard.RunWithoutWindow();
    }
    SilenceMessages(nullptr);
    return wizard.m_run.ExitCode();
}

} // namespace

int CInstallApp::Run()
{
    ProgressBar::Register();
    InstallRun run(ProcessArguments());

    // Two wizards would copy over each other's files and write one log. The
    // second touches nothing, not even a log.
    SingleInstance wizardName;
    if (!wizardName.Take(L"FrontPageFernwick")) {
        if (run.HasWindow())
            ShowMessage(IDS_ALREADY_RUNNING, MB_OK | MB_ICONEXCLAMATION);
        return kExitRefused;
    }
    if (!run.Fault().empty() || !run.EnterKitFolder())
        return Refuse(run, run.Fault());
    if (run.Line().help)
        return Tell(run, LoadResString(IDS_HELP), MB_ICONINFORMATION, kExitInstalled);
    // This program neither removes kits nor packs them: it refuses those
    // switches like any other it does not know.
    if (run.Line().uninstall)
        return Refuse(run, "/UNINSTALL");
    if (run.Line().pack)
        return Refuse(run, "/PACK");
    return RunWizard(run);
}

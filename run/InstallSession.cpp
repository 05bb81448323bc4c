// The three stages behind "Next >", and the end of the run.
#include "run/InstallSession.h"

#include "frontpage/VersionDlg.h"
#include "journal/KitId.h"
#include "kit/KitCheck.h"
#include "kit/Licence.h"
#include "res/resource.h"
#include "uninstall/Registration.h"
#include "win/ProcessPaths.h"
#include "win/Strings.h"

namespace {

// Who answers the licence agreement in `run`.
LicenceAnswer LicenceAnswerFor(const InstallRun& run)
{
    if (run.Line().acceptLicence)
        return LicenceAnswer::CommandLine;
    return run.IsUnattended() ? LicenceAnswer::NotOnCommandLine : LicenceAnswer::User;
}

} // namespace

RegisterKit RemovalRegistration(LogLine log)
{
    return [log](const InstalledKit& kit, const std::string& themesFolder, std::string& subject) {
        const std::string kitId = KitId(kit.name);
        if (!RegisterForRemoval({kit.name, kitId, kit.dataFolder, themesFolder, ProgramFilePath()}, subject))
            return false;
        log("Registered for removal as " + RemovalKeyName(kitId));
        return true;
    };
}

void InstallSession::CollectSystemInfo()
{
    m_system = LogSystem();
    if (ReadLogSystem(m_system))
        return;
    const MessageText message = SystemErrorMessage(IDS_SYSTEM_INFO_FAILED, "", GetLastError());
    WriteLog(message.logged);
    m_view.ShowText(message, MB_ICONEXCLAMATION);
}

DetectionRequest InstallSession::DetectionFor()
{
    DetectionRequest request;
    request.wanted = m_run.Line().version;
    // An unattended run asks nothing: it takes the default.
    if (!m_run.IsUnattended())
        request.choose = [this](const FoundVersions& found, FrontPageVersion version) {
            return ChooseVersion(found, version, Logger());
        };
    request.windowsFolder = m_system.windowsFolder;
    request.log = Logger();
    return request;
}

void InstallSession::RunStage()
{
    switch (m_stage) {
    case WizardStage::Start: {
        m_logging = m_view.TakeLogChoice();
        if (m_logging)
            OpenLog();
        // An installation of this kit cut short before is undone first,
        // whatever this run goes on to do.
        m_installer = std::make_unique<FileInstaller>(m_view, Logger(), FindDataFolder(m_system.windowsFolder),
                                                      RemovalRegistration(Logger()));
        if (!m_installer->UndoUnfinishedInstallation()) {
            Finish(Outcome::Failed);
            return;
        }
        m_view.ShowStatus(LoadResString(IDS_SEARCHING));
        const std::optional<FrontPageTarget> target = CheckFrontPage(DetectionFor());
        if (!target) {
            Finish(Outcome::Failed);
            return;
        }
        m_target = *target;
        const std::optional<KitContents> kit = CheckKit(m_target.versionFolder, Logger());
        if (!kit) {
            Finish(Outcome::Failed);
            return;
        }
        m_view.ShowStatus(KitSummary(*kit, Logger()));
        m_stage = WizardStage::Licence;
        return;
    }
    case WizardStage::Licence:
        if (!ShowLicence(LicenceAnswerFor(m_run), Logger(), [this] { m_view.LetInputIn(); })) {
            Finish(Outcome::Cancelled);
            return;
        }
        ShowReadyPrompt();
        m_stage = WizardStage::Copy;
        return;
    case WizardStage::Copy:
        Finish(m_view.RunCopy(*m_installer, m_target));
        return;
    }
}

void InstallSession::ShowReadyPrompt()
{
    m_view.ShowStatus(LoadResString(IDS_READY));
}

void InstallSession::Finish(Outcome outcome)
{
    m_run.End(outcome);
    const UINT id = outcome == Outcome::Installed   ? IDS_INSTALL_DONE
                    : outcome == Outcome::Cancelled ? IDS_INSTALL_CANCELLED
                                                    : IDS_INSTALL_FAILED;
    std::string text = LoadResString(id);
    if (m_logging)
        text += "\n" + Format(LoadResString(IDS_LOG_WRITTEN).c_str(), m_log.Path().c_str());
    m_view.ShowEnd(text);
    WriteLog(LoadLogString(id));
    CloseLog();
}

void InstallSession::SilenceBoxes()
{
    if (m_run.IsUnattended())
        SilenceMessages([this](const std::string& text, UINT style) { return Silenced(text, style); });
}

int InstallSession::Silenced(const std::string& text, UINT style)
{
    const UINT buttons = style & MB_TYPEMASK;
    // The one question with Yes and No, whether to stop the copy, is asked
    // of a person who pressed Cancel: a /SILENT run has its window for that.
    if (buttons == MB_YESNO && m_run.HasWindow())
        return 0;
    WriteLog(text);
    // The answer that lets the run go on where it may, else Cancel.
    switch (buttons) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    }
    return IDCANCEL;
}

bool InstallSession::OpenLog()
{
    const std::string path = InstallLogPath(m_run.Line().logFile);
    if (m_run.IsUnattended())
        m_log.SkipRepeats();
    m_logging = !path.empty() && m_log.OpenLog(path, m_system, m_run.Line().arguments);
    return m_logging;
}

void InstallSession::CloseLog()
{
    if (!m_logging)
        return;
    m_log.CloseLog();
    m_logging = false;
}

LogLine InstallSession::Logger()
{
    return [this](const std::string& line) { WriteLog(line); };
}

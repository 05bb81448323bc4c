// One installation, stage by stage: the work of each stage, with no window of
// its own. The wizard runs it as its view; /VERYSILENT runs it without any
// window (WindowlessView).
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "frontpage/Detection.h"
#include "install/FileInstaller.h"
#include "log/LogFile.h"
#include "log/LogText.h"
#include "run/InstallRun.h"

// The engine's registration of the kit installed: uninstall/'s, the entry
// made logged to `log`.
RegisterKit RemovalRegistration(LogLine log);

enum class WizardStage { Start = 0, Licence = 1, Copy = 2 };

// What a session shows and asks beyond the copy engine's host.
class SessionView : public InstallHost {
public:
    // Replaces the text the user reads.
    virtual void ShowStatus(const std::string& text) = 0;
    // Whether the user wants a log; the controls that choose it are put
    // away, for the work begins.
    virtual bool TakeLogChoice() = 0;
    // The copy stage: `installer` copies the kit into `target`.
    virtual Outcome RunCopy(FileInstaller& installer, const FrontPageTarget& target) = 0;
    // The run has ended; `text` tells the user how.
    virtual void ShowEnd(const std::string& text) = 0;

protected:
    ~SessionView() = default;
};

class InstallSession {
public:
    InstallSession(InstallRun& run, SessionView& view) : m_run(run), m_view(view) {}
    InstallSession(const InstallSession&) = delete;
    InstallSession& operator=(const InstallSession&) = delete;

    // Reads the system the log's header tells of; reports a failure.
    void CollectSystemInfo();
    // The work of the current stage, which moves on to the next or ends the run.
    void RunStage();
    // Ends the run with `outcome`: the final text, its log line, the log closed.
    void Finish(Outcome outcome);
    // In an unattended run every box from now on goes to the log instead
    // (Silenced), until SilenceMessages(nullptr).
    void SilenceBoxes();
    // Answers a box in place of the user: its text to the log; 0 to show it after all.
    int Silenced(const std::string& text, UINT style);

    // The log: opened once the user chose it; false when it could not be.
    bool OpenLog();
    // Appends `text` as one line (several when it holds line feeds) while the log is open.
    void WriteLog(const std::string& text) { m_log.WriteLog(text); }
    void CloseLog();
    // The log's lines from work that knows no log file.
    LogLine Logger();

private:
    // What the detection of FrontPage is asked in this run.
    DetectionRequest DetectionFor();
    void ShowReadyPrompt();

    InstallRun& m_run;
    SessionView& m_view;
    WizardStage m_stage = WizardStage::Start;
    // The run keeps a log, and it is open.
    bool m_logging = false;
    LogFile m_log;
    // The system the log's header tells of.
    LogSystem m_system;
    FrontPageTarget m_target;
    std::unique_ptr<FileInstaller> m_installer;
};

// One run of the program as its command line asks for it: how much it shows,
// what it settles by itself, and the exit code it ends with (README:
// "Unattended installs").
#pragma once
#include <string>

#include "cmdline/CommandLine.h"
#include "install/Outcome.h"
#include "win/MessageBox.h"

// The exit codes of the process, as deployment scripts read them.
enum ExitCode {
    kExitInstalled = 0,        // also: the help was shown
    kExitRefused = 1,          // a bad command line, or another wizard runs
    kExitCancelled = 2,        // before the copy: Cancel, licence refused or not accepted
    kExitFailed = 3,           // before the copy: no FrontPage, version not installed, kit error
    kExitCopyFailed = 4,
    kExitCopyCancelled = 5,
    // /PACK: the setup program was written, or it was not.
    kExitPacked = 0,
    kExitPackFailed = 1,
    // A packed setup that is damaged, or whose kit could not be unpacked.
    kExitSetupDamaged = 1,
};

class InstallRun {
public:
    // A run without switches: the wizard asks its user everything.
    InstallRun() = default;
    // Reads the switches of `arguments`, the command line after the program's
    // name; a /LOG or /OUT file named relative to the current folder is made a
    // full path.
    explicit InstallRun(const std::string& arguments);

    const CommandLine& Line() const { return m_line; }
    // The first word of the command line at fault; empty when it is good.
    const std::string& Fault() const { return m_fault; }
    // What the user is told of the fault besides the word; empty when the
    // word says it all.
    const MessageText& FaultDetail() const { return m_faultDetail; }

    // Makes the /KIT folder, when given, the current folder: the kit's. False,
    // with the /KIT word as the fault, when that folder cannot be entered or
    // holds no kit (the detail says so).
    bool EnterKitFolder();

    // /SILENT or /VERYSILENT: nothing is asked, no box is shown.
    bool IsUnattended() const { return m_line.IsUnattended(); }
    // False for /VERYSILENT, which has no window at all.
    bool HasWindow() const { return m_line.HasWindow(); }
    // The log is on unless /NOLOG, as the "Create log file" box is.
    bool WantsLog() const { return m_line.log != LogChoice::Off; }

    // From now on files may change: a failure or cancel is one of the copy.
    void MarkCopyStarted() { m_copyStarted = true; }
    // The run has ended on the final page.
    void End(Outcome outcome);
    bool HasEnded() const { return m_ended; }
    // The exit code of the outcome; kExitFailed while the run has not ended
    // (its wizard could not be shown).
    int ExitCode() const;

private:
    // Makes the file `path` of switch `word` a full path; a fault when it has none.
    void MakeFull(std::string& path, const char* word);

    CommandLine m_line;
    std::string m_fault;
    MessageText m_faultDetail;
    bool m_copyStarted = false;
    bool m_ended = false;
    Outcome m_outcome = Outcome::Failed;
};

// The switches the program takes, for administrators' unattended installs,
// for removing a kit and for packing one (README: "Unattended installs").
#pragma once
#include <string>
#include <vector>

#include "frontpage/Version.h"

enum class UiMode { Interactive, Silent, VerySilent };
enum class LogChoice { AsTicked, On, Off };

struct CommandLine {
    UiMode ui = UiMode::Interactive;
    LogChoice log = LogChoice::AsTicked;
    // With /LOG=<file>: the log goes there instead of the temporary folder.
    std::string logFile;
    // FPNone: the wizard finds out and asks, as without switches.
    FrontPageVersion version = FPNone;
    bool acceptLicence = false;
    // Empty: the current folder.
    std::string kitFolder;
    bool help = false;
    bool uninstall = false;
    bool pack = false;
    // With /PACK: where the setup program goes; empty for the default.
    std::string packOutput;
    // With /LANG=<tag>: the wizard's language; empty for the user's.
    std::string language;
    // The arguments as given, for the log.
    std::string arguments;

    bool IsUnattended() const { return ui != UiMode::Interactive; }
    // False for /VERYSILENT, which has no window at all.
    bool HasWindow() const { return ui != UiMode::VerySilent; }
};

// Splits `arguments` into words the way the C run-time splits a command line:
// blanks separate words outside double quotes; 2n backslashes before a quote
// give n and the quote opens or closes, 2n+1 give n and a literal quote; other
// backslashes are literal; "" inside quotes is a literal quote.
std::vector<std::string> SplitArguments(const std::string& arguments);

// Reads the switches of `arguments` (the command line after the program's
// name) into `out`. False, with `error` naming the first word at fault, for a
// switch the program does not know, a value it cannot use, or switches that
// contradict each other (a value given twice differently among them); `out`
// then holds the switches that could be read, enough to tell how much the
// run may show, and nothing is to be installed.
bool ParseCommandLine(const std::string& arguments, CommandLine& out, std::string& error);

// This process's command line after the program's name, as given (UTF-8).
std::string ProcessArguments();

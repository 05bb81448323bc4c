// A kit and the four target folders of a FrontPage installation in a scratch
// folder, and the copy engine installing it for a host that answers in code:
// shared by the tests of the copy and of its faults.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "Support.h"
#include "frontpage/Registry.h"
#include "install/FileInstaller.h"
#include "log/LogFile.h"
#include "log/LogText.h"
#include "run/InstallSession.h"

inline const char* const kHeadings[] = {
    "Copying version-specific themes...",         "Copying common themes...",
    "Copying version-specific page templates...", "Copying common page templates...",
    "Copying version-specific web templates...",  "Copying common web templates...",
    "Copying version-specific frame templates...", "Copying common frame templates...",
};

// The lines of the log `path` after its six header lines.
inline std::vector<std::string> LogBody(const std::string& path)
{
    std::string log = ReadFileBytes(path);
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, end - start));
    lines.erase(lines.begin(), lines.begin() + std::min<size_t>(6, lines.size()));
    return lines;
}

// The copy engine's host, answering in code: a real log file, the texts it
// was to show kept, the bar's range and steps counted, each question
// answered by `answer`, a stop asked for once `stop` says so.
class CodeHost : public InstallHost {
public:
    void ShowProgress(int total) override
    {
        range = total;
        steps = 0;
    }
    void StepProgress() override { ++steps; }
    RetryAnswer AskRetryFileInUse(const std::string& path, DWORD) override
    {
        asked.push_back(path);
        return answer(path);
    }
    RetryAnswer AskRetryFrontPageRunning(DWORD) override
    {
        asked.push_back("FrontPage");
        return answer("FrontPage");
    }
    void ShowText(const MessageText& text, UINT) override { boxes.push_back(text.shown); }
    void LetInputIn() override {}
    bool StopAsked() override { return stop && stop(); }
    void CopyStarting() override { started = true; }
    void CopyEnding() override {}
    // The engine's log lines, to `log`.
    LogLine Logger()
    {
        return [this](const std::string& line) { log.WriteLog(line); };
    }

    LogFile log;
    // -1 while the bar is not shown.
    int range = -1;
    int steps = 0;
    bool started = false;
    // What was asked about (a file's path, or "FrontPage"), and the texts shown.
    std::vector<std::string> asked;
    std::vector<std::string> boxes;
    std::function<RetryAnswer(const std::string& about)> answer = [](const std::string&) {
        return RetryAnswer::Cancel;
    };
    std::function<bool()> stop;
};

// A kit and the four target folders of a FrontPage installation in a scratch
// folder, the kit the current folder, and the log in the scratch folder.
class InstallWorld {
public:
    explicit InstallWorld(const char* versionFolder = "fp98") : current(folder.MakeDir("kit"))
    {
        registry.SetString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, folder.Path());
        target.versionFolder = versionFolder;
        target.themesFolder = folder.MakeDir("fp\\Themes");
        target.pagesFolder = folder.MakeDir("fp\\Pages");
        target.websFolder = folder.MakeDir("fp\\Webs");
        target.framesFolder = folder.MakeDir("fp\\Frames");
        // The kit's name and its data folder, as below Common Files.
        kit = {"Kit", folder / "Fernwick\\Kit"};
        OpenLog(folder.Path());
    }

    // Opens the engine's log in `logFolder`; false when it cannot be.
    bool OpenLog(const std::string& logFolder)
    {
        host.log.CloseLog();
        LogSystem system;
        ReadLogSystem(system);
        return host.log.OpenLog(logFolder + "\\engine.log", system, "");
    }

    // Writes a file of the kit, holding its own path in the kit.
    void Kit(const std::string& relative) { folder.Write("kit\\" + relative, relative); }

    // Runs InstallFiles of a new engine.
    Outcome Install()
    {
        FileInstaller installer(host, host.Logger(), kit, RemovalRegistration(host.Logger()));
        return installer.InstallFiles(target);
    }

    // The log's lines after its six header lines.
    std::vector<std::string> Log() const { return LogBody(host.log.Path()); }

    ScratchRegistry registry;
    TempFolder folder;
    CurrentFolder current;
    FrontPageTarget target;
    InstalledKit kit;
    CodeHost host;
};

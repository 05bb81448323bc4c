// The log when its folder cannot take it: read-only, held by another program,
// refused in the registry, or a disk that fills up while lines are written.
// The run goes on in every case, and the log on disk never lies.
#include <gtest/gtest.h>

#include <functional>

#include "Support.h"
#include "run/WindowlessView.h"
#include "frontpage/Registry.h"
#include "win/FileSystem.h"

namespace {

const std::string kTempFilesKey = std::string(g_regExplorer) + g_regTempFilesCache;

// The lines of a log whose lines all end in CR LF; false when one does not.
bool SplitLines(const std::string& text, std::vector<std::string>& lines)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            return false;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return true;
}

TEST(LogFault, FullDiskKeepsEveryWholeLineUpToTheFailure)
{
    TempFolder folder;
    SmallDisk disk(folder / "disk", "64k");
    ASSERT_TRUE(disk.IsMounted());
    ScratchRegistry registry;
    registry.SetString(kTempFilesKey, g_regFolder, disk.Folder());
    InstallRun run;
    WindowlessView view(run);
    InstallSession session(run, view);
    ASSERT_TRUE(session.OpenLog());

    // Lines of many lengths, so that the one that meets the full disk is cut
    // in its middle, and shorter ones after it would still fit.
    const int kLines = 400;
    for (int i = 0; i < kLines; ++i)
        session.WriteLog("line " + std::to_string(i) + " " + std::string(i % 7 == 0 ? 10 : 900, 'x'));
    session.CloseLog();

    std::vector<std::string> lines;
    ASSERT_TRUE(SplitLines(ReadFileBytes(disk.Folder() + "\\fernwick.log"), lines)) << "the last line is cut";
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ("Fernwick V2.1", lines[0]);
    const size_t written = lines.size() - 6;
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, (size_t)kLines);
    for (size_t i = 0; i < written; ++i)
        ASSERT_EQ(0u, lines[6 + i].find("line " + std::to_string(i) + " ")) << "no gap before line " << i;
}

TEST(LogFault, UnusableFolderMeansNoLogAndNoStop)
{
    struct Case {
        const char* what;
        // Makes `folder` unable to take a new log; returns what must stay alive meanwhile.
        std::function<std::shared_ptr<void>(TempFolder&, const std::string&)> spoil;
    };
    const Case cases[] = {
        {"read-only filesystem",
         [](TempFolder& folder, const std::string&) -> std::shared_ptr<void> {
             auto disk = std::make_shared<SmallDisk>(folder / "logs", "64k");
             return disk->IsMounted() && disk->MakeReadOnly() ? disk : nullptr;
         }},
        {"a folder named like the log",
         [](TempFolder& folder, const std::string&) -> std::shared_ptr<void> {
             folder.MakeDir("logs\\fernwick.log");
             return std::make_shared<int>(0);
         }},
        {"an earlier log held by another program",
         [](TempFolder& folder, const std::string&) -> std::shared_ptr<void> {
             auto lock = std::make_shared<FileLock>(folder.Write("logs\\fernwick.log", "earlier run\r\n"));
             return lock->IsHeld() ? lock : nullptr;
         }},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::shared_ptr<void> spoiled = c.spoil(folder, folder / "logs");
        ASSERT_TRUE(spoiled) << c.what;
        ScratchRegistry registry;
        registry.SetString(kTempFilesKey, g_regFolder, folder / "logs");
        InstallRun run;
    WindowlessView view(run);
    InstallSession session(run, view);
        EXPECT_FALSE(session.OpenLog()) << c.what;
        session.WriteLog("nothing");
        session.CloseLog();
    }
}

TEST(LogFault, RefusedRegistryKeyFallsBackToTheTemporaryFolder)
{
    ScratchRegistry registry;
    registry.SetString(kTempFilesKey, g_regFolder, "C:\\Nowhere");
    registry.DenyAccess(kTempFilesKey);
    TempFolder folder;
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", saved, MAX_PATH);
    SetEnvironmentVariableA("TMP", folder.Path().c_str());
    std::string shown;
    ModalAnswerer answerer([&](HWND box) {
        shown = MessageBoxText(box);
        Click(box, IDOK);
    });
    InstallRun run;
    WindowlessView view(run);
    InstallSession session(run, view);
    const bool open = session.OpenLog();
    SetEnvironmentVariableA("TMP", saved);
    EXPECT_EQ("You do not have sufficient privilege.\nPlease log on as an Administrator.", shown);
    EXPECT_TRUE(open);
    session.CloseLog();
    EXPECT_TRUE(FileExists(folder / "fernwick.log"));
}

} // namespace

// What the copy stage asks the system: whether a program is running, which
// program holds a file, a library of the system folder, the words for an
// error; and the texts of its questions in the string table.
#include <gtest/gtest.h>

#include "Support.h"
#include "res/resource.h"
#include "win/FileHolder.h"
#include "win/RunningProgram.h"
#include "win/Strings.h"
#include "win/SystemError.h"
#include "win/SystemLibrary.h"

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Polls `done` for up to ten seconds.
bool WaitFor(const std::function<bool()>& done)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(10)) {
        if (done())
            return true;
    }
    return done();
}

TEST(SystemLookup, ProgramRunningByTheNameOfItsFileInAnyCase)
{
    struct Case {
        const char* planted;
        const char* asked;
        bool found;
    };
    const Case cases[] = {
        {"frontpg.exe", "frontpg.exe", true},
        {"FrontPG.EXE", "frontpg.exe", true},
        {"frontpg.exe", "FRONTPG.EXE", true},
        {"frontpg.exe", "frontpg", false},
        {"xfrontpg.exe", "frontpg.exe", false},
        {"frontpg.exe.exe", "frontpg.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.planted) + " asked as " + c.asked);
        TempFolder folder;
        const std::string program = folder / c.planted;
        ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\planted_program.exe").c_str(), program.c_str(), FALSE));
        EXPECT_FALSE(IsProgramRunning(c.asked));
        std::string commandLine = "\"" + program + "\" stay";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process));
        // Running for certain once it has left its mark.
        EXPECT_TRUE(WaitFor([&] { return Exists(program + ".ran"); }));
        EXPECT_EQ(c.found, IsProgramRunning(c.asked));
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        EXPECT_FALSE(IsProgramRunning(c.asked));
    }
}

TEST(SystemLookup, ProgramHoldingAFileWhereTheSystemCanTell)
{
    TempFolder folder;
    const std::string held = folder.Write("held.css", "held");
    const std::string free = folder.Write("free.css", "free");
    // The restart manager is there to ask...
    ASSERT_NE(nullptr, LoadSystemLibrary("rstrtmgr.dll"));
    FileLock lock(held);
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_EQ("", ProgramHoldingFile(free));
    EXPECT_EQ("", ProgramHoldingFile(folder / "missing.css"));
    // ...but Wine's lists no program for any file: the path where the system
    // cannot tell, and the box says "another program".
    EXPECT_EQ("", ProgramHoldingFile(held));
}

TEST(SystemLookup, LibrariesOnlyFromTheSystemFolder)
{
    // A library planted beside the program under a system library's name.
    const std::string planted = TestProgramFolder() + "\\fwjournal.dll";
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\planted_library.dll").c_str(), planted.c_str(), FALSE));
    EXPECT_EQ(nullptr, LoadSystemLibrary("fwjournal.dll"));
    EXPECT_FALSE(Exists(planted + ".loaded"));
    DeleteFileA(planted.c_str());
    EXPECT_EQ(nullptr, LoadSystemLibrary("nosuchlibrary.dll"));
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), LoadSystemLibrary("kernel32.dll"));
}

TEST(SystemLookup, ErrorTextAsTheProgramWordsIt)
{
    struct Case {
        DWORD code;
        const char* start;
        const char* contains;
    };
    const Case cases[] = {
        {ERROR_ACCESS_DENIED, "(5) ", "denied"},
        {ERROR_SHARING_VIOLATION, "(32) ", "haring violation"},
        {0x20001234, "(536875572) ", "Unknown error"},
    };
    for (const Case& c : cases) {
        const std::string text = SystemErrorText(c.code);
        EXPECT_EQ(0u, text.find(c.start)) << text;
        EXPECT_NE(std::string::npos, text.find(c.contains)) << text;
    }
    // The system's text keeps the line end it comes with.
    const std::string denied = SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_EQ("\r\n", denied.substr(denied.size() - 2));
}

TEST(SystemLookup, CopyStageQuestionsInTheStringTable)
{
    const struct {
        UINT id;
        const char* text;
    } cases[] = {
        {IDS_CONFIRM_CANCEL, "Do you want to stop the installation?\n\nThe files copied so far will be removed and "
                             "the files they replaced restored."},
        {IDS_FRONTPAGE_RUNNING, "Microsoft FrontPage is running.\n\nClose FrontPage, then click Retry. Click Cancel "
                                "to stop the installation."},
        {IDS_FILE_IN_USE, "This file is in use by another program:\n%s\n\nClose that program, then click Retry. "
                          "Click Cancel to stop the installation."},
        {IDS_FILE_IN_USE_BY, "This file is in use by %s:\n%s\n\nClose that program, then click Retry. Click Cancel "
                             "to stop the installation."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, LoadResString(c.id)) << c.id;
    EXPECT_EQ("This file is in use by Microsoft FrontPage:\nC:\\T\\a.css\n\nClose that program, then click Retry. "
              "Click Cancel to stop the installation.",
              Format(LoadResString(IDS_FILE_IN_USE_BY).c_str(), "Microsoft FrontPage", "C:\\T\\a.css"));
}

} // namespace

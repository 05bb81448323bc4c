#include <gtest/gtest.h>

#include "cmdline/CommandLine.h"

namespace {

using Words = std::vector<std::string>;

TEST(CommandLine, SplitsAsTheRunTimeDoes)
{
    const struct {
        const char* line;
        Words words;
    } cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"/SILENT  /LOG", {"/SILENT", "/LOG"}},
        {"/KIT=\"C:\\My Kits\\heather\" /LOG", {"/KIT=C:\\My Kits\\heather", "/LOG"}},
        {"\"/LOG=C:\\a b\\x.log\"", {"/LOG=C:\\a b\\x.log"}},
        {"a\\\\b \\\\\\\"c", {"a\\\\b", "\\\"c"}},
        {"\"a\\\\\" b", {"a\\", "b"}},
        {"\"\"", {""}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
        {"\"open", {"open"}},
        {"tail\\\\", {"tail\\\\"}},
        {"/KIT=C:\\Κιτ\\テーマ", {"/KIT=C:\\Κιτ\\テーマ"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.words, SplitArguments(c.line)) << c.line;
}

TEST(CommandLine, SwitchesAndTheirValues)
{
    struct Expected {
        UiMode ui;
        LogChoice log;
        const char* logFile;
        FrontPageVersion version;
        bool accept;
        const char* kit;
        bool help, uninstall, pack;
        const char* out;
        const char* language = "";
    };
    const Expected plain = {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", false, false, false, ""};
    const struct {
        const char* line;
        const char* error;  // the word at fault, or null when the line is good
        Expected expected;
    } cases[] = {
        {"", nullptr, plain},
        {"/SILENT", nullptr, {UiMode::Silent, LogChoice::AsTicked, "", FPNone, false, "", false, false, false, ""}},
        {"-verysilent /Silent", nullptr,
         {UiMode::VerySilent, LogChoice::AsTicked, "", FPNone, false, "", false, false, false, ""}},
        {"/VERYSILENT /LOG=\"C:\\Logs\\kit one.log\" /ACCEPTLICENCE /VERSION=2000", nullptr,
         {UiMode::VerySilent, LogChoice::On, "C:\\Logs\\kit one.log", FP2000, true, "", false, false, false, ""}},
        {"/log", nullptr, {UiMode::Interactive, LogChoice::On, "", FPNone, false, "", false, false, false, ""}},
        {"/NOLOG /acceptlicense /version=98", nullptr,
         {UiMode::Interactive, LogChoice::Off, "", FP98, true, "", false, false, false, ""}},
        {"-Version=2002 /KIT=D:\\Kits\\Heather", nullptr,
         {UiMode::Interactive, LogChoice::AsTicked, "", FP2002, false, "D:\\Kits\\Heather", false, false, false, ""}},
        {"/version=2003", nullptr,
         {UiMode::Interactive, LogChoice::AsTicked, "", FP2003, false, "", false, false, false, ""}},
        {"/?", nullptr, {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", true, false, false, ""}},
        {"-HELP", nullptr, {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", true, false, false, ""}},
        {"/UNINSTALL /VERYSILENT", nullptr,
         {UiMode::VerySilent, LogChoice::AsTicked, "", FPNone, false, "", false, true, false, ""}},
        {"/PACK /OUT=\"C:\\Out\\heather setup.exe\"", nullptr,
         {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", false, false, true,
          "C:\\Out\\heather setup.exe"}},
        {"/PACK /KIT=C:\\Kit /VERYSILENT", nullptr,
         {UiMode::VerySilent, LogChoice::AsTicked, "", FPNone, false, "C:\\Kit", false, false, true, ""}},
        // A fault: the first word at fault is named, and the switches that
        // could be read are still read, before the fault and after it.
        {"/QUIET", "/QUIET", plain},
        {"SILENT", "SILENT", plain},
        {"/", "/", plain},
        {"/SILENT=1", "/SILENT=1", plain},
        {"/VERSION", "/VERSION", plain},
        {"/VERSION=", "/VERSION=", plain},
        {"/VERSION=2007", "/VERSION=2007", plain},
        {"/VERSION=2000x", "/VERSION=2000x", plain},
        {"/KIT=", "/KIT=", plain},
        {"/LOG=", "/LOG=", plain},
        {"/LOG /NOLOG", "/NOLOG", {UiMode::Interactive, LogChoice::On, "", FPNone, false, "", false, false, false, ""}},
        {"/NOLOG /LOG=x.log", "/LOG=x.log",
         {UiMode::Interactive, LogChoice::Off, "", FPNone, false, "", false, false, false, ""}},
        {"/OUT=x.exe", "/OUT",
         {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", false, false, false, "x.exe"}},
        {"/PACK /UNINSTALL", "/PACK",
         {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", false, true, true, ""}},
        {"/PACK /VERSION=98", "/PACK",
         {UiMode::Interactive, LogChoice::AsTicked, "", FP98, false, "", false, false, true, ""}},
        // A removal takes back all the kit's installations: what an
        // installation chooses is refused with it; its log and window are not.
        {"/UNINSTALL /VERYSILENT /VERSION=98", "/UNINSTALL",
         {UiMode::VerySilent, LogChoice::AsTicked, "", FP98, false, "", false, true, false, ""}},
        {"/UNINSTALL /ACCEPTLICENCE", "/UNINSTALL",
         {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, true, "", false, true, false, ""}},
        {"/KIT=C:\\Kit /UNINSTALL", "/UNINSTALL",
         {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "C:\\Kit", false, true, false, ""}},
        {"/UNINSTALL /SILENT /LOG=C:\\Logs\\removal.log", nullptr,
         {UiMode::Silent, LogChoice::On, "C:\\Logs\\removal.log", FPNone, false, "", false, true, false, ""}},
        {"/SILENT /Κιτ", "/Κιτ",
         {UiMode::Silent, LogChoice::AsTicked, "", FPNone, false, "", false, false, false, ""}},
        {"/QUIET /VERYSILENT /LOG=C:\\x.log /KIT=C:\\Kit /VERSION=2002 /ACCEPTLICENCE", "/QUIET",
         {UiMode::VerySilent, LogChoice::On, "C:\\x.log", FP2002, true, "C:\\Kit", false, false, false, ""}},
        {"/VERYSILENT /NOPE /WORSE", "/NOPE",
         {UiMode::VerySilent, LogChoice::AsTicked, "", FPNone, false, "", false, false, false, ""}},
        // The same switch twice: the same value again is no contradiction;
        // paths are the same in any letter case.
        {"/VERSION=2000 /version=2000 /KIT=C:\\Kit /kit=c:\\kit /LOG=a.log /LOG /LOG=A.LOG", nullptr,
         {UiMode::Interactive, LogChoice::On, "a.log", FP2000, false, "C:\\Kit", false, false, false, ""}},
        {"/VERSION=98 /VERSION=2000", "/VERSION=2000",
         {UiMode::Interactive, LogChoice::AsTicked, "", FP98, false, "", false, false, false, ""}},
        {"/KIT=C:\\One /KIT=C:\\Two", "/KIT=C:\\Two",
         {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "C:\\One", false, false, false, ""}},
        {"/LOG=a.log /LOG=b.log", "/LOG=b.log",
         {UiMode::Interactive, LogChoice::On, "a.log", FPNone, false, "", false, false, false, ""}},
        {"/PACK /OUT=a.exe /OUT=b.exe", "/OUT=b.exe",
         {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", false, false, true, "a.exe"}},
        // A language tag, in any letter case; a word that is none is at fault.
        {"-lang=PT-br /LANG=pt-BR", nullptr, {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", false,
                                              false, false, "", "PT-br"}},
        {"/LANG=de /LANG=fr", "/LANG=fr", {UiMode::Interactive, LogChoice::AsTicked, "", FPNone, false, "", false,
                                           false, false, "", "de"}},
        {"/LANG=italiano", "/LANG=italiano", plain},
        {"/LANG=", "/LANG=", plain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CommandLine line;
        std::string error;
        bool good = ParseCommandLine(c.line, line, error);
        if (c.error) {
            EXPECT_FALSE(good);
            EXPECT_EQ(c.error, error);
        } else {
            EXPECT_TRUE(good) << error;
        }
        const Expected& e = c.expected;
        EXPECT_EQ(e.ui, line.ui);
        EXPECT_EQ(e.log, line.log);
        EXPECT_EQ(e.logFile, line.logFile);
        EXPECT_EQ(e.version, line.version);
        EXPECT_EQ(e.accept, line.acceptLicence);
        EXPECT_EQ(e.kit, line.kitFolder);
        EXPECT_EQ(e.help, line.help);
        EXPECT_EQ(e.uninstall, line.uninstall);
        EXPECT_EQ(e.pack, line.pack);
        EXPECT_EQ(e.out, line.packOutput);
        EXPECT_EQ(e.language, line.language);
        EXPECT_EQ(c.line, line.arguments);
    }
}

} // namespace

// The whole road through the wizard: the kit's files land in the folders of the
// chosen FrontPage version, and the log holds every step of the run in order.
#include "WizardTest.h"

#include <algorithm>
#include <map>
#include <regex>

#include "Text.h"
#include "win/Strings.h"

namespace e2e {
namespace {

// A line of the expected log: its exact text, or a pattern for what differs
// from run to run (the time, the system, the user).
struct Line {
    std::string text;
    bool pattern = false;
};

const char kTime[] = "\\d{2}-[A-Z][a-z]{2}-\\d{4} at \\d{2}:\\d{2}:\\d{2}";

std::vector<Line> Header()
{
    return {{"Fernwick V2.1"},
            {"Copyright (C) 2026 The Fernwick developers"},
            {std::string("Log file opened on ") + kTime, true},
            {"Operating system: Windows NT/2000 V\\d+\\.\\d+ .*", true},
            {"User name: .+", true},
            {"Windows folder: [A-Za-z]:\\\\.*", true}};
}

std::vector<Line> Closing(const char* message)
{
    return {{message}, {std::string("Log file closed on ") + kTime, true}, {""}};
}

// After a successful copy: the kit's entry in Programs and Features (its exact
// name is the uninstall tests' business).
std::vector<Line> Registered()
{
    return {{"Registered for removal as Fernwick .+", true}};
}

testing::AssertionResult LogIs(const std::string& log, const std::vector<Line>& expected)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, end - start));
    for (size_t i = 0; i < expected.size() && i < lines.size(); ++i) {
        const Line& line = expected[i];
        if (line.pattern ? !std::regex_match(lines[i], std::regex(line.text)) : lines[i] != line.text)
            return testing::AssertionFailure() << "line " << i + 1 << " is \"" << lines[i] << "\", expected \""
                                               << line.text << "\"\n"
                                               << log;
    }
    if (lines.size() != expected.size())
        return testing::AssertionFailure() << lines.size() << " lines, expected " << expected.size() << "\n" << log;
    return testing::AssertionSuccess();
}

// What the copy of one run writes to the log, and the files it makes, built
// up pass by pass before the run. The wizard copies a folder's entries in the
// order the file system lists them.
class Copies {
public:
    explicit Copies(const std::string& kit) : m_kit(kit) {}

    void Pass(const char* heading) { lines.push_back({heading}); }
    // "Created folder " lines for `folders`, outermost first, that do not exist yet.
    void Folders(std::initializer_list<std::string> folders)
    {
        for (const std::string& folder : folders) {
            if (!PathExists(folder))
                lines.push_back({"Created folder " + Logged(folder)});
        }
    }
    // The files of the kit folder `item` copied into `target`.
    void Files(const std::string& item, const std::string& target)
    {
        for (const std::string& name : FolderEntries(m_kit + "\\" + item)) {
            lines.push_back({"Copied file: " + Logged(target + "\\" + name)});
            files.push_back({m_kit + "\\" + item + "\\" + name, target + "\\" + name});
        }
    }

    std::vector<Line> lines;
    // Kit file, and where it goes.
    std::vector<std::pair<std::string, std::string>> files;
    // Names as the log writes them, in the code page, where they differ.
    std::map<std::string, std::string> logged;

private:
    std::string Logged(const std::string& path) const
    {
        std::string result;
        for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
            end = path.find('\\', start);
            std::string name = path.substr(start, end == std::string::npos ? end : end - start);
            auto found = logged.find(name);
            result += (start ? "\\" : "") + (found == logged.end() ? name : found->second);
        }
        return result;
    }

    std::string m_kit;
};

void ExpectCopied(const std::vector<std::pair<std::string, std::string>>& files)
{
    for (const auto& file : files) {
        std::string bytes = ReadFileBytes(file.first);
        EXPECT_FALSE(bytes.empty()) << file.first;
        EXPECT_EQ(ReadFileBytes(file.second), bytes) << file.second;
    }
}

std::vector<Line> Join(std::initializer_list<std::vector<Line>> parts)
{
    std::vector<Line> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

using Install = WizardTest;

TEST_F(Install, FrontPage98GetsTheFp98AndCommonTrees)
{
    // Items for the other versions, which must stay in the kit.
    ASSERT_TRUE(world.WriteFile("kit\\fp2000\\Themes\\dawn\\dawn.inf", "title=Dawn\r\nversion=1\r\n"));
    ASSERT_TRUE(world.WriteFile("kit\\fp2000\\Pages\\form\\form.htm", "<html></html>\r\n"));
    const std::string root = world.Path("FrontPage");
    const std::string themes = root + "\\themes";
    const std::string pages = root + "\\pages";
    const std::string webs = root + "\\webs";
    const std::string frames = root + "\\frames";
    Copies copies(world.KitFolder());
    copies.Pass("Copying version-specific themes...");
    copies.Folders({themes, themes + "\\Breeze"});
    copies.Files("fp98\\Themes\\Breeze", themes + "\\Breeze");
    copies.Pass("Copying common themes...");
    copies.Folders({themes + "\\harbour"});
    copies.Files("common\\Themes\\harbour", themes + "\\harbour");
    copies.Pass("Copying version-specific page templates...");
    copies.Folders({pages, pages + "\\notice"});
    copies.Files("fp98\\Pages\\notice", pages + "\\notice");
    copies.Pass("Copying common page templates...");
    copies.Pass("Copying version-specific web templates...");
    copies.Pass("Copying common web templates...");
    copies.Folders({webs, webs + "\\club"});
    copies.Files("common\\Webs\\club", webs + "\\club");
    copies.Pass("Copying version-specific frame templates...");
    copies.Pass("Copying common frame templates...");
    copies.Folders({frames, frames + "\\banner"});
    copies.Files("common\\Frames\\banner", frames + "\\banner");
    ASSERT_EQ(7u, copies.files.size());

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    Window bar = app->Control(IDC_PROGRESS);
    EXPECT_TRUE(bar.IsVisible());
    EXPECT_EQ(bar.ProgressUpperBound(), 7);
    EXPECT_EQ(bar.ProgressPosition(), 7);
    ExpectCopied(copies.files);
    EXPECT_FALSE(PathExists(themes + "\\dawn"));
    EXPECT_FALSE(PathExists(pages + "\\form"));
    EXPECT_TRUE(LogIs(Log(), Join({Header(),
                                   {{"Checking FrontPage installation..."},
                                    {"FrontPage 98 found in " + root},
                                    {"Installing for Microsoft FrontPage 98"},
                                    {"Themes will be installed in " + themes},
                                    {"Page templates will be installed in " + pages},
                                    {"Web templates will be installed in " + webs},
                                    {"Frame templates will be installed in " + frames},
                                    {"Checking kit for items to install..."},
                                    {"Will install theme Breeze\tVersion 1"},
                                    {"Will install theme Harbour\tVersion 2.5"},
                                    {"Will install page template notice"},
                                    {"Will install web template club"},
                                    {"Will install frame template banner"},
                                    {"No licence file supplied"},
                                    {"Counting files..."},
                                    {"Total files = 7"}},
                                   copies.lines, Registered(), Closing(kDoneText)})));
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// A kit in several languages, saved in each encoding Notepad offers: its
// texts shown exactly, its names copied exactly, the log in the code page.
TEST_F(Install, KitTextsAndNamesInAnyLanguage)
{
    // The log is in the system's code page: the '?' below are what 1252 lacks.
    ASSERT_EQ(1252u, GetACP());
    RemoveTree(world.KitFolder());
    const std::string utf8Mark = "\xEF\xBB\xBF";
    const struct {
        std::string path;
        std::string bytes;
    } kit[] = {
        {"intro.txt", u8"Κύμα και 桜: θέματα\r\nCafé ☕ 😀 edition\r\n"},
        {"license.txt", Utf16File(WideOf(u8"Άδεια χρήσης 使用許諾\r\nUse freely.\r\n"), true)},
        {u8"fp98\\Themes\\Κύμα\\Κύμα.inf", utf8Mark + u8"[info]\r\ntitle=Κύμα\r\nversion=1.5\r\n"},
        {u8"fp98\\Themes\\Κύμα\\θέμα.css", "body { color: navy; }\r\n"},
        {u8"common\\Themes\\桜\\桜.inf", Utf16File(WideOf(u8"[info]\r\ntitle=桜の庭\r\nversion=2\r\n"))},
        {u8"common\\Themes\\桜\\桜.css", "body { color: pink; }\r\n"},
        {u8"fp98\\Pages\\Σελίδα\\Σελίδα.htm", "<html><body>Page</body></html>\r\n"},
        {u8"common\\Webs\\Café\\default.htm", "<html><body>Web</body></html>\r\n"},
        {u8"common\\Frames\\😀\\banner.htm", "<html><body>Frame</body></html>\r\n"},
    };
    for (const auto& file : kit)
        ASSERT_TRUE(world.WriteFile("kit\\" + file.path, file.bytes)) << file.path;
    const std::string root = world.Path("FrontPage");
    const std::string themes = root + "\\themes";
    const std::string pages = root + "\\pages";
    const std::string webs = root + "\\webs";
    const std::string frames = root + "\\frames";
    Copies copies(world.KitFolder());
    copies.logged = {{u8"Κύμα", "????"},     {u8"Κύμα.inf", "????.inf"}, {u8"θέμα.css", "????.css"},
                     {u8"桜", "?"},          {u8"桜.inf", "?.inf"},      {u8"桜.css", "?.css"},
                     {u8"Σελίδα", "??????"}, {u8"Σελίδα.htm", "??????.htm"}, {u8"Café", "Caf\xe9"},
                     {u8"😀", "?"}};
    copies.Pass("Copying version-specific themes...");
    copies.Folders({themes, themes + u8"\\Κύμα"});
    copies.Files(u8"fp98\\Themes\\Κύμα", themes + u8"\\Κύμα");
    copies.Pass("Copying common themes...");
    copies.Folders({themes + u8"\\桜"});
    copies.Files(u8"common\\Themes\\桜", themes + u8"\\桜");
    copies.Pass("Copying version-specific page templates...");
    copies.Folders({pages, pages + u8"\\Σελίδα"});
    copies.Files(u8"fp98\\Pages\\Σελίδα", pages + u8"\\Σελίδα");
    copies.Pass("Copying common page templates...");
    copies.Pass("Copying version-specific web templates...");
    copies.Pass("Copying common web templates...");
    copies.Folders({webs, webs + u8"\\Café"});
    copies.Files(u8"common\\Webs\\Café", webs + u8"\\Café");
    copies.Pass("Copying version-specific frame templates...");
    copies.Pass("Copying common frame templates...");
    copies.Folders({frames, frames + u8"\\😀"});
    copies.Files(u8"common\\Frames\\😀", frames + u8"\\😀");
    ASSERT_EQ(7u, copies.files.size());

    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(app->StatusText(), u8"Κύμα και 桜: θέματα\nCafé ☕ 😀 edition\n\n"
                                 "This program will install your new theme(s).\n"
                                 "Ensure that Microsoft FrontPage is not running,\n"
                                 "or the installation may fail.\n\n"
                                 "Click Next to start, or Cancel to terminate.");
    ASSERT_TRUE(app->PassStart()) << app->Describe();
    EXPECT_EQ(app->StatusText(), u8"The following themes and templates will be installed.\n\n"
                                 "Themes:\tΚύμα\tVersion 1.5\n"
                                 "\t\t桜の庭\tVersion 2\n\n"
                                 "Page templates:  σελίδα\n"
                                 "Web templates:   café\n"
                                 "Frame templates: 😀\n");
    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    Window agreement = app->Dialog();
    ASSERT_EQ(DialogKind(agreement), "licence") << app->Describe();
    EXPECT_EQ(agreement.Item(IDC_LICENCE_TEXT).Text(), u8"Άδεια χρήσης 使用許諾\r\nUse freely.\r\n");
    ASSERT_TRUE(app->AnswerDialog("ready")) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    ExpectCopied(copies.files);
    // Exactly these names, letter case too, as the file system spells them.
    EXPECT_EQ(Sorted(FolderEntries(themes)), Sorted({u8"Κύμα", u8"桜"}));
    EXPECT_EQ(Sorted(FolderEntries(themes + u8"\\Κύμα")), Sorted({u8"Κύμα.inf", u8"θέμα.css"}));
    EXPECT_EQ(Sorted(FolderEntries(themes + u8"\\桜")), Sorted({u8"桜.inf", u8"桜.css"}));
    EXPECT_EQ(FolderEntries(pages), std::vector<std::string>{u8"Σελίδα"});
    EXPECT_EQ(FolderEntries(pages + u8"\\Σελίδα"), std::vector<std::string>{u8"Σελίδα.htm"});
    EXPECT_EQ(FolderEntries(webs), std::vector<std::string>{u8"Café"});
    EXPECT_EQ(FolderEntries(frames), std::vector<std::string>{u8"😀"});
    EXPECT_TRUE(LogIs(Log(), Join({Header(),
                                   {{"Checking FrontPage installation..."},
                                    {"FrontPage 98 found in " + root},
                                    {"Installing for Microsoft FrontPage 98"},
                                    {"Themes will be installed in " + themes},
                                    {"Page templates will be installed in " + pages},
                                    {"Web templates will be installed in " + webs},
                                    {"Frame templates will be installed in " + frames},
                                    {"Checking kit for items to install..."},
                                    {"Will install theme ????\tVersion 1.5"},
                                    {"Will install theme ???\tVersion 2"},
                                    {"Will install page template ??????"},
                                    {"Will install web template caf\xe9"},
                                    {"Will install frame template ?"},
                                    {"User accepted licence"},
                                    {"Counting files..."},
                                    {"Total files = 7"}},
                                   copies.lines, Registered(), Closing(kDoneText)})));
}

// FrontPage 2000 and later keep their themes in the machine's own Common
// Files folder, shared by the versions: what a test adds there goes again
// afterwards. The kit has items for them in "fp2000".
class InstallShared : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        ASSERT_TRUE(world.WriteFile("kit\\fp2000\\Themes\\Sunrise\\sunrise.inf", "title=Sunrise\r\nversion=3\r\n"));
        ASSERT_TRUE(world.WriteFile("kit\\fp2000\\Themes\\Sunrise\\theme.css", "body { color: orange; }\r\n"));
        ASSERT_TRUE(world.WriteFile("kit\\fp2000\\Pages\\form\\form.htm", "<html><body>Form</body></html>\r\n"));
        ASSERT_FALSE(World::CommonFiles().empty());
        shared = World::CommonFiles() + "\\Microsoft Shared";
        const std::vector<std::string> themes = {shared + "\\themes\\Sunrise", shared + "\\themes\\harbour"};
        for (const std::string& theme : themes)
            ASSERT_FALSE(PathExists(theme)) << "left by an earlier run: " << theme;
        removeAfterwards = !PathExists(shared)              ? std::vector<std::string>{shared}
                           : !PathExists(shared + "\\themes") ? std::vector<std::string>{shared + "\\themes"}
                                                              : themes;
    }
    void TearDown() override
    {
        for (const std::string& folder : removeAfterwards)
            RemoveTree(folder);
    }

    // What the copy of the kit's `root` ("fp2000" or "fp2003") and "common"
    // logs and makes, with the template language folder `templates` and its
    // page templates folder `pages`.
    Copies ExpectedCopies(const std::string& root, const std::string& templates, const std::string& pages) const
    {
        const std::string themes = shared + "\\themes";
        Copies copies(world.KitFolder());
        copies.Pass("Copying version-specific themes...");
        copies.Folders({shared, themes, themes + "\\Sunrise"});
        copies.Files(root + "\\Themes\\Sunrise", themes + "\\Sunrise");
        copies.Pass("Copying common themes...");
        copies.Folders({themes + "\\harbour"});
        copies.Files("common\\Themes\\harbour", themes + "\\harbour");
        copies.Pass("Copying version-specific page templates...");
        copies.Folders({world.Path("Office\\templates"), templates, pages, pages + "\\form"});
        copies.Files(root + "\\Pages\\form", pages + "\\form");
        copies.Pass("Copying common page templates...");
        copies.Pass("Copying version-specific web templates...");
        copies.Pass("Copying common web templates...");
        copies.Folders({templates + "\\webs", templates + "\\webs\\club"});
        copies.Files("common\\Webs\\club", templates + "\\webs\\club");
        copies.Pass("Copying version-specific frame templates...");
        copies.Pass("Copying common frame templates...");
        copies.Folders({templates + "\\frames", templates + "\\frames\\banner"});
        copies.Files("common\\Frames\\banner", templates + "\\frames\\banner");
        return copies;
    }

    // The log from the detection's "Installing for" line on to the end, after
    // the copy of the kit as `copies`: the targets for FrontPage `version`
    // with its page templates in `pages` (below the language folder
    // `templates`), the check of the kit, the version root's theme Sunrise of
    // version `sunrise`, and `licence`, the licence's line.
    std::vector<Line> TargetsAndCopy(const std::string& version, const std::string& templates, const std::string& pages,
                                     const char* sunrise, const std::string& licence, const Copies& copies) const
    {
        return Join({{{"Installing for Microsoft FrontPage " + version},
                      {"Themes will be installed in " + shared + "\\themes"},
                      {"Page templates will be installed in " + pages},
                      {"Web templates will be installed in " + templates + "\\webs"},
                      {"Frame templates will be installed in " + templates + "\\frames"},
                      {"Checking kit for items to install..."},
                      {"Will install theme Sunrise\tVersion " + std::string(sunrise)},
                      {"Will install theme Harbour\tVersion 2.5"},
                      {"Will install page template form"},
                      {"Will install web template club"},
                      {"Will install frame template banner"},
                      {licence},
                      {"Counting files..."},
                      {"Total files = 7"}},
                     copies.lines, Registered(), Closing(kDoneText)});
    }

    std::string shared;
    std::vector<std::string> removeAfterwards;
};

// FrontPage 98, 2000 and 2002 installed, the registered program the 2002 one,
// and a kit with a licence.
class OfficeWorld : public InstallShared {
protected:
    void SetUp() override
    {
        InstallShared::SetUp();
        ASSERT_TRUE(world.InstallOffice());
        ASSERT_TRUE(world.WriteFile("kit\\license.txt", "Harbour Lights licence\r\n"));
    }

    // What the copy for 2000 or 2002, English, logs and makes.
    Copies OfficeCopies() const
    {
        const std::string templates = world.Path("Office\\templates\\1033");
        return ExpectedCopies("fp2000", templates, templates + "\\pages");
    }

    // The whole log of the installation for `version`: `commandLine` after the
    // header when there is one, `choice` for the version's, `licence` for the
    // licence's line.
    std::vector<Line> ExpectedLog(const std::string& version, const std::vector<Line>& commandLine,
                                  const std::string& choice, const std::string& licence, const Copies& copies) const
    {
        const std::string templates = world.Path("Office\\templates\\1033");
        return Join({Header(), commandLine,
                     {{"Checking FrontPage installation..."},
                      {"FrontPage 98 found in " + world.Path("FrontPage")},
                      {"FrontPage Current Version found in " + world.Path("Office\\Office10")},
                      {"Current version is FrontPage 2002"},
                      {"FrontPage 2000 found in " + world.Path("Office\\Office")},
                      {"FrontPage 2002 found in " + world.Path("Office\\Office10")},
                      {choice}},
                     TargetsAndCopy(version, templates, templates + "\\pages", "3", licence, copies)});
    }
};

// The user picks the version of the parameter in the choice.
class InstallOffice : public OfficeWorld, public testing::WithParamInterface<const char*> {};

TEST_P(InstallOffice, GetsTheFp2000AndCommonTreesInTheSharedFolders)
{
    const std::string version = GetParam();
    const std::string themes = shared + "\\themes";
    const std::string pages = world.Path("Office\\templates\\1033\\pages");
    const Copies copies = ExpectedCopies("fp2000", world.Path("Office\\templates\\1033"), pages);
    ASSERT_EQ(7u, copies.files.size());

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    Window choice = app->Dialog();
    ASSERT_TRUE(choice) << app->Describe();
    ASSERT_EQ(DialogKind(choice), "version-choice");
    Window radio = choice.Item(version == "2000" ? IDC_RADIO_FP2000 : IDC_RADIO_FP2002);
    radio.Click();
    ASSERT_TRUE(WaitUntil([&] { return radio.CheckState() == BST_CHECKED; }));
    ASSERT_TRUE(app->AnswerDialog("summary")) << app->Describe();
    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    ASSERT_EQ(DialogKind(app->Dialog()), "licence") << app->Describe();
    ASSERT_TRUE(app->AnswerDialog("ready")) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    EXPECT_EQ(app->Control(IDC_PROGRESS).ProgressPosition(), 7);
    ExpectCopied(copies.files);
    // FrontPage 98's own items stay in the kit.
    EXPECT_FALSE(PathExists(themes + "\\Breeze"));
    EXPECT_FALSE(PathExists(pages + "\\notice"));
    EXPECT_TRUE(LogIs(Log(), ExpectedLog(version, {}, "User chose to install for FrontPage " + version,
                                         "User accepted licence", copies)));
}

// An administrator's deployment: the version and the licence settled on the
// command line, the log where the script wants it, and no window ever.
TEST_P(InstallOffice, VerySilentlyForTheCommandLinesVersion)
{
    const std::string version = GetParam();
    const std::string templates = world.Path("Office\\templates\\1033");
    const Copies copies = ExpectedCopies("fp2000", templates, templates + "\\pages");
    const std::string log = world.Path("logs\\deploy log.txt");
    const std::string arguments = "/VERYSILENT \"/LOG=" + log + "\" /ACCEPTLICENCE /VERSION=" + version;

    ASSERT_TRUE(RunToEnd(arguments)) << app->Describe();

    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(showedWindow);
    ExpectCopied(copies.files);
    EXPECT_FALSE(PathExists(world.LogPath()));
    EXPECT_TRUE(LogIs(ReadFileBytes(log),
                      ExpectedLog(version, {{"Command line: " + arguments}},
                                  "Command line chose to install for FrontPage " + version,
                                  "Licence accepted on the command line", copies)));
}

// The whole installation from the keyboard alone, real keys typed into the
// wizard as a user types them: German, whose Windows terms carry mnemonics.
TEST_P(InstallOffice, ByTheKeyboardAlone)
{
    const std::string version = GetParam();
    const Copies copies = OfficeCopies();
    ASSERT_NO_FATAL_FAILURE(StartIn("en_US.UTF-8", "/LANG=de"));
    ASSERT_TRUE(app->Wizard().WaitForForeground()) << app->Describe();
    // Enter on "Create log file", which the first stage disables: the focus
    // moves on to the default button.
    Window logBox = app->Control(IDC_CREATE_LOG);
    TypeKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return logBox.HasFocus(); })) << "Tab";
    ASSERT_TRUE(app->Step("", [] { TypeKey(VK_RETURN); })) << app->Describe();
    Window choice = app->Dialog();
    ASSERT_EQ(DialogKind(choice), "version-choice") << app->Describe();
    // The keyboard starts at the registered version, 2002's; the down arrow chooses 2000's.
    Window radio2002 = choice.Item(IDC_RADIO_FP2002);
    ASSERT_TRUE(WaitUntil([&] { return radio2002.HasFocus(); }));
    if (version == "2000") {
        TypeKey(VK_DOWN);
        Window radio2000 = choice.Item(IDC_RADIO_FP2000);
        ASSERT_TRUE(WaitUntil([&] { return radio2000.HasFocus() && radio2000.CheckState() == BST_CHECKED; }));
        EXPECT_EQ(radio2002.CheckState(), BST_UNCHECKED);
    }
    ASSERT_TRUE(app->Step("summary", [] { TypeKey(VK_RETURN); })) << app->Describe();
    ASSERT_FALSE(choice.Exists());
    EXPECT_TRUE(WaitUntil([&] { return app->Control(IDC_NEXT).HasFocus(); })) << app->Describe();

    // Alt+W: "&Weiter >".
    ASSERT_TRUE(app->Step("", [] { TypeKey('W', true); })) << app->Describe();
    Window licence = app->Dialog();
    ASSERT_EQ(DialogKind(licence), "licence") << app->Describe();
    // Tab reaches the agreement's text, where a screen reader reads it; Alt+A: "&Annehmen".
    Window text = licence.Item(IDC_LICENCE_TEXT);
    TypeKey(VK_TAB);
    TypeKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return text.HasFocus(); })) << "Tab";
    ASSERT_TRUE(app->Step("ready", [] { TypeKey('A', true); })) << app->Describe();
    ASSERT_FALSE(licence.Exists());

    ASSERT_TRUE(app->Step("final", [] { TypeKey('W', true); })) << app->Describe();
    ASSERT_TRUE(app->IsFinalPage()) << app->Describe();
    EXPECT_TRUE(app->Control(IDOK).HasFocus());
    TypeKey(VK_RETURN);
    ASSERT_TRUE(app->WaitForExit()) << app->Describe();
    EXPECT_EQ(app->ExitCode(), 0u);
    ExpectCopied(copies.files);
    EXPECT_TRUE(LogIs(Log(), ExpectedLog(version, {{"Command line: /LANG=de"}},
                                         "User chose to install for FrontPage " + version, "User accepted licence",
                                         copies)));
}

// A German FrontPage 2002: the templates go to the German language folder,
// and every other line of the log is as ever.
TEST_F(InstallShared, GermanFrontPage2002GetsItsTemplatesInTheGermanFolder)
{
    ASSERT_TRUE(world.InstallOfficeFrontPage("10.0", "Office\\Office10", false));
    ASSERT_TRUE(world.SetOfficeLanguage("10.0", 1031));
    const std::string templates = world.Path("Office\\templates\\1031");
    const Copies copies = ExpectedCopies("fp2000", templates, templates + "\\pages");
    const std::string arguments = "/VERYSILENT /VERSION=2002";

    ASSERT_TRUE(RunToEnd(arguments)) << app->Describe();

    EXPECT_EQ(exitCode, 0u);
    ExpectCopied(copies.files);
    EXPECT_FALSE(PathExists(world.Path("Office\\templates\\1033")));
    EXPECT_TRUE(LogIs(Log(), Join({Header(),
                                   {{"Command line: " + arguments},
                                    {"Checking FrontPage installation..."},
                                    {"FrontPage 98 found in " + world.Path("FrontPage")},
                                    {"FrontPage 2002 found in " + world.Path("Office\\Office10")},
                                    {"Command line chose to install for FrontPage 2002"},
                                    {"Template language: 1031 (the installation's language)"}},
                                   TargetsAndCopy("2002", templates, templates + "\\pages", "3",
                                                  "No licence file supplied", copies)})));
}

// FrontPage 2003, the registered one, beside 2000 and 98: the choice has four
// radios; FrontPage 2003 gets the kit's fp2003 root in place of fp2000, and
// its page templates go to the Pages11 folder it has.
TEST_F(InstallShared, FrontPage2003BesideFrontPage2000ChosenFromFourRadios)
{
    ASSERT_TRUE(world.InstallOfficeFrontPage("9.0", "Office\\Office", false));
    ASSERT_TRUE(world.InstallOfficeFrontPage("11.0", "Office\\Office11", true));
    const std::string templates = world.Path("Office\\templates\\1033");
    ASSERT_TRUE(MakeFolders(templates + "\\Pages11"));
    // The same items as in fp2000, with texts of their own.
    ASSERT_TRUE(world.WriteFile("kit\\fp2003\\Themes\\Sunrise\\sunrise.inf", "title=Sunrise\r\nversion=4\r\n"));
    ASSERT_TRUE(world.WriteFile("kit\\fp2003\\Themes\\Sunrise\\theme.css", "body { color: gold; }\r\n"));
    ASSERT_TRUE(world.WriteFile("kit\\fp2003\\Pages\\form\\form.htm", "<html><body>Form 2003</body></html>\r\n"));
    const Copies copies = ExpectedCopies("fp2003", templates, templates + "\\Pages11");

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    Window choice = app->Dialog();
    ASSERT_EQ(DialogKind(choice), "version-choice") << app->Describe();
    // Newest first, one below the other; the registered version checked.
    const struct {
        int id;
        bool enabled;
        int state;
    } radios[] = {{IDC_RADIO_FP2003, true, BST_CHECKED},
                  {IDC_RADIO_FP2002, false, BST_UNCHECKED},
                  {IDC_RADIO_FP2000, true, BST_UNCHECKED},
                  {IDC_RADIO_FP98, true, BST_UNCHECKED}};
    RECT above = {};
    for (const auto& radio : radios) {
        Window button = choice.Item(radio.id);
        EXPECT_EQ(button.IsEnabled(), radio.enabled) << radio.id;
        EXPECT_EQ(button.CheckState(), radio.state) << radio.id;
        const RECT rect = button.Rect();
        if (above.bottom) {
            EXPECT_EQ(rect.left, above.left) << radio.id;
            EXPECT_GE(rect.top, above.bottom) << radio.id;
        }
        above = rect;
    }
    for (int id : {IDC_RADIO_FP2000, IDC_RADIO_FP2003}) {
        choice.Item(id).Click();
        ASSERT_TRUE(WaitUntil([&] { return choice.Item(id).CheckState() == BST_CHECKED; }));
    }
    EXPECT_EQ(choice.Item(IDC_RADIO_FP2000).CheckState(), BST_UNCHECKED);
    ASSERT_TRUE(app->AnswerDialog("summary")) << app->Describe();
    ASSERT_TRUE(app->PassLicence()) << app->Describe();
    ASSERT_TRUE(app->PassCopy()) << app->Describe();

    EXPECT_EQ(app->StatusText(), WithLogNote(kDoneText));
    ExpectCopied(copies.files);
    EXPECT_FALSE(PathExists(templates + "\\pages"));
    EXPECT_TRUE(LogIs(Log(), Join({Header(),
                                   {{"Checking FrontPage installation..."},
                                    {"FrontPage 98 found in " + world.Path("FrontPage")},
                                    {"FrontPage Current Version found in " + world.Path("Office\\Office11")},
                                    {"Current version is FrontPage 2003"},
                                    {"FrontPage 2000 found in " + world.Path("Office\\Office")},
                                    {"FrontPage 2003 found in " + world.Path("Office\\Office11")},
                                    {"User chose to install for FrontPage 2003"}},
                                   TargetsAndCopy("2003", templates, templates + "\\Pages11", "4",
                                                  "No licence file supplied", copies)})));
}

INSTANTIATE_TEST_SUITE_P(Versions, InstallOffice, testing::Values("2000", "2002"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// A user of each language sees every page and dialog in it (the
// screenshots), its buttons named as Windows names them there, and the log is
// the English one, line for line.
struct UserLanguage {
    const char* locale;
    const char* cancel;
};

class InstallInLanguage : public OfficeWorld, public testing::WithParamInterface<UserLanguage> {};

TEST_P(InstallInLanguage, ShowsItsTextsAndLogsInEnglish)
{
    const Copies copies = OfficeCopies();
    ASSERT_NO_FATAL_FAILURE(StartIn(GetParam().locale));
    EXPECT_EQ(app->Control(IDCANCEL).Text(), GetParam().cancel);
    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_ABOUT).Click(); })) << app->Describe();
    ASSERT_EQ(DialogKind(app->Dialog()), "about") << app->Describe();
    ASSERT_TRUE(app->AnswerDialog("")) << app->Describe();
    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    ASSERT_EQ(DialogKind(app->Dialog()), "version-choice") << app->Describe();
    ASSERT_TRUE(app->AnswerDialog("summary")) << app->Describe();
    ASSERT_TRUE(app->Step("", [&] { app->Control(IDC_NEXT).Click(); })) << app->Describe();
    ASSERT_EQ(DialogKind(app->Dialog()), "licence") << app->Describe();
    ASSERT_TRUE(app->AnswerDialog("ready")) << app->Describe();
    EXPECT_EQ(app->StatusText(), Text(IDS_READY));
    ASSERT_TRUE(app->PassCopy()) << app->Describe();

    EXPECT_EQ(app->StatusText(),
              Text(IDS_INSTALL_DONE) + "\n" + Format(Text(IDS_LOG_WRITTEN).c_str(), world.LogPath().c_str()));
    ExpectCopied(copies.files);
    EXPECT_TRUE(LogIs(Log(), ExpectedLog("2002", {}, "User chose to install for FrontPage 2002",
                                         "User accepted licence", copies)));
}

INSTANTIATE_TEST_SUITE_P(Locales, InstallInLanguage,
                         testing::Values(UserLanguage{"en_US.UTF-8", "Cancel"},
                                         UserLanguage{"de_DE.UTF-8", "Abbrechen"},
                                         UserLanguage{"fr_FR.UTF-8", "Annuler"},
                                         UserLanguage{"es_ES.UTF-8", "Cancelar"},
                                         UserLanguage{"it_IT.UTF-8", "Annulla"},
                                         UserLanguage{"pt_BR.UTF-8", "Cancelar"},
                                         UserLanguage{"ja_JP.UTF-8", u8"キャンセル"},
                                         UserLanguage{"zh_CN.UTF-8", u8"取消"}),
                         [](const testing::TestParamInfo<UserLanguage>& info) {
                             return std::string(info.param.locale).substr(0, 5);
                         });

} // namespace
} // namespace e2e

#include <gtest/gtest.h>

#include "KitLog.h"
#include "Text.h"
#include "app/PackRun.h"
#include "frontpage/Version.h"
#include "journal/KitId.h"
#include "kit/Introduction.h"
#include "kit/KitFolder.h"
#include "kit/KitName.h"
#include "res/resource.h"
#include "win/Strings.h"

namespace {

struct Theme {
    std::string title;
    double version;
    bool operator==(const Theme& other) const { return title == other.title && version == other.version; }
};

std::ostream& operator<<(std::ostream& out, const Theme& theme)
{
    return out << "{\"" << theme.title << "\", " << theme.version << "}";
}

std::vector<Theme> Themes(const KitContents& kit)
{
    std::vector<Theme> themes;
    for (const KitItem& item : kit.themes)
        themes.push_back({item.GetTitle(), item.GetVersion()});
    return themes;
}

// The sub-folders of `folder` in the order the file system lists them, which
// is the order the scan meets them in.
std::vector<std::string> ListedOrder(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != ".." && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

const std::string kNoItems = "The following themes and templates will be installed.\n\nThemes:\t(None)\n\n"
                             "Page templates:  (None)\nWeb templates:   (None)\nFrame templates: (None)\n";
const std::string kNoItemsLog = "Checking kit for items to install...\r\nNo theme to install\r\n"
                                "No page template to install\r\nNo web template to install\r\n"
                                "No frame template to install\r\n";

TEST(ScanKit, DescriptorLines)
{
    struct Case {
        std::string descriptor;
        std::string title;
        double version;
    };
    const Case cases[] = {
        {"Title=Blue Sky", "Blue Sky", 0},
        {"TITLE=Blue", "Blue", 0},
        {"title= Blue", " Blue", 0},
        {"title = Blue", "", 0},
        {"title=Blue \t", "Blue \t", 0},
        {"subtitle=Blue", "", 0},
        {"  version=2", "", 2},
        {"\t title=Tabbed", "Tabbed", 0},
        {"version=1.10", "", 1.1},
        {"Version=2 beta", "", 2},
        {"version=abc", "", 0},
        {"version=", "", 0},
        {"version = 3", "", 0},
        {"oldversion=3", "", 0},
        {"title=version=3", "version=3", 0},
        {"title=A\r\nversion=1\r\ntitle=B\r\nversion=2.5\r\n", "B", 2.5},
        {"title=A\ntitle=", "", 0},
        {"[info]\n\nname=Sky\ntitle=Sky\nversion=3\n", "Sky", 3},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        kit.Write("fp2000\\Themes\\sky\\sky.inf", c.descriptor);
        CurrentFolder current(kit.Path());
        const KitContents scanned = ScanKit({"fp2000"});
        EXPECT_TRUE(scanned.readable) << c.descriptor;
        EXPECT_EQ(std::vector<Theme>({{c.title, c.version}}), Themes(scanned)) << c.descriptor;
    }
}

TEST(ScanKit, NamesInLowerCaseAndOnlyFoldersListed)
{
    TempFolder kit;
    kit.Write("fp2000\\Themes\\MyTheme\\mytheme.inf", "title=Mine\nversion=4");
    kit.Write("fp2000\\Themes\\loose.inf", "title=Loose");
    kit.Write("fp2000\\Pages\\MyPage\\page.htm", "x");
    kit.Write("fp2000\\Pages\\loose.htm", "x");
    kit.MakeDir("fp2000\\Webs\\Web One");
    kit.Write("fp2000\\Webs\\loose.txt", "x");
    kit.MakeDir("fp2000\\FRAMES\\TopFrame");
    kit.Write("fp2000\\Frames\\loose", "x");
    CurrentFolder current(kit.Path());
    const KitContents scanned = ScanKit({"fp2000"});
    EXPECT_TRUE(scanned.readable);
    EXPECT_EQ(std::vector<Theme>({{"Mine", 4}}), Themes(scanned));
    EXPECT_EQ(std::vector<std::string>{"mypage"}, scanned.pageTemplates);
    EXPECT_EQ(std::vector<std::string>{"web one"}, scanned.webTemplates);
    EXPECT_EQ(std::vector<std::string>{"topframe"}, scanned.frameTemplates);
}

TEST(ScanKit, ThemeWithoutDescriptorStartsEmpty)
{
    // The theme under test is the one met after a theme with a full
    // descriptor, so anything carried over would show.
    struct Case {
        const char* what;
        std::string file;  // below the theme's folder; NAME stands for its name
        const char* content;
        Theme expected;
    };
    const Case cases[] = {
        {"no descriptor", "theme.css", "", {"", 0}},
        {"descriptor named for another folder", "other.inf", "title=Other\nversion=7", {"", 0}},
        {"descriptor is a folder", "NAME.inf\\x", "", {"", 0}},
        {"title only", "NAME.inf", "title=Just a title", {"Just a title", 0}},
        {"version only", "NAME.inf", "version=5", {"", 5}},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        kit.MakeDir("fp98\\Themes\\a");
        kit.MakeDir("fp98\\Themes\\b");
        std::vector<std::string> order = ListedOrder(kit / "fp98\\Themes");
        ASSERT_EQ(2u, order.size());
        kit.Write("fp98\\Themes\\" + order[0] + "\\" + order[0] + ".inf", "title=Full\nversion=9");
        std::string file = c.file;
        if (file.find("NAME") == 0)
            file.replace(0, 4, order[1]);
        kit.Write("fp98\\Themes\\" + order[1] + "\\" + file, c.content);
        CurrentFolder current(kit.Path());
        const KitContents scanned = ScanKit({"fp98"});
        EXPECT_TRUE(scanned.readable) << c.what;
        EXPECT_EQ(std::vector<Theme>({{"Full", 9}, c.expected}), Themes(scanned)) << c.what;
    }
}

TEST(ScanKit, ReadErrorStopsListingThemesButNotTemplates)
{
    TempFolder kit;
    for (const char* name : {"one", "two", "three"})
        kit.Write(std::string("fp2000\\Themes\\") + name + "\\" + name + ".inf", std::string("title=") + name);
    kit.MakeDir("fp2000\\Pages\\home");
    kit.MakeDir("fp2000\\Webs\\site");
    kit.MakeDir("fp2000\\Frames\\banner");
    std::vector<std::string> order = ListedOrder(kit / "fp2000\\Themes");
    ASSERT_EQ(3u, order.size());
    // The second theme met cannot be read: the first stays listed, the third does not.
    std::string bad = kit / ("fp2000\\Themes\\" + order[1] + "\\" + order[1] + ".inf");
    DeleteFileA(bad.c_str());
    ASSERT_TRUE(MakeUnreadable(bad));
    CurrentFolder current(kit.Path());
    const KitContents scanned = ScanKit({"fp2000"});
    EXPECT_FALSE(scanned.readable);
    EXPECT_EQ(std::vector<Theme>({{order[0], 0}}), Themes(scanned));
    EXPECT_EQ(std::vector<std::string>{"home"}, scanned.pageTemplates);
    EXPECT_EQ(std::vector<std::string>{"site"}, scanned.webTemplates);
    EXPECT_EQ(std::vector<std::string>{"banner"}, scanned.frameTemplates);
}

TEST(CheckKit, KitWithoutItems)
{
    struct Case {
        const char* what;
        std::vector<std::string> folders;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"no roots", {}, {"intro.txt", "readme.txt"}},
        {"empty roots", {"fp2000", "common", "fp98\\Themes\\t"}, {}},
        {"empty item folders", {"fp2000\\Themes", "fp2000\\Pages", "common\\Webs", "common\\Frames"}, {}},
        {"only files", {}, {"fp2000\\Themes\\a.inf", "common\\Pages\\a.htm", "common\\Webs\\w", "fp2000\\Frames\\f"}},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        for (const std::string& folder : c.folders)
            kit.MakeDir(folder);
        for (const std::string& file : c.files)
            kit.Write(file, "title=x");
        CurrentFolder current(kit.Path());
        KitLog test;
        EXPECT_TRUE(test.Check("fp2000")) << c.what;
        EXPECT_EQ(kNoItems, test.status) << c.what;
        EXPECT_EQ(kNoItemsLog, test.Log()) << c.what;
    }
}

TEST(CheckKit, SummaryOfAMixedKit)
{
    TempFolder kit;
    kit.Write("fp2000\\Themes\\Sky\\sky.inf", "Title=Blue Sky\nversion=1.0\n");
    kit.Write("common\\Themes\\plain\\plain.inf", "version=2.50\n");
    kit.MakeDir("fp2000\\Pages\\Home");
    kit.MakeDir("common\\Pages\\contact");
    kit.MakeDir("common\\Frames\\Banner");
    // Items of the other version's root are not this run's.
    kit.Write("fp98\\Themes\\old\\old.inf", "title=Old\nversion=1");
    kit.MakeDir("fp98\\Webs\\oldweb");
    CurrentFolder current(kit.Path());
    KitLog test;
    EXPECT_TRUE(test.Check("fp2000"));
    EXPECT_EQ("The following themes and templates will be installed.\n"
              "\n"
              "Themes:\tBlue Sky\tVersion 1\n"
              "\t\t\tVersion 2.5\n"
              "\n"
              "Page templates:  home, contact\n"
              "Web templates:   (None)\n"
              "Frame templates: banner\n",
              test.status);
    EXPECT_EQ("Checking kit for items to install...\r\n"
              "Will install theme Blue Sky\tVersion 1\r\n"
              "Will install theme \tVersion 2.5\r\n"
              "Will install page template home\r\n"
              "Will install page template contact\r\n"
              "No web template to install\r\n"
              "Will install frame template banner\r\n",
              test.Log());
}

TEST(CheckKit, SameNameUnderBothRootsListedTwiceVersionRootFirst)
{
    TempFolder kit;
    kit.Write("fp98\\Themes\\blue\\blue.inf", "title=Blue 98");
    kit.Write("common\\Themes\\blue\\blue.inf", "title=Blue common");
    kit.MakeDir("fp98\\Pages\\shared");
    kit.MakeDir("common\\Pages\\Shared");
    kit.MakeDir("fp98\\Webs\\zeta");
    kit.MakeDir("common\\Webs\\alpha");
    CurrentFolder current(kit.Path());
    KitLog test;
    EXPECT_TRUE(test.Check("fp98"));
    EXPECT_EQ(std::vector<Theme>({{"Blue 98", 0}, {"Blue common", 0}}), Themes(*test.kit));
    EXPECT_EQ(std::vector<std::string>({"shared", "shared"}), test.kit->pageTemplates);
    EXPECT_EQ(std::vector<std::string>({"zeta", "alpha"}), test.kit->webTemplates);
    EXPECT_NE(std::string::npos, test.status.find("Page templates:  shared, shared\nWeb templates:   zeta, alpha\n"))
        << test.status;
}

TEST(CheckKit, VersionsPrintedAsPercentG)
{
    struct Case {
        const char* descriptor;
        const char* entry;
    };
    const Case cases[] = {
        {"title=T", "T\tVersion 0"},
        {"title=T\nversion=1.234567", "T\tVersion 1.23457"},
        {"title=T\nversion=1000000", "T\tVersion 1e+06"},
        {"title=100%s %d\nversion=0.00001", "100%s %d\tVersion 1e-05"},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        kit.Write("common\\Themes\\t\\t.inf", c.descriptor);
        CurrentFolder current(kit.Path());
        KitLog test;
        EXPECT_TRUE(test.Check("fp2000"));
        EXPECT_EQ(0u, test.status.find(LoadResString(IDS_SUMMARY_THEMES) + c.entry + "\n\nPage templates:"))
            << test.status;
        EXPECT_NE(std::string::npos, test.Log().find(std::string("\r\nWill install theme ") + c.entry + "\r\n"))
            << test.Log();
    }
}

TEST(CheckKit, DescriptorReadErrorIsAKitError)
{
    struct Case {
        const char* badRoot;
        std::vector<std::string> pages;
    };
    const Case cases[] = {
        // The version root fails: "common" is not scanned at all.
        {"fp2000", {"mine"}},
        {"common", {"mine", "theirs"}},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        kit.MakeDir("fp2000\\Pages\\mine");
        kit.MakeDir("common\\Pages\\theirs");
        kit.MakeDir(std::string(c.badRoot) + "\\Themes\\bad");
        ASSERT_TRUE(MakeUnreadable(kit / (std::string(c.badRoot) + "\\Themes\\bad\\bad.inf")));
        CurrentFolder current(kit.Path());
        KitLog test;
        std::string shown, caption, logWhileShown;
        ModalAnswerer answerer([&](HWND box) {
            shown = MessageBoxText(box);
            caption = TextOf(box);
            logWhileShown = test.Log();
            Click(box, IDOK);
        });
        EXPECT_FALSE(test.Check("fp2000")) << c.badRoot;
        EXPECT_EQ(1u, answerer.Seen().size()) << c.badRoot;
        EXPECT_EQ("There is an error in the installation kit.  The installation cannot continue.", shown);
        EXPECT_EQ("FrontPage Fernwick", caption);
        // The log line follows the closing of the box.
        EXPECT_EQ("Checking kit for items to install...\r\n", logWhileShown);
        EXPECT_EQ("Checking kit for items to install...\r\nError in kit\r\n", test.Log()) << c.badRoot;
        EXPECT_EQ(c.pages, ScanKit({"fp2000", "common"}).pageTemplates) << c.badRoot;
    }
}

TEST(ReadIntroduction, HeadOfIntroFile)
{
    const std::string intro = LoadResString(IDS_INTRO);
    ASSERT_EQ(0u, intro.find("This program will install your new theme(s).\n"));
    struct Case {
        const char* what;
        const char* content;  // null: no file
        std::string expected;
    };
    const Case cases[] = {
        {"no file", nullptr, "\n" + intro},
        {"empty file", "", "\n" + intro},
        {"one line", "Welcome", "Welcome\n\n" + intro},
        {"five lines", "1\n2\n3\n4\n5\n", "1\n2\n3\n4\n5\n\n" + intro},
        {"seven lines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", "1\n2\n3\n4\n5\n\n" + intro},
        {"blank lines kept", "\n  Sky  \n", "\n  Sky  \n\n" + intro},
    };
    for (const Case& c : cases) {
        TempFolder kit;
        if (c.content)
            kit.Write("intro.txt", c.content);
        CurrentFolder current(kit.Path());
        EXPECT_EQ(c.expected, ReadIntroduction()) << c.what;
    }
}

TEST(ReadIntroduction, ReadErrorShowsItsOwnLine)
{
    TempFolder kit;
    ASSERT_TRUE(MakeUnreadable(kit / "intro.txt"));
    CurrentFolder current(kit.Path());
    EXPECT_EQ("Error reading intro file\n" + LoadResString(IDS_INTRO), ReadIntroduction());
}

// The kit's name, and the setup named after it beside the kit folder.
TEST(KitName, FirstLineWithTextElseTheFolder)
{
    const struct {
        const char* what;
        std::string intro; // none when empty
        bool unreadable;
        const char* name;
    } cases[] = {
        {"first line", "Harbour Lights\r\nThemes\r\n", false, "Harbour Lights"},
        {"lines of blanks passed over", "\r\n \t \r\n\r\n  Harbour Lights \r\nThemes", false, "  Harbour Lights "},
        {"UTF-16 with its mark", Utf16File(WideOf(u8"Κύμα 桜\r\n")), false, u8"Κύμα 桜"},
        {"only blank lines", "\r\n   \r\n", false, "my kit"},
        {"no introduction", "", false, "my kit"},
        {"an introduction that cannot be read", "", true, "my kit"},
    };
    for (const auto& c : cases) {
        TempFolder root;
        const std::string kit = root.MakeDir("my kit");
        if (!c.intro.empty())
            root.Write("my kit\\intro.txt", c.intro);
        if (c.unreadable) {
            ASSERT_TRUE(MakeUnreadable(kit + "\\intro.txt")) << c.what;
        }
        EXPECT_EQ(c.name, KitName(kit)) << c.what;
        EXPECT_EQ(root.Path() + "\\" + KitId(c.name) + "-setup.exe", DefaultSetupPath(kit)) << c.what;
    }
    // A kit on a drive's root: its setup goes there too.
    EXPECT_EQ("C:\\C_-setup.exe", DefaultSetupPath("C:\\"));
}

// What makes a folder a kit's, for a /KIT folder: its introduction or a root
// of items, in any letter case; nothing else of a kit will do.
TEST(KitFolder, HoldsAnIntroductionOrARootOfItems)
{
    const struct {
        const char* what;
        std::vector<std::string> files;
        std::vector<std::string> folders;
        bool kit;
    } cases[] = {
        {"an empty folder", {}, {}, false},
        {"the introduction", {"intro.txt"}, {}, true},
        {"the introduction in capitals", {"INTRO.TXT"}, {}, true},
        {"the common root", {}, {"common"}, true},
        {"the root of FrontPage 98", {}, {"FP98"}, true},
        {"the root of FrontPage 2000", {}, {"fp2000"}, true},
        {"the root of FrontPage 2003", {}, {"fp2003"}, true},
        {"the folder above a kit", {}, {"Harbour kit\\common"}, false},
        {"a licence and a readme", {"license.txt", "readme.txt"}, {}, false},
        {"a folder named as the introduction", {}, {"intro.txt"}, false},
        {"a file named as a root", {"fp98"}, {}, false},
        {"other folders", {}, {"Themes", "fp2002"}, false},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        for (const std::string& file : c.files)
            folder.Write(file, "x");
        for (const std::string& made : c.folders)
            folder.MakeDir(made);
        EXPECT_EQ(c.kit, HoldsKit(folder.Path())) << c.what;
    }
}

// FrontPage 2003 takes the kit's fp2003 root in place of fp2000, when the kit has one.
TEST(VersionRoot, Fp2003ServesFrontPage2003Alone)
{
    const struct {
        FrontPageVersion version;
        // What the kit has named fp2003: nothing, a folder or a file.
        const char* fp2003;
        const char* root;
    } cases[] = {
        {FP98, "folder", "fp98"},       {FP2000, "folder", "fp2000"}, {FP2002, "folder", "fp2000"},
        {FP2003, "folder", "fp2003"},   {FP2003, "", "fp2000"},       {FP2003, "file", "fp2000"},
    };
    for (const auto& c : cases) {
        TempFolder kit;
        CurrentFolder current(kit.Path());
        if (std::string(c.fp2003) == "folder")
            kit.MakeDir("FP2003");
        else if (*c.fp2003)
            kit.Write("fp2003", "");
        EXPECT_EQ(c.root, VersionRoot(c.version)) << c.version << " " << c.fp2003;
    }
}

} // namespace

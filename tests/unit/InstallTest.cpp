#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "InstallWorld.h"
#include "Support.h"
#include "app/InstallDlg.h"
#include "frontpage/Registry.h"
#include "kit/KitRoot.h"
#include "res/resource.h"
#include "uninstall/KitRemoval.h"
#include "win/CancelCommand.h"
#include "win/FileSystem.h"
#include "win/PendingMessages.h"
#include "win/Strings.h"

namespace {

std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The copy stage's last line after a successful installation.
const std::vector<std::string> kRegistered = {"Registered for removal as Fernwick Kit"};

std::vector<std::string> Headings(int from, int to)
{
    return std::vector<std::string>(kHeadings + from - 1, kHeadings + to);
}

// The log of a failed run: `lines` up to the failing copy, then the report of
// `destination` (its reason ends with the system's own line end, a blank
// line), then the undo of what the run did before, last change first.
void ExpectEndsWithCopyFailure(const InstallWorld& world, const std::vector<std::string>& lines,
                               const std::string& destination, const std::vector<std::string>& undone)
{
    std::vector<std::string> log = world.Log();
    ASSERT_GE(log.size(), lines.size() + 2);
    EXPECT_EQ(lines, std::vector<std::string>(log.begin(), log.begin() + lines.size()));
    EXPECT_EQ("File copy failed:: " + destination, log[lines.size()]);
    EXPECT_EQ(0u, log[lines.size() + 1].find("Reason: (")) << log[lines.size() + 1];
    std::vector<std::string> undo = {"", "Undoing the installation..."};
    undo.insert(undo.end(), undone.begin(), undone.end());
    undo.push_back("Installation undone");
    EXPECT_EQ(undo, std::vector<std::string>(log.begin() + lines.size() + 2, log.end()));
    ASSERT_EQ(1u, world.host.boxes.size());
    EXPECT_EQ(0u, world.host.boxes[0].find("File copy failed:: " + destination + "\nReason: (")) << world.host.boxes[0];
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The kit's entry in Programs and Features, in the scratch registry.
bool Registered()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Fernwick Kit", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// An installation that copies no file succeeds, with nothing to remove later:
// nothing registered, nothing made left behind (empty item folders), and no
// data folder, unless an earlier installation of the kit keeps it.
TEST(InstallFiles, KitWithoutFilesRegistersNothingAndLeavesNoDataFolder)
{
    {
        InstallWorld world;
        world.Kit("intro.txt");
        EXPECT_EQ(Outcome::Installed, world.Install());
        EXPECT_TRUE(world.host.started);
        EXPECT_EQ(-1, world.host.range);
        EXPECT_EQ(Lines({{"Counting files...", "Total files = 0"}, Headings(1, 8)}), world.Log());
        EXPECT_TRUE(world.host.boxes.empty());
        EXPECT_FALSE(Registered());
        EXPECT_FALSE(PathExists(world.kit.dataFolder));
    }
    {
        InstallWorld world;
        world.folder.MakeDir("kit\\fp98\\Themes\\bare");
        world.folder.MakeDir("kit\\common\\Pages\\blank\\images");
        const auto before = Tree(world.folder / "fp");
        EXPECT_EQ(Outcome::Installed, world.Install());
        EXPECT_EQ(before, Tree(world.folder / "fp"));
        EXPECT_FALSE(Registered());
        EXPECT_FALSE(PathExists(world.kit.dataFolder));
    }
    {
        // Installed before with a file, then again without: the first stays
        // registered, with its journal.
        InstallWorld world;
        world.Kit("fp98\\Themes\\blue\\blue.css");
        EXPECT_EQ(Outcome::Installed, world.Install());
        const std::string journal = ReadFileBytes(world.kit.dataFolder + "\\journal.txt");
        ASSERT_TRUE(DeleteFileA((world.folder / "kit\\fp98\\Themes\\blue\\blue.css").c_str()));
        EXPECT_EQ(Outcome::Installed, world.Install());
        EXPECT_TRUE(Registered());
        EXPECT_EQ(journal, ReadFileBytes(world.kit.dataFolder + "\\journal.txt"));
    }
}

TEST(InstallFiles, EachSourceTreeGoesToItsTargetInPassOrder)
{
    for (const char* version : {"fp98", "fp2000"}) {
        InstallWorld world(version);
        const std::string other = std::string(version) == "fp98" ? "fp2000" : "fp98";
        const std::pair<const char*, const std::string*> kinds[] = {
            {"Themes", &world.target.themesFolder},
            {"Pages", &world.target.pagesFolder},
            {"Webs", &world.target.websFolder},
            {"Frames", &world.target.framesFolder},
        };
        std::vector<std::string> expected = {"Counting files...", "Total files = 8"};
        std::vector<std::pair<std::string, std::string>> copies;  // target file, kit file
        int pass = 0;
        for (const auto& kind : kinds) {
            for (const std::string& root : {std::string(version), std::string(g_commonFolder)}) {
                // The item is named for its tree, so each pass makes its own folder.
                std::string item = root + "-" + ToLower(kind.first);
                std::string source = root + "\\" + kind.first + "\\" + item + "\\index.htm";
                world.Kit(source);
                if (root != g_commonFolder)
                    world.Kit(other + "\\" + kind.first + "\\" + other + "-" + ToLower(kind.first) + "\\index.htm");
                std::string target = *kind.second + "\\" + item;
                expected.push_back(kHeadings[pass++]);
                expected.push_back("Created folder " + target);
                expected.push_back("Copied file: " + target + "\\index.htm");
                copies.push_back({target + "\\index.htm", source});
            }
        }
        expected.insert(expected.end(), kRegistered.begin(), kRegistered.end());
        EXPECT_EQ(Outcome::Installed, world.Install()) << version;
        EXPECT_EQ(expected, world.Log()) << version;
        for (const auto& copy : copies)
            EXPECT_EQ(copy.second, ReadFileBytes(copy.first)) << version;
        // Nothing of the other version's trees arrived.
        for (const auto& kind : kinds)
            EXPECT_FALSE(IsFolder(*kind.second + "\\" + other + "-" + ToLower(kind.first))) << version;
        EXPECT_EQ(8, world.host.range);
        EXPECT_EQ(8, world.host.steps);
        EXPECT_TRUE(world.host.boxes.empty());
    }
}

TEST(InstallFiles, CommonCopyReplacesTheVersionSpecificOne)
{
    InstallWorld world;
    world.Kit("fp98\\Themes\\blue\\theme.css");
    world.Kit("common\\Themes\\blue\\theme.css");
    EXPECT_EQ(Outcome::Installed, world.Install());
    const std::string blue = world.target.themesFolder + "\\blue";
    EXPECT_EQ(Lines({{"Counting files...", "Total files = 2", kHeadings[0], "Created folder " + blue,
                      "Copied file: " + blue + "\\theme.css", kHeadings[1], "Copied file: " + blue + "\\theme.css"},
                     Headings(3, 8), kRegistered}),
              world.Log());
    EXPECT_EQ("common\\Themes\\blue\\theme.css", ReadFileBytes(blue + "\\theme.css"));
}

TEST(InstallFiles, MissingFoldersAreCreatedOutermostFirstExistingOnesReused)
{
    InstallWorld world;
    const std::string blue = world.folder.MakeDir("fp\\Themes\\blue");
    world.Kit("fp98\\Themes\\blue\\images\\deep\\dot.gif");
    // A target folder that is missing altogether comes into being with the item's.
    world.target.pagesFolder = world.folder / "fp\\New\\Pages";
    world.Kit("common\\Pages\\form\\form.htm");
    // A loose file goes straight into the existing target folder.
    world.Kit("fp98\\Webs\\loose.htm");
    EXPECT_EQ(Outcome::Installed, world.Install());
    const std::string pages = world.target.pagesFolder;
    EXPECT_EQ(Lines({{"Counting files...", "Total files = 3", kHeadings[0], "Created folder " + blue + "\\images",
                      "Created folder " + blue + "\\images\\deep", "Copied file: " + blue + "\\images\\deep\\dot.gif",
                      kHeadings[1], kHeadings[2], kHeadings[3], "Created folder " + world.folder / "fp\\New",
                      "Created folder " + pages, "Created folder " + pages + "\\form",
                      "Copied file: " + pages + "\\form\\form.htm", kHeadings[4],
                      "Copied file: " + world.target.websFolder + "\\loose.htm"},
                     Headings(6, 8), kRegistered}),
              world.Log());
    EXPECT_EQ("fp98\\Webs\\loose.htm", ReadFileBytes(world.target.websFolder + "\\loose.htm"));
}

// FrontPage reads templates from several language folders: each gets every
// template, the journal records every copy, and an undo or a removal takes
// each back.
TEST(InstallFiles, TemplatesGoIntoEveryLanguageFolderAndComeBack)
{
    for (bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "the last copy fails" : "installed, then removed");
        InstallWorld world;
        world.target.moreTemplateFolders = {{world.folder.MakeDir("fp\\1031\\Pages"), world.folder / "fp\\1031\\Webs",
                                               world.folder / "fp\\1031\\Frames"}};
        const TemplateFolders& german = world.target.moreTemplateFolders[0];
        world.Kit("fp98\\Themes\\blue\\theme.css");
        world.Kit("fp98\\Pages\\form\\form.htm");
        world.Kit("common\\Webs\\club\\default.htm");
        world.Kit("common\\Frames\\banner\\banner.htm");
        // The German page template is there already: it is replaced, and kept.
        world.folder.Write("fp\\1031\\Pages\\form\\form.htm", "German form");
        if (fails)
            world.folder.MakeDir("fp\\1031\\Frames\\banner\\banner.htm");
        const auto before = Tree(world.folder / "fp");
        EXPECT_EQ(fails ? Outcome::Failed : Outcome::Installed, world.Install());

        std::vector<std::string> copied;
        for (const std::string& line : world.Log()) {
            if (line.rfind("Copied file: ", 0) == 0)
                copied.push_back(line.substr(13));
        }
        const std::vector<std::string> both = {
            world.target.themesFolder + "\\blue\\theme.css", world.target.pagesFolder + "\\form\\form.htm",
            german.pages + "\\form\\form.htm",                 world.target.websFolder + "\\club\\default.htm",
            german.webs + "\\club\\default.htm",               world.target.framesFolder + "\\banner\\banner.htm",
            german.frames + "\\banner\\banner.htm"};
        EXPECT_EQ(std::vector<std::string>(both.begin(), both.end() - (fails ? 1 : 0)), copied);
        EXPECT_EQ("Total files = 7", world.Log()[1]);
        if (!fails) {
            EXPECT_EQ("fp98\\Pages\\form\\form.htm", ReadFileBytes(german.pages + "\\form\\form.htm"));
            EXPECT_EQ("common\\Frames\\banner\\banner.htm", ReadFileBytes(german.frames + "\\banner\\banner.htm"));
            KeptFiles kept;
            EXPECT_TRUE(TakeBackInstallations(world.kit.dataFolder, [](const std::string&) {},
                                              [](int, int) {}, RetryWait(), kept));
            EXPECT_TRUE(kept.changed.empty());
            EXPECT_TRUE(kept.unrestored.empty());
        }
        EXPECT_EQ(before, Tree(world.folder / "fp"));
    }
}

TEST(InstallFiles, HiddenSystemAndReadOnlyFilesAreCopiedLikeAnyOther)
{
    InstallWorld world;
    const std::pair<const char*, DWORD> files[] = {
        {"hidden.css", FILE_ATTRIBUTE_HIDDEN},
        {"system.css", FILE_ATTRIBUTE_SYSTEM},
        {"readonly.css", FILE_ATTRIBUTE_READONLY},
        {"all.css", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& file : files) {
        std::string relative = std::string("fp98\\Themes\\blue\\") + file.first;
        world.Kit(relative);
        ASSERT_TRUE(SetFileAttributesA((world.folder / ("kit\\" + relative)).c_str(), file.second));
    }
    EXPECT_EQ(Outcome::Installed, world.Install());
    std::vector<std::string> log = world.Log();
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ("Total files = 4", log[1]);
    // The file system decides the order within a folder.
    std::vector<std::string> copied(log.begin() + 4, log.begin() + 8);
    std::sort(copied.begin(), copied.end());
    const std::string blue = world.target.themesFolder + "\\blue";
    EXPECT_EQ((std::vector<std::string>{"Copied file: " + blue + "\\all.css", "Copied file: " + blue + "\\hidden.css",
                                        "Copied file: " + blue + "\\readonly.css",
                                        "Copied file: " + blue + "\\system.css"}),
              copied);
    for (const auto& file : files)
        EXPECT_EQ(std::string("fp98\\Themes\\blue\\") + file.first, ReadFileBytes(blue + "\\" + file.first));
    EXPECT_EQ(4, world.host.steps);
}

TEST(InstallFiles, CopyFailureInPassThreeEndsTheInstallationAndUndoesIt)
{
    InstallWorld world;
    world.Kit("fp98\\Themes\\blue\\theme.css");
    world.Kit("common\\Themes\\green\\theme.css");
    world.Kit("fp98\\Pages\\form\\form.htm");
    for (const char* later : {"common\\Pages\\later\\a.htm", "fp98\\Webs\\later\\a.htm", "common\\Webs\\later\\a.htm",
                              "fp98\\Frames\\later\\a.htm", "common\\Frames\\later\\a.htm"})
        world.Kit(later);
    // A folder stands where the page template's file must go.
    const std::string form = world.folder.MakeDir("fp\\Pages\\form\\form.htm");
    const auto before = Tree(world.folder / "fp");
    EXPECT_EQ(Outcome::Failed, world.Install());
    const std::string themes = world.target.themesFolder;
    ExpectEndsWithCopyFailure(world,
                              {"Counting files...", "Total files = 8", kHeadings[0], "Created folder " + themes + "\\blue",
                               "Copied file: " + themes + "\\blue\\theme.css", kHeadings[1],
                               "Created folder " + themes + "\\green", "Copied file: " + themes + "\\green\\theme.css",
                               kHeadings[2]},
                              form,
                              {"Removed file: " + themes + "\\green\\theme.css", "Removed folder: " + themes + "\\green",
                               "Removed file: " + themes + "\\blue\\theme.css", "Removed folder: " + themes + "\\blue"});
    // What was copied is gone again; the later passes never ran.
    EXPECT_EQ(before, Tree(world.folder / "fp"));
    // The bar stepped past the failed file too.
    EXPECT_EQ(3, world.host.steps);
}

TEST(InstallFiles, FailureDeepInsideAnItemAfterItsOtherFilesWereCopied)
{
    InstallWorld world;
    world.Kit("fp98\\Themes\\blue\\one\\deep\\dot.gif");
    world.Kit("fp98\\Themes\\blue\\two\\deep\\dot.gif");
    world.Kit("common\\Themes\\green\\theme.css");
    // The file system decides which sub-folder comes first: the one walked
    // second meets a file standing where its target folder should be.
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((world.folder / "kit\\fp98\\Themes\\blue\\*.*").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    std::vector<std::string> order;
    do {
        if (entry.cFileName[0] != '.')
            order.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    ASSERT_EQ(2u, order.size());
    const std::string blue = world.target.themesFolder + "\\blue";
    world.folder.Write("fp\\Themes\\blue\\" + order[1] + "\\deep", "in the way");

    EXPECT_EQ(Outcome::Failed, world.Install());
    const std::string done = blue + "\\" + order[0];
    ExpectEndsWithCopyFailure(world,
                              {"Counting files...", "Total files = 3", kHeadings[0], "Created folder " + done,
                               "Created folder " + done + "\\deep", "Copied file: " + done + "\\deep\\dot.gif"},
                              blue + "\\" + order[1] + "\\deep\\dot.gif",
                              {"Removed file: " + done + "\\deep\\dot.gif", "Removed folder: " + done + "\\deep",
                               "Removed folder: " + done});
    EXPECT_FALSE(IsFolder(done));
    EXPECT_FALSE(IsFolder(world.target.themesFolder + "\\green"));
}

TEST(InstallFiles, LooseFileWithoutItsTargetFolderFails)
{
    InstallWorld world;
    world.Kit("common\\Frames\\loose.htm");
    world.target.framesFolder = world.folder / "fp\\NoFrames";
    EXPECT_EQ(Outcome::Failed, world.Install());
    ExpectEndsWithCopyFailure(world, Lines({{"Counting files...", "Total files = 1"}, Headings(1, 8)}),
                              world.target.framesFolder + "\\loose.htm", {});
    EXPECT_FALSE(IsFolder(world.target.framesFolder));
}

// The real wizard dialog, run modally; `body` runs inside its message loop once
// the dialog is up, and the dialog ends after it.
struct WizardRun {
    CInstallDlg* wizard;
    const std::function<void()>* body;
};
WizardRun* g_run = nullptr;

void CALLBACK RunBody(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    (*g_run->body)();
    EndDialog(g_run->wizard->Hwnd(), IDCANCEL);
}

void RunInWizard(CInstallDlg& wizard, const std::function<void()>& body)
{
    WizardRun run{&wizard, &body};
    g_run = &run;
    Dialog::SetMain(&wizard);
    SetTimer(nullptr, 0, 0, RunBody);
    wizard.DoModal();
    Dialog::SetMain(nullptr);
    g_run = nullptr;
}

// What the wizard showed when its copy stage returned.
struct Shown {
    Outcome outcome = Outcome::Failed;
    HCURSOR cursorBefore = nullptr;
    HCURSOR cursorAfter = nullptr;
};

// The copy stage of `world` in the real wizard, logging into the world's folder.
struct WizardCopy {
    explicit WizardCopy(InstallWorld& world) : world(world) {}

    // Runs the copy stage in the shown wizard: `before` runs first, `after`
    // right after it returns. Message boxes are answered by `answer`, their
    // texts kept.
    Shown Install(const std::function<void()>& before, const std::function<void()>& after)
    {
        Shown shown;
        ModalAnswerer answerer([&](HWND box) {
            if (box == wizard.Hwnd())
                return;
            boxes.push_back(MessageBoxText(box));
            // A box without the button asked for (one the test did not
            // expect) is still answered, so that the test fails, not hangs.
            for (int button : {answer(boxes.back()), IDOK, IDCANCEL, IDNO}) {
                if (GetDlgItem(box, button)) {
                    Click(box, button);
                    break;
                }
            }
        });
        RunInWizard(wizard, [&] {
            EXPECT_TRUE(wizard.Session().OpenLog());
            FileInstaller installer(wizard, wizard.Session().Logger(), world.kit,
                                    RemovalRegistration(wizard.Session().Logger()));
            before();
            shown.cursorBefore = GetCursor();
            shown.outcome = wizard.RunCopy(installer, world.target);
            shown.cursorAfter = GetCursor();
            after();
            wizard.Session().CloseLog();
        });
        return shown;
    }

    // The wizard's log's lines after its six header lines.
    std::vector<std::string> Log() const { return LogBody(world.folder / "fernwick.log"); }

    InstallWorld& world;
    CInstallDlg wizard;
    // The button that answers a message box with this text.
    std::function<int(const std::string& text)> answer = [](const std::string&) { return IDOK; };
    std::vector<std::string> boxes;
};

// Another program asking a window of the wizard's thread a question, from its
// own thread, while the wizard copies.
class Questioner {
public:
    explicit Questioner(HWND window) : m_window(window)
    {
        m_thread = CreateThread(nullptr, 0, Ask, this, 0, nullptr);
    }
    ~Questioner() { CloseHandle(m_thread); }

    // Waits until the question is pending on this thread, without answering it.
    bool WaitUntilAsked() const
    {
        DWORD start = GetTickCount();
        while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE)) {
            if (GetTickCount() - start > 10000)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
        }
        return true;
    }

    // Answers what is still pending until the questioner has its answer.
    void Finish() const
    {
        MSG message;
        do
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        while (MsgWaitForMultipleObjects(1, &m_thread, FALSE, 10000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1);
    }

private:
    static DWORD WINAPI Ask(void* self)
    {
        DWORD_PTR result;
        SendMessageTimeoutA(((Questioner*)self)->m_window, WM_APP, 0, 0, SMTO_NORMAL, 10000, &result);
        return 0;
    }

    HWND m_window;
    HANDLE m_thread;
};

// What the wizard's thread showed when it answered the question.
struct Answer {
    bool given = false;
    std::string status;
    HCURSOR cursor = nullptr;
};
Answer* g_answer = nullptr;

// The wizard's own window procedure, with the paint messages it gets counted.
WNDPROC g_wizardProc = nullptr;
int g_paints = 0;

LRESULT CALLBACK CountingPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        ++g_paints;
    return CallWindowProcA(g_wizardProc, window, message, wParam, lParam);
}

LRESULT CALLBACK Answering(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_APP)
        return DefWindowProcA(window, message, wParam, lParam);
    g_answer->given = true;
    g_answer->status = TextOf(Dialog::MainWindow(), IDC_STATUS_TEXT);
    g_answer->cursor = GetCursor();
    return 0;
}

TEST(InstallFiles, WizardStaysDrawnAndAnswersOtherProgramsWhileCopying)
{
    InstallWorld world;
    WizardCopy copy(world);
    world.Kit("fp98\\Themes\\blue\\theme.css");
    world.Kit("common\\Pages\\form\\form.htm");
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Answering;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "FernwickTestAnswering";
    RegisterClassA(&windowClass);
    HWND answering = CreateWindowA("FernwickTestAnswering", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, answering);
    Answer answer;
    g_answer = &answer;
    bool asked = false;
    int paints = 0;
    std::unique_ptr<Questioner> questioner;
    Shown shown = copy.Install(
        [&] {
            // Something to repaint, and a question waiting, before the copy starts.
            InvalidateRect(copy.wizard.Hwnd(), nullptr, TRUE);
            g_paints = 0;
            g_wizardProc = (WNDPROC)SetWindowLongPtrA(copy.wizard.Hwnd(), GWLP_WNDPROC, (LONG_PTR)CountingPaints);
            questioner.reset(new Questioner(answering));
            asked = questioner->WaitUntilAsked();
        },
        [&] {
            paints = g_paints;
            SetWindowLongPtrA(copy.wizard.Hwnd(), GWLP_WNDPROC, (LONG_PTR)g_wizardProc);
            // Anything answered from here on would see this text instead.
            copy.wizard.SetStatusText("after");
            questioner->Finish();
        });
    DestroyWindow(answering);
    UnregisterClassA("FernwickTestAnswering", windowClass.hInstance);
    g_answer = nullptr;
    EXPECT_EQ(Outcome::Installed, shown.outcome);
    ASSERT_TRUE(asked);
    EXPECT_GT(paints, 0);
    EXPECT_TRUE(answer.given);
    EXPECT_EQ(LoadResString(IDS_COPYING), answer.status);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), answer.cursor);
    EXPECT_EQ(shown.cursorBefore, shown.cursorAfter);
}

// The centre of control `id` in screen coordinates, as SendInput takes them.
INPUT MouseAt(HWND dialog, int id, DWORD flags)
{
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = ((rect.left + rect.right) / 2) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ((rect.top + rect.bottom) / 2) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

// Presses `keys` down in order, then lets them go in reverse, as a person
// types Alt+F4.
void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput((UINT)inputs.size(), inputs.data(), sizeof inputs[0]);
}

void ClickWithMouse(HWND dialog, int id)
{
    INPUT inputs[] = {MouseAt(dialog, id, 0), MouseAt(dialog, id, MOUSEEVENTF_LEFTDOWN),
                      MouseAt(dialog, id, MOUSEEVENTF_LEFTUP)};
    SendInput(3, inputs, sizeof inputs[0]);
}

// Waits, taking nothing from the queue, until input arrives there; false
// when none has after ten seconds.
bool WaitForQueuedInput()
{
    for (DWORD start = GetTickCount(); !HasQueuedInput();) {
        if (GetTickCount() - start > 10000)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_KEY | QS_MOUSEBUTTON);
    }
    return true;
}

// What the copy's input filter lets through to the wizard, and in what form:
// the cancel command however it comes, nothing else. A press of the close box
// soon after another is a double click to the system, and goes on as the
// press it is, which the frame tracks as a click of its close box.
TEST(InstallFiles, WhileCopyingOnlyTheCancelCommandIsKept)
{
    struct Case {
        const char* what;
        int control; // 0: the dialog itself
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool kept;
        UINT becomes;
    };
    const LPARAM altDown = (LPARAM)KF_ALTDOWN << 16;
    const Case cases[] = {
        {"Escape at a control", IDC_NEXT, WM_KEYDOWN, VK_ESCAPE, 0, true, WM_KEYDOWN},
        {"Enter at a control", IDC_NEXT, WM_KEYDOWN, VK_RETURN, 0, false, 0},
        {"Alt+F4", IDC_NEXT, WM_SYSKEYDOWN, VK_F4, altDown, true, WM_SYSKEYDOWN},
        {"F4 alone", IDC_NEXT, WM_SYSKEYDOWN, VK_F4, 0, false, 0},
        {"Cancel pressed", IDCANCEL, WM_LBUTTONDOWN, MK_LBUTTON, 0, true, WM_LBUTTONDOWN},
        {"Cancel pressed again soon", IDCANCEL, WM_LBUTTONDBLCLK, MK_LBUTTON, 0, true, WM_LBUTTONDBLCLK},
        {"Next pressed", IDC_NEXT, WM_LBUTTONDOWN, MK_LBUTTON, 0, false, 0},
        {"Cancel clicked by a program", IDCANCEL, BM_CLICK, 0, 0, true, BM_CLICK},
        {"Finish clicked by a program", IDOK, BM_CLICK, 0, 0, false, 0},
        {"close box pressed", 0, WM_NCLBUTTONDOWN, HTCLOSE, 0, true, WM_NCLBUTTONDOWN},
        {"close box released", 0, WM_NCLBUTTONUP, HTCLOSE, 0, true, WM_NCLBUTTONUP},
        {"close box pressed again soon", 0, WM_NCLBUTTONDBLCLK, HTCLOSE, 0, true, WM_NCLBUTTONDOWN},
        {"caption pressed", 0, WM_NCLBUTTONDOWN, HTCAPTION, 0, false, 0},
        {"caption double-clicked", 0, WM_NCLBUTTONDBLCLK, HTCAPTION, 0, false, 0},
        {"system menu double-clicked", 0, WM_NCLBUTTONDBLCLK, HTSYSMENU, 0, false, 0},
        {"SC_CLOSE", 0, WM_SYSCOMMAND, SC_CLOSE, 0, true, WM_SYSCOMMAND},
        {"SC_MOVE", 0, WM_SYSCOMMAND, SC_MOVE, 0, false, 0},
        {"WM_CLOSE", 0, WM_CLOSE, 0, 0, true, WM_CLOSE},
        {"the command IDCANCEL", 0, WM_COMMAND, IDCANCEL, 0, true, WM_COMMAND},
        {"the command of Next", 0, WM_COMMAND, IDC_NEXT, 0, false, 0},
    };
    CInstallDlg wizard;
    RunInWizard(wizard, [&] {
        for (const Case& c : cases) {
            const HWND dialog = wizard.Hwnd();
            MSG message = {};
            message.hwnd = c.control ? GetDlgItem(dialog, c.control) : dialog;
            message.message = c.message;
            message.wParam = c.wParam;
            message.lParam = c.lParam;
            EXPECT_EQ(c.kept, KeepCancelCommand(dialog, message)) << c.what;
            if (c.kept) {
                EXPECT_EQ(c.becomes, message.message) << c.what;
                EXPECT_EQ(c.wParam, message.wParam) << c.what;
            }
        }
    });
}

// The user's input while files are copied, from the keyboard and the mouse:
// each way of the cancel command asks whether to stop (No here: the copy goes
// on), and every other click and key is discarded: nothing is left for the
// dialog to handle once the copy is over. Clicks and commands that programs
// send or post are tried end to end (tests/e2e/CancelTest.cpp).
TEST(InstallFiles, WhileCopyingTheCancelCommandAsksAndOtherInputIsDiscarded)
{
    struct Case {
        const char* what;
        std::function<void(HWND)> act;
        bool asks;
    };
    const Case cases[] = {
        {"Cancel clicked with the mouse", [](HWND wizard) { ClickWithMouse(wizard, IDCANCEL); }, true},
        {"Escape pressed", [](HWND) { PressKeys({VK_ESCAPE}); }, true},
        {"Alt+F4 pressed", [](HWND) { PressKeys({VK_MENU, VK_F4}); }, true},
        {"Next clicked with the mouse", [](HWND wizard) { ClickWithMouse(wizard, IDC_NEXT); }, false},
        {"Enter pressed", [](HWND) { PressKeys({VK_RETURN}); }, false},
        {"a letter typed", [](HWND) { PressKeys({'A'}); }, false},
    };
    // The mouse is put back where it was, for the tests after this one.
    POINT pointer;
    GetCursorPos(&pointer);
    for (const Case& c : cases) {
        InstallWorld world;
        WizardCopy copy(world);
        const int kFiles = 20;
        for (int i = 0; i < kFiles; ++i)
            world.Kit(Format("fp98\\Themes\\blue\\%02d.css", i));
        copy.answer = [](const std::string&) { return IDNO; };
        bool queued = false;
        bool leftOver = true;
        Shown shown = copy.Install(
            [&] {
                c.act(copy.wizard.Hwnd());
                queued = WaitForQueuedInput();
            },
            [&] { leftOver = HasQueuedInput(); });
        EXPECT_TRUE(queued) << c.what;
        EXPECT_EQ(Outcome::Installed, shown.outcome) << c.what;
        const std::vector<std::string> asked = {LoadResString(IDS_CONFIRM_CANCEL)};
        EXPECT_EQ(c.asks ? asked : std::vector<std::string>(), copy.boxes) << c.what;
        EXPECT_FALSE(leftOver) << c.what;
        std::vector<std::string> log = copy.Log();
        EXPECT_EQ(log.end(), std::find(log.begin(), log.end(), "User cancelled installation")) << c.what;
        EXPECT_EQ((size_t)kFiles, std::count_if(log.begin(), log.end(), [](const std::string& line) {
                      return line.compare(0, 13, "Copied file: ") == 0;
                  })) << c.what;
    }
    SetCursorPos(pointer.x, pointer.y);
}

} // namespace

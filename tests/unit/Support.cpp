#include "Support.h"

#include <aclapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "Text.h"
#include "journal/JournalFile.h"
#include "win/Dialog.h"
#include "win/Handle.h"

namespace {

const char* const kScratchParent = "Software\\FernwickTest";

std::string UniqueName(const char* prefix)
{
    static int counter = 0;
    return std::string(prefix) + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter) +
           "_" + std::to_string(GetTickCount());
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = path + L"\\" + name;
            // Read-only entries refuse deletion; touching only those keeps large trees quick.
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace

ScratchRegistry::ScratchRegistry() : m_root(std::string(kScratchParent) + "\\" + UniqueName("r"))
{
    // Without its scratch key the override below would be no override at all,
    // and the code under test would read the machine's own values.
    if (RegCreateKeyExA(HKEY_CURRENT_USER, m_root.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_scratch,
                        nullptr) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_scratch) != ERROR_SUCCESS)
        ADD_FAILURE() << "no scratch registry at HKCU\\" << m_root;
}

ScratchRegistry::~ScratchRegistry()
{
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    // Refused keys are opened to all again (no access list at all), or they
    // and the scratch key above them would stay behind.
    SECURITY_DESCRIPTOR openToAll;
    InitializeSecurityDescriptor(&openToAll, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&openToAll, TRUE, nullptr, FALSE);
    for (HKEY denied : m_denied) {
        RegSetKeySecurity(denied, DACL_SECURITY_INFORMATION, &openToAll);
        RegCloseKey(denied);
    }
    RegCloseKey(m_scratch);
    SHDeleteKeyA(HKEY_CURRENT_USER, m_root.c_str());
}

HKEY ScratchRegistry::Create(const std::string& key)
{
    HKEY created = nullptr;
    std::string path = "Software\\Microsoft\\" + key;
    RegCreateKeyExA(m_scratch, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
    return created;
}

void ScratchRegistry::SetString(const std::string& key, const std::string& name, const std::string& value,
                                DWORD type)
{
    HKEY opened = Create(key);
    std::wstring text = WideOf(value);
    RegSetValueExW(opened, WideOf(name).c_str(), 0, type, (const BYTE*)text.c_str(),
                   (DWORD)((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

void ScratchRegistry::SetDword(const std::string& key, const std::string& name, DWORD value)
{
    SetRaw(key, name, REG_DWORD, std::string((const char*)&value, sizeof value));
}

void ScratchRegistry::SetRaw(const std::string& key, const std::string& name, DWORD type,
                             const std::string& bytes)
{
    HKEY opened = Create(key);
    RegSetValueExA(opened, name.c_str(), 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(opened);
}

void ScratchRegistry::DenyAccess(const std::string& key)
{
    // Kept open: its handle keeps the right to open the key to all again.
    HKEY opened = Create(key);
    if (!opened) {
        ADD_FAILURE() << "cannot make key " << key;
        return;
    }
    m_denied.push_back(opened);
    // An empty access list grants nothing to anyone.
    ACL acl;
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE);
    RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, &descriptor);
}

TempFolder::TempFolder() : m_path("C:\\fwtest\\" + UniqueName("t"))
{
    CreateDirectoryA("C:\\fwtest", nullptr);
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    RemoveTree(WideOf(m_path));
}

std::string TempFolder::MakeDir(const std::string& relative) const
{
    std::string full = *this / relative;
    for (size_t slash = m_path.size() + 1; slash != std::string::npos;) {
        slash = full.find('\\', slash + 1);
        CreateDirectoryW(WideOf(full.substr(0, slash)).c_str(), nullptr);
    }
    return full;
}

std::string TempFolder::Write(const std::string& relative, const std::string& content) const
{
    size_t slash = relative.find_last_of('\\');
    if (slash != std::string::npos)
        MakeDir(relative.substr(0, slash));
    std::string full = *this / relative;
    HANDLE file = CreateFileW(WideOf(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr) ||
        written != content.size())
        ADD_FAILURE() << "cannot write " << full;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return full;
}

CurrentFolder::CurrentFolder(const std::string& folder)
{
    wchar_t previous[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, previous);
    m_previous = Utf8Of(std::wstring(previous, length < MAX_PATH ? length : 0));
    SetCurrentDirectoryW(WideOf(folder).c_str());
}

CurrentFolder::~CurrentFolder()
{
    SetCurrentDirectoryW(WideOf(m_previous).c_str());
}

namespace {

ModalAnswerer* g_answerer = nullptr;

// Collects the shown dialogs and message boxes that take input (not those under a modal one).
BOOL CALLBACK CollectDialog(HWND window, LPARAM list)
{
    char className[16];
    if (IsWindowVisible(window) && IsWindowEnabled(window) &&
        GetClassNameA(window, className, sizeof className) && std::string(className) == "#32770")
        ((std::vector<HWND>*)list)->push_back(window);
    return TRUE;
}

// Long enough for a posted click to be taken on a loaded machine; a test
// never leaves a window it answers open that long.
const DWORD kUnansweredMs = 30000;

// A window taking input, and since when no handler is busy with it.
struct Waiting {
    HWND window;
    DWORD since;
};
std::vector<Waiting> g_waiting;
UINT_PTR g_guardTimer = 0;

// A window's caption and the texts of its controls, to tell what it was.
std::string WindowTexts(HWND window)
{
    std::string texts = "\"" + TextOf(window) + "\"";
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::string text = TextOf(child);
        if (!text.empty())
            texts += " \"" + text + "\"";
    }
    return texts;
}

void CALLBACK Guard(HWND, UINT, UINT_PTR, DWORD)
{
    std::vector<HWND> shown;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, (LPARAM)&shown);
    if (g_answerer)
        g_answerer->Answer(shown);
    // Answering may have closed windows, and the timer may have come due
    // again inside a handler: only what is still there counts, from now on.
    const DWORD now = GetTickCount();
    std::vector<Waiting> waiting;
    for (HWND window : shown) {
        if (!IsWindow(window) || !IsWindowVisible(window) || !IsWindowEnabled(window))
            continue;
        auto known = std::find_if(g_waiting.begin(), g_waiting.end(),
                                  [&](const Waiting& entry) { return entry.window == window; });
        Waiting entry = {window, known == g_waiting.end() ? now : known->since};
        if (window == Dialog::MainWindow() || (g_answerer && g_answerer->IsAnswering(window)))
            entry.since = now;
        if (now - entry.since > kUnansweredMs) {
            ADD_FAILURE() << "no one answered the window " << WindowTexts(window) << "; closing it";
            EndDialog(window, IDCANCEL);
            continue;
        }
        waiting.push_back(entry);
    }
    g_waiting = waiting;
}

} // namespace

ModalAnswerer::ModalAnswerer(Handler handler) : m_handler(std::move(handler))
{
    g_answerer = this;
}

ModalAnswerer::~ModalAnswerer()
{
    g_answerer = nullptr;
}

void ModalAnswerer::Answer(const std::vector<HWND>& shown)
{
    m_open.erase(std::remove_if(m_open.begin(), m_open.end(), [](HWND w) { return !IsWindow(w); }),
                 m_open.end());
    for (HWND window : shown) {
        if (std::find(m_open.begin(), m_open.end(), window) != m_open.end())
            continue;
        m_open.push_back(window);
        m_seen.push_back(window);
        m_answering.push_back(window);
        m_handler(window);
        m_answering.erase(std::find(m_answering.begin(), m_answering.end(), window));
    }
}

bool ModalAnswerer::IsAnswering(HWND window) const
{
    return std::find(m_answering.begin(), m_answering.end(), window) != m_answering.end();
}

void TestGuard::OnTestStart(const testing::TestInfo&)
{
    g_waiting.clear();
    g_guardTimer = SetTimer(nullptr, 0, 20, Guard);
}

void TestGuard::OnTestEnd(const testing::TestInfo&)
{
    KillTimer(nullptr, g_guardTimer);
    if (!HasQueuedInput())
        return;
    ADD_FAILURE() << "keys or clicks left in the queue; dropping them";
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
           PeekMessageA(&message, nullptr, WM_LBUTTONDOWN, WM_MOUSELAST, PM_REMOVE))
        ;
}

bool HasQueuedInput()
{
    return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0;
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string TextOf(HWND window)
{
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, &text[0], (int)text.size()));
    return Utf8Of(text);
}

std::string TextOf(HWND dialog, int id)
{
    return TextOf(GetDlgItem(dialog, id));
}

std::string MessageBoxText(HWND box)
{
    return TextOf(box, 0xFFFF);
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(WideOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[64 * 1024];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

std::string SampleKitFolder()
{
    // Wine's drive Z: is the Unix root.
    std::string path = "Z:" FERNWICK_SAMPLE_KIT;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::map<std::string, std::string> Tree(const std::string& folder, const std::string& relative)
{
    std::map<std::string, std::string> tree;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\" + relative + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return tree;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[relative + name + "\\"] = "";
            for (const auto& below : Tree(folder, relative + name + "\\"))
                tree.insert(below);
            continue;
        }
        tree[relative + name] = ReadFileBytes(folder + "\\" + relative + name) +
                                (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? " (read-only)" : "");
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return tree;
}

bool MakeUnreadable(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    std::string folder = UnixPath(path.substr(0, slash));
    return !folder.empty() &&
           RunShell("ln -s /proc/self/mem " + ShellQuote(folder + "/" + path.substr(slash + 1))) &&
           GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

testing::AssertionResult SameText(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    size_t from = at > 40 ? at - 40 : 0;
    return testing::AssertionFailure() << "texts of " << expected.size() << " and " << actual.size()
                                       << " bytes part at byte " << at << ": expected \""
                                       << expected.substr(from, 80) << "\", got \"" << actual.substr(from, 80)
                                       << "\"";
}

bool UnfinishedInstallationIn(const std::string& dataFolder)
{
    ScopedFile file(OpenJournal(dataFolder, JournalAccess::Read));
    JournalContents contents;
    return file.IsValid() && ReadJournal(file.Get(), contents) && !contents.sessions.empty() &&
           !contents.sessions.back().closed;
}

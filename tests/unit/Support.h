// Real worlds for in-process tests: a scratch registry, a scratch folder, and
// answers to the modal dialogs the code under test opens.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Unix.h"

// Every text and path is UTF-8, as inside the program.

// Redirects this process's HKEY_LOCAL_MACHINE to a fresh key below HKEY_CURRENT_USER
// for the object's life. Keys are named below Software\Microsoft\, as the wizard names them.
class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    // A string value as the system's wide functions store it.
    void SetString(const std::string& key, const std::string& name, const std::string& value,
                   DWORD type = REG_SZ);
    void SetDword(const std::string& key, const std::string& name, DWORD value);
    // Stores raw bytes with any type, e.g. a string without its final NUL, as
    // an ANSI program stores them (strings converted from the code page).
    void SetRaw(const std::string& key, const std::string& name, DWORD type, const std::string& bytes);
    // Makes opening `key` for reading fail with ERROR_ACCESS_DENIED.
    void DenyAccess(const std::string& key);

private:
    HKEY Create(const std::string& key);

    std::string m_root;
    HKEY m_scratch = nullptr;
    // Keys made refused, kept open to be opened to all again at the end.
    std::vector<HKEY> m_denied;
};

// A fresh folder on the Wine C: drive, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // Full path of `relative` below the folder.
    std::string operator/(const std::string& relative) const { return m_path + "\\" + relative; }
    // Writes `content` to `relative`, creating the folders on its way; returns the full path.
    std::string Write(const std::string& relative, const std::string& content) const;
    // Creates the folder `relative` and its parents; returns the full path.
    std::string MakeDir(const std::string& relative) const;

private:
    std::string m_path;
};

// Makes `folder` the process's current folder for the object's life (the kit is
// always the current folder of the wizard).
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder);
    ~CurrentFolder();

private:
    std::string m_previous;
};

// Answers modal windows shown on this thread while it lives: `handler` gets each
// newly shown dialog or message box once, and answers it (for example with
// Click). The test guard looks for them from a thread timer, which keeps
// running inside modal loops.
class ModalAnswerer {
public:
    using Handler = std::function<void(HWND)>;
    explicit ModalAnswerer(Handler handler);
    ~ModalAnswerer();
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    // The windows answered so far, in order.
    const std::vector<HWND>& Seen() const { return m_seen; }
    // Gives the handler each window of `shown` it has not had yet.
    void Answer(const std::vector<HWND>& shown);
    // The handler has `window` and has not returned yet.
    bool IsAnswering(HWND window) const;

private:
    Handler m_handler;
    std::vector<HWND> m_seen;
    // Windows answered that still exist: a closed window's handle may come back.
    std::vector<HWND> m_open;
    std::vector<HWND> m_answering;
};

// Watches every test (main installs it once): a modal window that no handler
// answers fails the test and is closed, and keys or clicks a test leaves in
// the queue fail it and are dropped, so that neither holds nor misleads the
// tests after it. The program's main window is the test's own to drive.
class TestGuard : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override;
    void OnTestEnd(const testing::TestInfo&) override;
};

// A key or a mouse button waits in this thread's queue.
bool HasQueuedInput();

// Posts a click on control `id` of `dialog`, as a user's click arrives.
void Click(HWND dialog, int id);
// The whole text of a window, or of control `id` of a dialog.
std::string TextOf(HWND window);
std::string TextOf(HWND dialog, int id);
// The text of a message box (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
// The whole content of a file, or empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// The sample kit of the checkout (sample/kit), read where it lies.
std::string SampleKitFolder();

// Every file below `folder` with its content, " (read-only)" added for such a
// file, and every folder with a trailing backslash, by relative path.
std::map<std::string, std::string> Tree(const std::string& folder, const std::string& relative = "");

// Makes `path` a file that opens but fails its first read (a link to the
// process's own memory, whose address 0 cannot be read). False when the link
// could not be made.
bool MakeUnreadable(const std::string& path);

// Whether the journal of the data folder `dataFolder` holds an installation
// that was never closed, waiting to be undone; false when it cannot be read.
bool UnfinishedInstallationIn(const std::string& dataFolder);

// Compares two texts that may be megabytes long; a failure shows only where
// they part, not the whole texts.
testing::AssertionResult SameText(const std::string& expected, const std::string& actual);

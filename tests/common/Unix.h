// The Unix machine under the tests' Wine: shell commands, small filesystems,
// drive letters, and files held open by another process. Shared by the
// in-process tests and the end-to-end tests.
#pragma once
#include <windows.h>

#include <string>

// Paths and scripts are UTF-8.

// The Unix path of a Windows path, through Wine's own export; empty when it
// has none.
std::string UnixPath(const std::string& windowsPath);

// Quotes `text` for a single-quoted shell word.
std::string ShellQuote(const std::string& text);

// Runs `script` with the Unix shell and waits, polling, until it has ended;
// true when it ended with status 0 within `timeoutMs`. Wine cannot wait on a
// Unix program's handle, so the script leaves its status in a file.
bool RunShell(const std::string& script, DWORD timeoutMs = 30000);

// Signs the program `in` of the folder `folder` into `out` there, as a
// publisher signs a setup (osslsigncode), with a certificate made for the
// test, and has the signature verified; true when all went well.
bool SignProgram(const std::string& folder, const std::string& in, const std::string& out);

// Starts `script` with the Unix shell in `folder` and returns at once.
bool StartShell(const std::string& script, const std::string& folder);

// A free drive letter mapped to `folder` for the object's life, as Wine's own
// configuration maps one (DRIVE_FIXED, DRIVE_CDROM, ...).
class MappedDrive {
public:
    explicit MappedDrive(const std::string& folder, UINT type = DRIVE_FIXED);
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    bool IsMapped() const { return m_mapped; }
    char Letter() const { return m_letter; }
    // "X:" for the mapped letter.
    std::string Root() const { return std::string(1, m_letter) + ":"; }

private:
    char m_letter = 0;
    bool m_mapped = false;
};

// A small filesystem of its own (tmpfs) mounted on the folder `folder`, which
// it creates; unmounted when the object goes.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, const std::string& size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool IsMounted() const { return m_mounted; }
    const std::string& Folder() const { return m_folder; }
    // Mounts it again read-only, as a CD or a locked-down share would be.
    bool MakeReadOnly();

private:
    std::string m_folder;
    std::string m_unixFolder;
    bool m_mounted = false;
};

// Another process holding `path` open with no sharing at all, so that no one
// else can open it, to read or to write, while the object lives; with
// `othersMayRead`, others may read it, but neither write, rename nor delete it.
class FileLock {
public:
    explicit FileLock(const std::string& path, bool othersMayRead = false);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool IsHeld() const { return m_held; }

private:
    PROCESS_INFORMATION m_process = {};
    bool m_held = false;
};

// The folder of the running test program; the build puts its helpers there.
std::string TestProgramFolder();

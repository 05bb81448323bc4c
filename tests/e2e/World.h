// One test's own world, as a user's machine would have it: a kit folder, a
// FrontPage installation, a folder for the log, and the registry values
// (as a 32-bit program sees them) that point at them. Removed afterwards.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class World {
public:
    // A fresh folder and a clean registry, with the log folder registered.
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Whether the folder and the registry value were made. Each builder below
    // answers the same for its own part.
    bool IsReady() const { return m_ready; }

    // A path inside the world's folder.
    std::string Path(const std::string& relative) const;
    std::string KitFolder() const { return Path("kit"); }
    std::string LogFolder() const { return Path("logs"); }
    std::string LogPath() const { return Path("logs\\fernwick.log"); }

    // FrontPage 98 as its setup leaves it: the registered folder (`folder`
    // below the world) holds "bots".
    bool InstallFrontPage98(const std::string& folder = "FrontPage") const;
    // The same in the folder `root`, which may lie on another drive.
    bool InstallFrontPage98At(const std::string& root) const;
    // FrontPage 2000 and 2002 as Office leaves them, as on the demo machine:
    // each registered installation root (with a trailing backslash) holds
    // "bots", and the registered frontpg.exe is the 2002 one.
    bool InstallOffice() const;
    // Office `office` ("9.0", "10.0" or "11.0") with FrontPage in the folder
    // `folder` below the world, its registered installation root: it holds
    // frontpg.exe, by which FrontPage 2003 is known, and "bots". Registered
    // as the frontpg.exe Windows starts when `registered`.
    bool InstallOfficeFrontPage(const std::string& office, const std::string& folder, bool registered) const;
    // The language Office `office` was installed in (an LCID).
    bool SetOfficeLanguage(const std::string& office, DWORD lcid) const;
    // A kit with an introduction, and items in the "fp98" and "common" roots.
    bool AddKit() const;
    // The sample kit of the checkout (sample/kit), read where it lies.
    static std::string SampleKitFolder();
    // The kit's readme, with the text ReadmeText().
    bool AddReadme() const;
    static std::string ReadmeText();
    // A program named notepad.exe in the kit folder, which the wizard must never run.
    bool PlantNotepad() const { return PlantProgram("kit", "notepad.exe"); }
    // The planted program leaves this file in the kit folder when it runs.
    std::string PlantedNotepadMark() const { return PlantedMark("kit\\notepad.exe"); }
    // A program, or a library, named `name` in the world's folder `folder`,
    // standing in for a system one: it leaves PlantedMark() when it is run or loaded.
    bool PlantProgram(const std::string& folder, const std::string& name) const;
    bool PlantLibrary(const std::string& folder, const std::string& name) const;
    std::string PlantedMark(const std::string& relative) const;

    bool WriteFile(const std::string& relative, const std::string& bytes) const;

    // The Common Files folder, as a 32-bit program reads it from the registry.
    static std::string CommonFiles();
    // "<Common Files>\Fernwick", where the wizard keeps the journal and
    // backups of each kit: removed before and after each world, so that
    // every test starts without one.
    static std::string DataFolders();
    // The key of entry `entry` in Programs and Features, below HKEY_LOCAL_MACHINE
    // (the 32-bit view); the key holding them all for an empty `entry`.
    static std::string RemovalKey(const std::string& entry);
    // The entries of kits there ("Fernwick <kit id>"), which each world removes.
    static std::vector<std::string> RemovalEntries();
    // The data folder of the world's kit.
    static std::string KitDataFolder();
    static void RemoveDataFolders();

private:
    std::string m_root;
    bool m_ready;
};

// A planted program (World::PlantProgram), running while the object lives or until Stop.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& path);
    ~RunningProgram() { Stop(); }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    bool IsRunning() const { return m_running; }
    void Stop();

private:
    PROCESS_INFORMATION m_process = {};
    bool m_running = false;
};

} // namespace e2e

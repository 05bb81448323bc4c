// The kit's entry in the system's list of installed programs (Programs and
// Features), made after a successful installation, and the program copy in
// the kit's data folder that its command runs.
#pragma once
#include <string>

// The program copy's name in the data folder.
extern const char kRemovalProgram[];

// "Fernwick <kit id>": the entry's key below the system's Uninstall key.
std::string RemovalKeyName(const std::string& kitId);
// The entry's key below HKEY_LOCAL_MACHINE.
std::string RemovalKeyPath(const std::string& kitId);

struct KitRegistration {
    std::string kitName;
    std::string kitId;
    // The kit's data folder, with its journal of the installation just closed.
    std::string dataFolder;
    // The themes folder the kit was installed into.
    std::string themesFolder;
    // This program's file: its image alone goes into the data folder.
    std::string program;
};

// Registers the kit for removal: the program's image alone copied into the
// data folder, the kit's name into the journal, and the entry's key, in the
// registry's 32-bit view, with the values Programs and Features shows and
// runs. Installing the same kit again updates the same entry. False, with
// the last error set and `subject` naming the file or key at fault.
bool RegisterForRemoval(const KitRegistration& kit, std::string& subject);

// Removes the entry of kit `kitId`. True when it is gone, also when there was
// none; false with the last error set.
bool RemoveRegistration(const std::string& kitId);
// Whether RemoveRegistration may remove it: true when this program may
// delete the key, or there is none; false with the last error set.
bool CanRemoveRegistration(const std::string& kitId);

#include "kit/KitFolder.h"

#include "win/FileSystem.h"

bool HoldsKit(const std::string& folder)
{
    // A drive's root ends with its backslash already.
    const std::string inside = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    if (FileExists(inside + "intro.txt"))
        return true;
    for (const char* root : {"common", "fp98", "fp2000", "fp2003"}) {
        if (FolderExists(inside + root))
            return true;
    }
    return false;
}

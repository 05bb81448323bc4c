#include "kit/KitRoot.h"

#include "win/FileSystem.h"

std::string VersionRoot(FrontPageVersion version)
{
    if (version == FP98)
        return "fp98";
    // The kit is the current folder.
    if (version == FP2003 && FolderExists("fp2003"))
        return "fp2003";
    return "fp2000";
}

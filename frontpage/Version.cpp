#include "frontpage/Version.h"

#include "win/FileSystem.h"

std::string VersionRoot(FrontPageVersion version)
{
    if (version == FP98)
        return "fp98";
    if (version == FP2003 && FolderExists("fp2003"))
        return "fp2003";
    return "fp2000";
}

// The kit's root of items for each FrontPage version.
#pragma once
#include <string>

#include "frontpage/Version.h"

// "fp98" for FrontPage 98; "fp2000" for 2000 and 2002, which share their
// folders; for 2003, which reads the 2000 theme format, "fp2003" when the
// kit has that root, else "fp2000".
std::string VersionRoot(FrontPageVersion version);

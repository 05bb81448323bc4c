#pragma once
#include <string>

// The FrontPage versions the wizard installs for; FPNone marks a version not identified.
enum FrontPageVersion { FPNone = -1, FP98 = 0, FP2000 = 1, FP2002 = 2, FP2003 = 3 };

// The kit's root of items for `version`: "fp98" for FrontPage 98; "fp2000"
// for 2000 and 2002, which share their folders; for 2003, which reads the
// 2000 theme format, "fp2003" when the kit (the current folder) has that
// root, else "fp2000".
std::string VersionRoot(FrontPageVersion version);

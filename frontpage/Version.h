#pragma once

// The FrontPage versions the wizard installs for; FPNone marks a version not identified.
enum FrontPageVersion { FPNone = -1, FP98 = 0, FP2000 = 1, FP2002 = 2, FP2003 = 3 };

// Making a packed program: the program image followed by a kit, in one file.
#pragma once
#include <string>

#include "pack/PackFormat.h"

// Writes the packed program `output`: the image of the program file `program`
// (without any kit or signature it carries) followed by the kit of the folder
// `kitFolder`. The kit is exactly intro.txt, license.txt and readme.txt (each
// when present) and the whole common, fp98, fp2000 and fp2003 trees, matched
// in any letter case: every file (hidden, system and read-only ones too) and
// every folder, empty ones included, names kept as they are. The file is written
// under a temporary name beside `output` and renamed to it only when complete,
// so nothing half-written is ever found under that name. `progress` (may be
// empty) hears of every file. False with `reason`, which holds the system's
// text where a call failed.
bool PackKit(const std::string& program, const std::string& kitFolder, const std::string& output,
             const PackProgress& progress, std::string& reason);

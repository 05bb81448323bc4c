// The names a packed kit may give its entries: what an unpacker writes is
// decided by the file it reads, which anyone may have made.
#pragma once
#include <string>

// Why the entry name `name` may not be unpacked, or empty when it may: it must
// be UTF-8 and a relative path of plain names below the unpack folder, parted
// by '\'. Refused: absolute names, drives, streams or any ':', '.' and '..'
// parts, device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$,
// with or without an extension, in any case), empty parts, parts ending in a
// dot or blank or longer than 255 characters, and characters Windows does not
// allow in names.
std::string EntryNameFault(const std::string& name);

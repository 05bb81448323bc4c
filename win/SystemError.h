// The system's reason for a failure, as the program words it in its log and
// its boxes.
#pragma once
#include <windows.h>

#include <string>

#include "win/Language.h"

// "(<code>) <text>": the error code in decimal and the system's own text for
// it (insert markers left alone), as it comes back, with the line end the
// system puts at its end; "Unknown error" in place of the text when the
// system has none. The text is in `language` where the system has its texts
// in it, else in the user's default language: English by default, the log's.
std::string SystemErrorText(DWORD code, LANGID language = kEnglish);

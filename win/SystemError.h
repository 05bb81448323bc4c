// The system's reason for a failure, as the program words it in its log and
// its boxes.
#pragma once
#include <windows.h>

#include <string>

// "(<code>) <text>": the error code in decimal and the system's own text for
// it (the user's default language, insert markers left alone), as it comes
// back, with the line end the system puts at its end; "Unknown error" in
// place of the text when the system has none.
std::string SystemErrorText(DWORD code);

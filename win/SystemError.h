// The system's own words for a failed call.
#pragma once
#include <windows.h>

#include <string>

// "(code) text" with the system's message for error `code`, without its line end.
std::string SystemErrorText(DWORD code);

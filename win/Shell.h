// Starting another program through the shell.
#pragma once
#include <windows.h>

#include <string>

// ShellExecuteA with the verb "open": starts `program` with `parameters`,
// owned by `owner`. False when the shell could not start it. The shell's
// library is loaded here, from the system folder, on first use only: it is
// large, and the wizard needs it once, as it ends.
bool ShellOpen(HWND owner, const std::string& program, const std::string& parameters);

// The questions of the copy stage, each behind one function, so that how the
// wizard asks (or, unattended, waits instead) is decided in one place.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "win/MessageBox.h"

// Asks in a Yes/No box whether to stop the installation (string
// IDS_CONFIRM_CANCEL); true for Yes.
bool AskToStop();

// Asks `question` in a Retry/Cancel box: the user is to clear what stops the
// installation (close a program). True for Retry, false for Cancel.
bool AskRetry(const MessageText& question);

// The two questions of the copy stage, through AskRetry: FrontPage is
// running (string IDS_FRONTPAGE_RUNNING); the file `path` is held by another
// program, named when the system can tell (IDS_FILE_IN_USE_BY), else
// "another program" (IDS_FILE_IN_USE).
bool AskRetryFrontPageRunning();
bool AskRetryFileInUse(const std::string& path);

// What an unattended run does in place of a Retry/Cancel question: it waits a
// second (`pump` keeps the window alive meanwhile) and tries again, for 30
// seconds from `since` (GetTickCount) in all. False, at once, once those have
// passed; the wait also ends early when `stopped` turns true.
bool WaitToRetry(DWORD since, const std::function<void()>& pump, const std::function<bool()>& stopped);

// The questions of the copy stage, each behind one function, so that how the
// wizard asks (or, unattended, waits instead) is decided in one place.
#pragma once
#include <string>

// Asks in a Yes/No box whether to stop the installation (string
// IDS_CONFIRM_CANCEL); true for Yes.
bool AskToStop();

// Asks `question` in a Retry/Cancel box: the user is to clear what stops the
// installation (close a program). True for Retry, false for Cancel.
bool AskRetry(const std::string& question);

// The two questions of the copy stage, through AskRetry: FrontPage is
// running (string IDS_FRONTPAGE_RUNNING); the file `path` is held by another
// program, named when the system can tell (IDS_FILE_IN_USE_BY), else
// "another program" (IDS_FILE_IN_USE).
bool AskRetryFrontPageRunning();
bool AskRetryFileInUse(const std::string& path);

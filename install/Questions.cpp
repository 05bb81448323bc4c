#include "install/Questions.h"

#include <windows.h>

#include "res/resource.h"
#include "win/FileHolder.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

namespace {

const DWORD kRetryPeriodMs = 1000;
const DWORD kWaitLimitMs = 30 * 1000;

} // namespace

bool AskToStop()
{
    return ShowMessage(IDS_CONFIRM_CANCEL, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool AskRetry(const MessageText& question)
{
    return ShowMessage(question, MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDRETRY;
}

bool AskRetryFrontPageRunning()
{
    return AskRetry(LoadMessage(IDS_FRONTPAGE_RUNNING));
}

bool AskRetryFileInUse(const std::string& path)
{
    const std::string program = ProgramHoldingFile(path);
    if (program.empty())
        return AskRetry(FormatMessageText(IDS_FILE_IN_USE, path.c_str()));
    return AskRetry(FormatMessageText(IDS_FILE_IN_USE_BY, program.c_str(), path.c_str()));
}

bool WaitToRetry(DWORD since, const std::function<void()>& pump, const std::function<bool()>& stopped)
{
    if (GetTickCount() - since >= kWaitLimitMs)
        return false;
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; waited < kRetryPeriodMs && !stopped(); waited = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kRetryPeriodMs - waited, QS_ALLINPUT);
        pump();
    }
    return true;
}

#include "win/MessageBox.h"

#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

MessageSilencer& Silencer()
{
    static MessageSilencer silencer;
    return silencer;
}

} // namespace

int ShowMessage(const std::string& text, UINT style)
{
    if (Silencer()) {
        int answer = Silencer()(text, style);
        if (answer != 0)
            return answer;
    }
    // Like any modal box it sits on whatever dialog is in front of the main window.
    HWND main = Dialog::MainWindow();
    HWND owner = main ? GetLastActivePopup(main) : nullptr;
    return MessageBoxW(owner, Wide(text).c_str(), Wide(LoadResString(IDS_APP_TITLE)).c_str(), style);
}

int ShowMessage(UINT id, UINT style)
{
    return ShowMessage(LoadResString(id), style);
}

void SilenceMessages(MessageSilencer silencer)
{
    Silencer() = std::move(silencer);
}

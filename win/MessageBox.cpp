#include "win/MessageBox.h"

#include "res/resource.h"
#include "win/Dialog.h"
#include "win/Strings.h"

int ShowMessage(const std::string& text, UINT style)
{
    // Like any modal box it sits on whatever dialog is in front of the main window.
    HWND main = Dialog::MainWindow();
    HWND owner = main ? GetLastActivePopup(main) : nullptr;
    return MessageBoxA(owner, text.c_str(), LoadResString(IDS_APP_TITLE).c_str(), style);
}

int ShowMessage(UINT id, UINT style)
{
    return ShowMessage(LoadResString(id), style);
}

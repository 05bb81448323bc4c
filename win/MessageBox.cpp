#include "win/MessageBox.h"

#include <cstdarg>

#include "win/Dialog.h"
#include "win/Language.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

MessageSilencer& Silencer()
{
    static MessageSilencer silencer;
    return silencer;
}

UINT& CaptionId()
{
    static UINT id = 0;
    return id;
}

} // namespace

MessageText& MessageText::operator+=(const MessageText& more)
{
    shown += more.shown;
    logged += more.logged;
    return *this;
}

MessageText& MessageText::operator+=(const std::string& same)
{
    shown += same;
    logged += same;
    return *this;
}

MessageText LoadMessage(UINT id)
{
    return {LoadResString(id), LoadLogString(id)};
}

MessageText FormatMessageText(UINT id, ...)
{
    MessageText text;
    va_list args;
    va_start(args, id);
    text.shown = FormatArgs(LoadResString(id).c_str(), args);
    va_end(args);
    va_start(args, id);
    text.logged = FormatArgs(LoadLogString(id).c_str(), args);
    va_end(args);
    return text;
}

int ShowMessage(const MessageText& text, UINT style)
{
    if (Silencer()) {
        int answer = Silencer()(text.logged, style);
        if (answer != 0)
            return answer;
    }
    // Like any modal box it sits on whatever dialog is in front of the main window.
    HWND main = Dialog::MainWindow();
    HWND owner = main ? GetLastActivePopup(main) : nullptr;
    const std::wstring wideText = Wide(text.shown);
    const std::wstring caption = Wide(LoadResString(CaptionId()));
    // The buttons in the wizard's language where the system has it, else in the system's.
    int answer = MessageBoxExW(owner, wideText.c_str(), caption.c_str(), style, UiLanguage());
    return answer != 0 ? answer : MessageBoxW(owner, wideText.c_str(), caption.c_str(), style);
}

int ShowMessage(UINT id, UINT style)
{
    return ShowMessage(LoadMessage(id), style);
}

void SetMessageCaption(UINT id)
{
    CaptionId() = id;
}

void SilenceMessages(MessageSilencer silencer)
{
    Silencer() = std::move(silencer);
}

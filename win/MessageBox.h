// The one message box of the program: captioned with the application's title,
// which the application names (SetMessageCaption).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// A box's text as the user reads it, in the wizard's language, and as a log
// keeps it, in English.
struct MessageText {
    std::string shown;
    std::string logged;

    MessageText& operator+=(const MessageText& more);
    // A text of no language, such as a path, the same in both.
    MessageText& operator+=(const std::string& same);
};

// String-table entry `id` in both languages.
MessageText LoadMessage(UINT id);
// String-table entry `id` in both languages, each formatted printf-style with
// the same values (every translation has the format's conversions in order).
MessageText FormatMessageText(UINT id, ...);

// From now on boxes are captioned with string-table entry `id`, loaded in the
// wizard's language as each box is shown.
void SetMessageCaption(UINT id);

// Shows `text` modally over the application's active window; returns the button pressed.
int ShowMessage(const MessageText& text, UINT style);

// The same with the text of string-table entry `id`.
int ShowMessage(UINT id, UINT style);

// Takes the place of the boxes: gets the logged text and style of each box
// ShowMessage is asked for, and returns the button that answers it, or 0 to
// have that box shown after all.
using MessageSilencer = std::function<int(const std::string& logged, UINT style)>;

// From now on every box goes to `silencer` first; an empty one shows them all again.
void SilenceMessages(MessageSilencer silencer);

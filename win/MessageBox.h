// The one message box of the program: captioned with the application title.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Shows `text` modally over the application's active window; returns the button pressed.
int ShowMessage(const std::string& text, UINT style);

// The same with the text of string-table entry `id`.
int ShowMessage(UINT id, UINT style);

// Takes the place of the boxes: gets the text and style of each box
// ShowMessage is asked for, and returns the button that answers it, or 0 to
// have that box shown after all.
using MessageSilencer = std::function<int(const std::string& text, UINT style)>;

// From now on every box goes to `silencer` first; an empty one shows them all again.
void SilenceMessages(MessageSilencer silencer);

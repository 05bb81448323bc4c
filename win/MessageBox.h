// The one message box of the program: captioned with the application title.
#pragma once
#include <windows.h>

#include <string>

// Shows `text` modally over the application's active window; returns the button pressed.
int ShowMessage(const std::string& text, UINT style);

// The same with the text of string-table entry `id`.
int ShowMessage(UINT id, UINT style);

// What screen readers are told beyond what the controls say of themselves.
#pragma once
#include <windows.h>

#include <string>

// Tells screen readers that the text of `control` has changed, so that they
// read it out.
void AnnounceNameChange(HWND control);

// Gives `control` the accessible name `name` through the system's annotation
// service, where the system offers one (Active Accessibility 2.0: Windows XP
// SP2 and later); false where it does not. Screen readers then read that name
// even where they would not take the label before the control for it.
bool AnnotateName(HWND control, const std::string& name);

// Annotates `control` (an edit box, a progress bar: no text of its own) with
// the text of its label, the window right before it, as screen readers name it.
bool AnnotateNameFromLabel(HWND control);

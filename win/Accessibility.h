// What screen readers are told beyond what the controls say of themselves.
#pragma once
#include <windows.h>

// Tells screen readers that the text of `control` has changed, so that they
// read it out.
void AnnounceNameChange(HWND control);

// Annotates `control` (an edit box, a progress bar: no text of its own) with
// the text of its label, the window right before it, as screen readers name
// it: an explicit name for those that would not take the label for it, through
// the system's annotation service where the system has one (Active
// Accessibility 2.0: Windows XP SP2 and later).
void AnnotateNameFromLabel(HWND control);

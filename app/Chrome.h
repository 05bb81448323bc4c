// Window furniture of the wizard that can be computed apart from a window.
#pragma once
#include <windows.h>

// Where an icon of `iconWidth` × `iconHeight` is drawn centred in `client`:
// (client width − icon width + 1) / 2 across, likewise down, the division
// truncating toward zero, so an icon wider than the client area lands at 0 or
// at a negative offset.
POINT CentredIconPosition(const RECT& client, int iconWidth, int iconHeight);

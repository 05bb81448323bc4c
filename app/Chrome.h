// Window furniture of the wizard that can be computed apart from a window.
#pragma once
#include <windows.h>

// Where an icon of `iconWidth` × `iconHeight` is drawn to sit centred in `client`:
// half the spare room on each axis, rounded up, the halving truncating toward zero,
// so an icon wider than the client area starts at 0 or at a negative offset.
POINT CentredIconPosition(const RECT& client, int iconWidth, int iconHeight);

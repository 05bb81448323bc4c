// The smallest dialog program, built like the wizard: the start-up time that
// the wizard's is held against. Built twice: plain, and WITH_CONTROLS, which
// adds what the wizard needs of the platform before its first page (the
// common controls for its progress bar, its manifest and window icon), so
// that the rest of the difference is the wizard's own.
#include <windows.h>
#include <commctrl.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
#ifdef WITH_CONTROLS
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
        SendMessageA(hwnd, WM_SETICON, ICON_BIG, (LPARAM)icon);
        SendMessageA(hwnd, WM_SETICON, ICON_SMALL, (LPARAM)icon);
#endif
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef WITH_CONTROLS
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
#endif
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, DialogProc, 0);
}

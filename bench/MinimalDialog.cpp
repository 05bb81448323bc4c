// The smallest dialog program, built like the wizard: the start-up time that
// the wizard's is held against.
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return (int)DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, DialogProc, 0);
}

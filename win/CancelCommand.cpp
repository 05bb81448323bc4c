#include "win/CancelCommand.h"

bool KeepCancelCommand(HWND dialog, MSG& message)
{
    const HWND cancel = GetDlgItem(dialog, IDCANCEL);
    const bool inDialog = message.hwnd == dialog || IsChild(dialog, message.hwnd);
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        // The dialog manager turns Escape into the command IDCANCEL.
        return inDialog && message.wParam == VK_ESCAPE;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Alt+F4: the window's default handling closes it as its close box does.
        return inDialog && message.wParam == VK_F4 && (HIWORD(message.lParam) & KF_ALTDOWN);
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case BM_CLICK:
        return cancel && message.hwnd == cancel;
    case WM_NCLBUTTONDBLCLK:
        if (message.hwnd != dialog || message.wParam != HTCLOSE)
            return false;
        message.message = WM_NCLBUTTONDOWN;
        return true;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
        return message.hwnd == dialog && message.wParam == HTCLOSE;
    case WM_SYSCOMMAND:
        return message.hwnd == dialog && (message.wParam & 0xFFF0) == SC_CLOSE;
    case WM_CLOSE:
        return message.hwnd == dialog;
    case WM_COMMAND:
        return message.hwnd == dialog && LOWORD(message.wParam) == IDCANCEL;
    }
    return false;
}

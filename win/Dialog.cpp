#include "win/Dialog.h"

#include "win/Language.h"

Dialog* Dialog::s_main = nullptr;

namespace {

// Centres a dialog over its owner, or over the desktop's work area when it has none.
void Centre(HWND hwnd)
{
    RECT area;
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT window;
    GetWindowRect(hwnd, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

INT_PTR Dialog::DoModalAsMain()
{
    SetMain(this);
    const INT_PTR result = DoModal();
    SetMain(nullptr);
    return result;
}

INT_PTR Dialog::DoModal()
{
    HWND owner = s_main == this ? nullptr : MainWindow();
    // The template of the wizard's language, looked up by the program itself:
    // the system's own choice follows the thread's locale on XP and the user's
    // interface language later, neither of which /LANG changes.
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindUiResource((LPCWSTR)RT_DIALOG, MAKEINTRESOURCEW(m_templateId));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto* dialogTemplate = loaded ? (LPCDLGTEMPLATEW)LockResource(loaded) : nullptr;
    if (!dialogTemplate)
        return -1;
    // Created by the wide function, the dialog and its controls are Unicode
    // windows: they show every character of their texts.
    INT_PTR result = DialogBoxIndirectParamW(module, dialogTemplate, owner, DialogProc, (LPARAM)this);
    m_hwnd = nullptr;
    return result;
}

void Dialog::OnOK()
{
    DoDataExchange(true);
    EndDialog(IDOK);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = (Dialog*)lParam;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dialog->m_hwnd = hwnd;
        Centre(hwnd);
        dialog->DoDataExchange(false);
        return dialog->OnInitDialog();
    }
    auto* dialog = (Dialog*)GetWindowLongPtrW(hwnd, DWLP_USER);
    if (!dialog)
        return FALSE;

    switch (message) {
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        UINT code = HIWORD(wParam);
        if (id == IDOK && code == BN_CLICKED) {
            dialog->OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            dialog->OnCancel();
            return TRUE;
        }
        return dialog->OnCommand(id, code);
    }
    case WM_CLOSE:
        // The close box, Alt+F4: at once, as Cancel and Escape do, rather
        // than through the command IDCANCEL that the default handling posts,
        // behind whatever input is queued by then (a second click).
        dialog->OnCancel();
        return TRUE;
    case WM_SYSCOMMAND:
        if (!dialog->OnSysCommand((UINT)wParam, lParam))
            return FALSE;
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_PAINT:
        return dialog->OnPaint();
    case WM_TIMER:
        return dialog->OnTimer(wParam);
    case WM_QUERYDRAGICON:
        // One of the few messages whose result the dialog procedure returns directly.
        return (INT_PTR)dialog->OnQueryDragIcon();
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        return FALSE;
    }
    return FALSE;
}

// A modal dialog run from a template in the program's resources, with its
// messages routed to virtual handlers. One dialog procedure serves every dialog.
#pragma once
#include <windows.h>

class Dialog {
public:
    explicit Dialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally, owned by the main window (none for the main window
    // itself); returns the value given to EndDialog, or -1 when it cannot be created.
    INT_PTR DoModal();
    // Runs the dialog modally as the main window, the owner of every other
    // dialog and box while it runs.
    INT_PTR DoModalAsMain();

    HWND Hwnd() const { return m_hwnd; }

    // The main window owns every other dialog and message box of the program.
    static void SetMain(Dialog* dialog) { s_main = dialog; }
    static HWND MainWindow() { return s_main ? s_main->m_hwnd : nullptr; }

protected:
    // Binds controls and moves values between members and controls:
    // towards the controls at initialisation, from them when OK ends the dialog.
    virtual void DoDataExchange(bool /*fromControls*/) {}
    // Returns TRUE to let the system place the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Commands other than OK and Cancel; true when handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/) { return false; }
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // System-menu commands; false hands the command to the default processing.
    virtual bool OnSysCommand(UINT /*id*/, LPARAM /*lParam*/) { return false; }
    // false hands the paint message to the default processing.
    virtual bool OnPaint() { return false; }
    // The icon shown while the minimised window is dragged; none by default.
    virtual HICON OnQueryDragIcon() { return nullptr; }
    // A timer of the dialog's window (SetTimer) has come due; true when handled.
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }

    void EndDialog(INT_PTR result) { ::EndDialog(m_hwnd, result); }
    // The window's icon, large and small.
    void SetIcon(HICON icon)
    {
        SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, (LPARAM)icon);
        SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    }
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
    // Moves the focus the way the dialog manager does, so that Enter presses the
    // focused push button.
    void FocusControl(HWND control) { SendMessageW(m_hwnd, WM_NEXTDLGCTL, (WPARAM)control, TRUE); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_hwnd = nullptr;
    static Dialog* s_main;
};

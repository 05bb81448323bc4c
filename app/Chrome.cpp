// The window furniture of the wizard: About box, minimised icon, drag icon.
#include "app/AboutDlg.h"
#include "app/InstallDlg.h"
#include "res/resource.h"

bool CInstallDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    CAboutDlg about;
    about.DoModal();
    return true;
}

void CInstallDlg::OnAbout()
{
    OnSysCommand(IDM_ABOUTBOX, 0);
}

bool CInstallDlg::OnPaint()
{
    if (!IsIconic(Hwnd()))
        return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Hwnd(), &paint);
    SendMessageA(Hwnd(), WM_ICONERASEBKGND, (WPARAM)dc, 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(Hwnd(), &client);
    // Integer division truncates toward zero, as the drawing position always has.
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(Hwnd(), &paint);
    return true;
}

HICON CInstallDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

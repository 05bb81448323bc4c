// The window furniture of the wizard: About box, minimised icon, drag icon.
#include "app/Chrome.h"

#include "app/AboutDlg.h"
#include "app/InstallDlg.h"
#include "res/resource.h"

POINT CentredIconPosition(const RECT& client, int iconWidth, int iconHeight)
{
    // C++ division truncates toward zero: (30 - 32 + 1) / 2 is 0, not -1.
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    return {x, y};
}

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
    SendMessageW(Hwnd(), WM_ICONERASEBKGND, (WPARAM)dc, 0);
    RECT client;
    GetClientRect(Hwnd(), &client);
    POINT at = CentredIconPosition(client, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, at.x, at.y, m_hIcon);
    EndPaint(Hwnd(), &paint);
    return true;
}

HICON CInstallDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

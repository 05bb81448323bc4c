#include "app/PackDlg.h"

#include "pack/KitPacker.h"
#include "res/resource.h"
#include "win/MessageBox.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

// Its tick comes after the window has painted, so the packing is seen from its start.
const UINT_PTR kStartTimer = 1;

std::string FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return "?";
    return std::to_string((unsigned long long)data.nFileSizeHigh << 32 | data.nFileSizeLow);
}

} // namespace

CPackDlg::CPackDlg(const std::string& program, const std::string& kitFolder, const std::string& output,
                   bool unattended)
    : Dialog(IDD_WIZARD), m_program(program), m_kitFolder(kitFolder), m_output(output), m_unattended(unattended)
{
}

void CPackDlg::DoDataExchange(bool fromControls)
{
    if (fromControls)
        return;
    m_nextButton.Attach(Item(IDC_NEXT));
    m_finishButton.Attach(Item(IDOK));
    m_statusText.Attach(Item(IDC_STATUS_TEXT));
    m_progress.Attach(Item(IDC_PROGRESS));
}

BOOL CPackDlg::OnInitDialog()
{
    SetIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
    // Packing asks nothing, cannot be stopped and keeps no log: the text, the
    // bar and the buttons' row, where "Finish" ends it.
    for (int id : {IDC_ABOUT, IDC_VIEW_README, IDC_CREATE_LOG})
        ShowWindow(Item(id), SW_HIDE);
    EnableWindow(Item(IDCANCEL), FALSE);
    m_nextButton.Enable(false);
    m_finishButton.Enable(false);
    SetStatusText(Format(LoadResString(IDS_PACKING).c_str(), m_output.c_str()));
    m_progress.SetPos(0);
    SetTimer(Hwnd(), kStartTimer, USER_TIMER_MINIMUM, nullptr);
    return TRUE;
}

bool CPackDlg::OnTimer(UINT_PTR id)
{
    if (id != kStartTimer)
        return false;
    KillTimer(Hwnd(), kStartTimer);
    Pack();
    return true;
}

void CPackDlg::SetStatusText(const std::string& text)
{
    m_statusText.SetStatus(text, m_progress.Hwnd());
    // The text area lies under the bar: paint the text, then the bar over it.
    UpdateWindow(m_statusText.Hwnd());
    RedrawWindow(m_progress.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CPackDlg::ShowProgress(int done, int total)
{
    m_progress.FollowSteps(done, total);
    m_pendingMessages.Dispatch();
}

void CPackDlg::Pack()
{
    std::string reason;
    m_packed = PackKit(m_program, m_kitFolder, m_output,
                       [this](int done, int total) { ShowProgress(done, total); }, reason);
    m_progress.SetQuiet(false);
    // The reason may take the whole text area, which the bar would cover.
    m_progress.Show(m_packed);
    const MessageText text = m_packed ? FormatMessageText(IDS_PACKED, m_output.c_str(), FileSize(m_output).c_str())
                                      : FormatMessageText(IDS_PACK_FAILED, reason.c_str());
    SetStatusText(text.shown);
    if (m_unattended) {
        EndDialog(IDOK);
        return;
    }
    if (!m_packed)
        ShowMessage(text, MB_OK | MB_ICONSTOP);
    m_finishButton.Enable(true);
    m_finishButton.SetDefault(true);
    m_nextButton.SetDefault(false);
    FocusControl(m_finishButton.Hwnd());
}

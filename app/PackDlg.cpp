#include "app/PackDlg.h"

#include "pack/KitPacker.h"
#include "res/resource.h"
#include "win/MessageBox.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

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
    : CWorkDlg(Format(LoadResString(IDS_PACKING).c_str(), output.c_str()),
               [this, program, kitFolder, output](const Progress& progress) {
                   return PackKit(program, kitFolder, output, progress, m_reason);
               }),
      m_output(output), m_unattended(unattended)
{
}

void CPackDlg::OnWorkDone()
{
    const bool packed = Succeeded();
    // The reason may take the whole text area, which the bar would cover.
    m_progress.Show(packed);
    const MessageText text = packed ? FormatMessageText(IDS_PACKED, m_output.c_str(), FileSize(m_output).c_str())
                                    : FormatMessageText(IDS_PACK_FAILED, m_reason.c_str());
    SetStatusText(text.shown);
    if (m_unattended) {
        EndDialog(IDOK);
        return;
    }
    if (!packed)
        ShowMessage(text, MB_OK | MB_ICONSTOP);
    m_finishButton.Enable(true);
    m_finishButton.SetDefault(true);
    m_nextButton.SetDefault(false);
    FocusControl(m_finishButton.Hwnd());
}

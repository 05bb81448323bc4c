// Packing a kit into one setup program in the wizard's window: the bar
// follows the files, and the window ends with the setup's path and size, or
// with the reason it could not be made.
#pragma once
#include <string>

#include "app/WorkDlg.h"

class CPackDlg : public CWorkDlg {
public:
    // Packs the program file `program` with the kit of `kitFolder` into
    // `output`. An `unattended` dialog shows no box and closes itself at the end.
    CPackDlg(const std::string& program, const std::string& kitFolder, const std::string& output, bool unattended);

protected:
    void OnWorkDone() override;

private:
    std::string m_output;
    bool m_unattended;
    // Why the setup could not be written.
    std::string m_reason;
};

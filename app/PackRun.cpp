#include "app/PackRun.h"

#include "app/PackDlg.h"
#include "journal/KitId.h"
#include "kit/KitName.h"
#include "pack/KitPacker.h"
#include "win/ProcessPaths.h"

std::string DefaultSetupPath(const std::string& kitFolder)
{
    size_t slash = kitFolder.find_last_of('\\');
    std::string parent = slash == std::string::npos ? kitFolder : kitFolder.substr(0, slash);
    return parent + "\\" + KitId(KitName(kitFolder)) + "-setup.exe";
}

int RunPacking(const InstallRun& run)
{
    const std::string kitFolder = CurrentFolderPath();
    const std::string program = ProgramFilePath();
    // The system tells both to any running program; without them there is nothing to pack.
    if (kitFolder.empty() || program.empty())
        return kExitPackFailed;
    const std::string output = run.Line().packOutput.empty() ? DefaultSetupPath(kitFolder) : run.Line().packOutput;
    if (!run.HasWindow()) {
        std::string reason;
        return PackKit(program, kitFolder, output, nullptr, reason) ? kExitPacked : kExitPackFailed;
    }
    CPackDlg window(program, kitFolder, output, run.IsUnattended());
    window.DoModalAsMain();
    return window.Succeeded() ? kExitPacked : kExitPackFailed;
}

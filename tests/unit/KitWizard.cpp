#include "KitWizard.h"

#include "frontpage/Registry.h"

KitWizard::KitWizard()
{
    registry.SetString(std::string(g_regExplorer) + g_regTempFilesCache, g_regFolder, logFolder.Path());
    wizard.m_logging = true;
    wizard.OpenLog();
    m_status = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    wizard.m_statusText.Attach(m_status);
}

KitWizard::~KitWizard()
{
    wizard.CloseLog();
    DestroyWindow(m_status);
}

std::string KitWizard::Log() const
{
    std::string log = ReadFileBytes(wizard.m_logPath);
    size_t start = 0;
    for (int line = 0; line < 6 && start != std::string::npos; ++line) {
        start = log.find("\r\n", start);
        if (start != std::string::npos)
            start += 2;
    }
    return start == std::string::npos ? "(no log header)" : log.substr(start);
}

std::string KitWizard::Status() const
{
    return TextOf(m_status);
}

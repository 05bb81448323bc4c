#include "win/ProcessPaths.h"

#include <windows.h>

#include "win/Unicode.h"

std::string ProgramFilePath()
{
    // The length is not told in advance: grow the buffer until the path fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring path(size, L'\0');
        DWORD length = GetModuleFileNameW(nullptr, &path[0], size);
        if (length == 0)
            return std::string();
        if (length < size)
            return Utf8(path.c_str(), length);
    }
    return std::string();
}

std::string CurrentFolderPath()
{
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return std::string();
    std::wstring path(size, L'\0');
    DWORD length = GetCurrentDirectoryW(size, &path[0]);
    return length > 0 && length < size ? Utf8(path.c_str(), length) : std::string();
}

bool EnterSystemFolder()
{
    wchar_t system[MAX_PATH];
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    return length > 0 && length < MAX_PATH && SetCurrentDirectoryW(system);
}

EnteredFolder::~EnteredFolder()
{
    if (!m_entered)
        return;
    // The folder before may be gone, or could not be told.
    if (m_previous.empty() || !SetCurrentDirectoryW(Wide(m_previous).c_str()))
        EnterSystemFolder();
}

bool EnteredFolder::Enter(const std::string& folder)
{
    std::string previous = CurrentFolderPath();
    if (!SetCurrentDirectoryW(Wide(folder).c_str()))
        return false;
    if (!m_entered)
        m_previous = previous;
    m_entered = true;
    return true;
}

#include "win/FileHolder.h"

#include <windows.h>
#include <restartmanager.h>

#include <vector>

#include "win/SystemLibrary.h"
#include "win/Unicode.h"

namespace {

using RmStartSessionFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RmRegisterResourcesFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
using RmGetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
using RmEndSessionFn = DWORD(WINAPI*)(DWORD);

// The list may grow between two calls; a few rounds are plenty.
const int kListRounds = 3;

} // namespace

std::string ProgramHoldingFile(const std::string& path)
{
    // Loaded once, when first asked: the library stays for the process's life.
    static const HMODULE library = LoadSystemLibrary("rstrtmgr.dll");
    const auto start = LibraryFunction<RmStartSessionFn>(library, "RmStartSession");
    const auto registerFiles = LibraryFunction<RmRegisterResourcesFn>(library, "RmRegisterResources");
    const auto list = LibraryFunction<RmGetListFn>(library, "RmGetList");
    const auto end = LibraryFunction<RmEndSessionFn>(library, "RmEndSession");
    if (!start || !registerFiles || !list || !end)
        return std::string();

    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (start(&session, 0, key) != ERROR_SUCCESS)
        return std::string();
    std::string name;
    const std::wstring file = Wide(path);
    LPCWSTR files[] = {file.c_str()};
    if (registerFiles(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
        std::vector<RM_PROCESS_INFO> processes(1);
        for (int round = 0; round < kListRounds; ++round) {
            UINT needed = 0;
            UINT count = (UINT)processes.size();
            DWORD reasons = 0;
            DWORD result = list(session, &needed, &count, processes.data(), &reasons);
            if (result == ERROR_MORE_DATA && needed > processes.size()) {
                processes.resize(needed);
                continue;
            }
            if (result == ERROR_SUCCESS && count > 0) {
                const WCHAR* app = processes[0].strAppName;
                size_t length = 0;
                while (length < CCH_RM_MAX_APP_NAME && app[length])
                    ++length;
                name = Utf8(app, length);
            }
            break;
        }
    }
    end(session);
    return name;
}

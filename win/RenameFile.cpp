#include "win/RenameFile.h"

#include <winternl.h>

#include <cstring>
#include <vector>

#include "win/SystemLibrary.h"

bool RenameFileInto(HANDLE file, HANDLE folder, const std::wstring& name)
{
    // The system's own rename takes a folder handle in its native form only.
    using SetInformationFile = NTSTATUS(WINAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, FILE_INFORMATION_CLASS);
    using StatusToError = ULONG(WINAPI*)(NTSTATUS);
    static const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    static const auto setInformation = LibraryFunction<SetInformationFile>(ntdll, "NtSetInformationFile");
    static const auto errorOf = LibraryFunction<StatusToError>(ntdll, "RtlNtStatusToDosError");
    if (!setInformation || !errorOf) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    const ULONG nameBytes = (ULONG)(name.size() * sizeof(wchar_t));
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFORMATION) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = folder;
    rename->FileNameLength = nameBytes;
    std::memcpy(rename->FileName, name.data(), nameBytes);
    IO_STATUS_BLOCK io;
    const NTSTATUS status = setInformation(file, &io, rename, (ULONG)buffer.size(), FileRenameInformation);
    if (status >= 0)
        return true;
    SetLastError(errorOf(status));
    return false;
}

#include "win/SystemError.h"

#include "win/Strings.h"
#include "win/Unicode.h"

std::string SystemErrorText(DWORD code)
{
    // The system's own text, with its markers left alone: no inserts are given.
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (wchar_t*)&text, 0,
                                  nullptr);
    std::string message = length > 0 && text ? Utf8(text, length) : "Unknown error";
    LocalFree(text);
    message.erase(message.find_last_not_of(" \r\n") + 1);
    return Format("(%lu) %s", code, message.c_str());
}

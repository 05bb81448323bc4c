#include "win/SystemError.h"

#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

// The system's text for `code` in `language`; empty when it has none.
std::string SystemText(DWORD code, LANGID language)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, code, language, (wchar_t*)&text, 0, nullptr);
    std::string systemText = length > 0 && text ? Utf8(text, length) : std::string();
    LocalFree(text);
    return systemText;
}

} // namespace

std::string SystemErrorText(DWORD code, LANGID language)
{
    std::string systemText = SystemText(code, language);
    if (systemText.empty())
        systemText = SystemText(code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
    return Format("(%lu) %s", code, systemText.empty() ? "Unknown error" : systemText.c_str());
}

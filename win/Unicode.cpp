#include "win/Unicode.h"

#include <windows.h>

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], length);
    return wide;
}

std::string Utf8(const wchar_t* text, size_t length)
{
    if (length == 0)
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text, (int)length, nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, (int)length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::string Utf8(const std::wstring& text)
{
    return Utf8(text.data(), text.size());
}

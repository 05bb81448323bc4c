#include "win/Strings.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

std::string LoadResString(UINT id)
{
    std::vector<char> buffer(256);
    for (;;) {
        int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer.data(), (int)buffer.size());
        if (length <= 0)
            return std::string();
        // A text that filled the buffer may have been cut: try again with more room.
        if (length < (int)buffer.size() - 1)
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(length + 1);
        vsnprintf(&text[0], text.size(), format, args);
        text.resize(length);
    }
    va_end(args);
    return text;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

std::string ToLower(std::string text)
{
    if (!text.empty())
        CharLowerBuffA(&text[0], (DWORD)text.size());
    return text;
}

#include "journal/KitId.h"

#include <windows.h>

#include "win/Unicode.h"

namespace {

const size_t kMaxLength = 64;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

bool IsKept(wchar_t c)
{
    if (c == L' ' || c == L'.' || c == L'-')
        return true;
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & (C1_ALPHA | C1_DIGIT));
}

wchar_t UpperAscii(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? (wchar_t)(c - L'a' + L'A') : c;
}

// Names that Windows takes for a device in any folder, whatever follows the
// first dot: the console, the printer, the serial and parallel ports.
bool IsDeviceName(const std::wstring& id)
{
    std::wstring base = id.substr(0, id.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (wchar_t& c : base)
        c = UpperAscii(c);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL")
        return true;
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0))
        return false;
    // The superscript digits one to three count as digits here as well.
    const wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' || digit == L'\u00b3';
}

} // namespace

std::string KitId(const std::string& name)
{
    const std::wstring wide = Wide(name);
    size_t begin = 0;
    size_t end = wide.size();
    while (begin < end && IsBlank(wide[begin]))
        ++begin;
    while (end > begin && IsBlank(wide[end - 1]))
        --end;

    std::wstring id;
    for (size_t i = begin; i < end && id.size() < kMaxLength; ++i) {
        const wchar_t c = wide[i];
        // A surrogate pair is one character, which is never kept.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < end && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF)
            ++i;
        id += IsKept(c) ? c : L'_';
    }
    if (IsDeviceName(id))
        id.insert(0, 1, L'_');
    if (id.size() > kMaxLength)
        id.resize(kMaxLength);
    if (id.empty())
        id = L"_";
    if (id.back() == L'.' || id.back() == L' ')
        id.back() = L'_';
    return Utf8(id);
}

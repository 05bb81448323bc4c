#include "pack/EntryName.h"

#include "win/Unicode.h"

namespace {

// The longest name of a file or folder, in the system's (UTF-16) characters.
const size_t kLongestPart = 255;

// A device answers to its name whatever follows its first dot, and whatever
// blanks end it. The superscript digits are the system's too.
bool IsDeviceName(const std::string& part)
{
    std::string base = part.substr(0, part.find('.'));
    // ASCII only: the names to match are ASCII, and other bytes are UTF-8.
    for (char& c : base)
        c = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
    base.erase(base.find_last_not_of(' ') + 1);
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : kDevices) {
        if (base == device)
            return true;
    }
    if (base.size() < 4 || (base.compare(0, 3, "com") != 0 && base.compare(0, 3, "lpt") != 0))
        return false;
    std::string number = base.substr(3);
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::string PartFault(const std::string& part)
{
    if (part.empty())
        return "an empty part";
    if (part == "." || part == "..")
        return "a '" + part + "' part";
    if (IsDeviceName(part))
        return "a device name";
    for (unsigned char c : part) {
        if (c < 0x20 || std::string("<>\"/|?*").find((char)c) != std::string::npos)
            return "a character not allowed in names";
    }
    if (part.back() == '.' || part.back() == ' ')
        return "a part ending in a dot or blank";
    if (Wide(part).size() > kLongestPart)
        return "a part longer than 255 characters";
    return std::string();
}

} // namespace

std::string EntryNameFault(const std::string& name)
{
    if (name.empty())
        return "an empty name";
    if (Utf8(Wide(name)) != name)
        return "a name that is not UTF-8";
    if (name[0] == '\\' || name[0] == '/')
        return "an absolute name";
    if (name.size() >= 2 && name[1] == ':')
        return "a drive";
    if (name.find(':') != std::string::npos)
        return "a stream or ':'";
    // '/' parts names as well as '\': each part is checked as the system would see it.
    for (size_t start = 0;;) {
        size_t end = name.find_first_of("\\/", start);
        std::string fault = PartFault(name.substr(start, end - start));
        if (!fault.empty() || end == std::string::npos)
            return fault;
        start = end + 1;
    }
}

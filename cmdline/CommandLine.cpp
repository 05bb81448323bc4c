#include "cmdline/CommandLine.h"

#include <windows.h>

#include "win/Language.h"
#include "win/Strings.h"
#include "win/Unicode.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Which switch a word names, and whether it takes a value after '='.
enum class Switch { Silent, VerySilent, Log, NoLog, Version, AcceptLicence, Kit, Help, Uninstall, Pack, Out, Language };

struct Known {
    const char* name;
    Switch id;
    // 0: never a value, 1: a value required, 2: a value optional.
    int value;
};

const Known kSwitches[] = {
    {"SILENT", Switch::Silent, 0},          {"VERYSILENT", Switch::VerySilent, 0},
    {"LOG", Switch::Log, 2},                {"NOLOG", Switch::NoLog, 0},
    {"VERSION", Switch::Version, 1},        {"ACCEPTLICENCE", Switch::AcceptLicence, 0},
    {"ACCEPTLICENSE", Switch::AcceptLicence, 0}, {"KIT", Switch::Kit, 1},
    {"?", Switch::Help, 0},                 {"HELP", Switch::Help, 0},
    {"UNINSTALL", Switch::Uninstall, 0},    {"PACK", Switch::Pack, 0},
    {"OUT", Switch::Out, 1},
    {"LANG", Switch::Language, 1},
};

bool ParseVersion(const std::string& value, FrontPageVersion& version)
{
    if (value == "98")
        version = FP98;
    else if (value == "2000")
        version = FP2000;
    else if (value == "2002")
        version = FP2002;
    else if (value == "2003")
        version = FP2003;
    else
        return false;
    return true;
}

// Takes the path `value` for a switch that holds one; false when the switch
// was given before with another path, which contradicts it.
bool SetOnce(std::string& field, const std::string& value)
{
    if (field.empty())
        field = value;
    return EqualNoCase(field, value);
}

// Applies one switch word; false when it is no switch, unknown, or its value is unusable.
bool Apply(const std::string& word, CommandLine& out)
{
    if (word.size() < 2 || (word[0] != '/' && word[0] != '-'))
        return false;
    size_t equals = word.find('=');
    std::string name = word.substr(1, equals == std::string::npos ? std::string::npos : equals - 1);
    bool hasValue = equals != std::string::npos;
    std::string value = hasValue ? word.substr(equals + 1) : std::string();
    for (const Known& known : kSwitches) {
        if (!EqualNoCase(name, known.name))
            continue;
        if ((known.value == 0 && hasValue) || (known.value == 1 && value.empty()) ||
            (known.value == 2 && hasValue && value.empty()))
            return false;
        switch (known.id) {
        case Switch::Silent:
            if (out.ui == UiMode::Interactive)
                out.ui = UiMode::Silent;
            return true;
        case Switch::VerySilent:
            out.ui = UiMode::VerySilent;
            return true;
        case Switch::Log:
            if (out.log == LogChoice::Off)
                return false;
            out.log = LogChoice::On;
            return value.empty() || SetOnce(out.logFile, value);
        case Switch::NoLog:
            if (out.log == LogChoice::On)
                return false;
            out.log = LogChoice::Off;
            return true;
        case Switch::Version: {
            FrontPageVersion version = FPNone;
            if (!ParseVersion(value, version) || (out.version != FPNone && out.version != version))
                return false;
            out.version = version;
            return true;
        }
        case Switch::AcceptLicence:
            out.acceptLicence = true;
            return true;
        case Switch::Kit:
            return SetOnce(out.kitFolder, value);
        case Switch::Help:
            out.help = true;
            return true;
        case Switch::Uninstall:
            out.uninstall = true;
            return true;
        case Switch::Pack:
            out.pack = true;
            return true;
        case Switch::Out:
            return SetOnce(out.packOutput, value);
        case Switch::Language:
            return IsLanguageTag(value) && SetOnce(out.language, value);
        }
    }
    return false;
}

} // namespace

std::vector<std::string> SplitArguments(const std::string& arguments)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    size_t backslashes = 0;
    for (size_t i = 0; i < arguments.size(); ++i) {
        char c = arguments[i];
        if (c == '\\') {
            ++backslashes;
            inWord = true;
            continue;
        }
        if (c == '"') {
            word.append(backslashes / 2, '\\');
            bool literal = backslashes % 2 == 1;
            backslashes = 0;
            inWord = true;
            if (literal) {
                word += '"';
            } else if (quoted && i + 1 < arguments.size() && arguments[i + 1] == '"') {
                word += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        word.append(backslashes, '\\');
        backslashes = 0;
        if (IsBlank(c) && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        word += c;
        inWord = true;
    }
    word.append(backslashes, '\\');
    if (inWord)
        words.push_back(word);
    return words;
}

bool ParseCommandLine(const std::string& arguments, CommandLine& out, std::string& error)
{
    out = CommandLine();
    out.arguments = arguments;
    error.clear();
    // Every word is read, also after one at fault: a run must know whether it
    // may show its usage box even when /VERYSILENT comes after the fault.
    for (const std::string& word : SplitArguments(arguments)) {
        if (!Apply(word, out) && error.empty())
            error = word;
    }
    if (!error.empty())
        return false;
    // Packing installs nothing and keeps no log: of the rest, only the kit
    // folder and the window's mode go with it.
    if (out.pack &&
        (out.uninstall || out.version != FPNone || out.acceptLicence || out.log != LogChoice::AsTicked)) {
        error = "/PACK";
        return false;
    }
    // A removal takes back whatever the kit's installations did: what an
    // installation chooses has no say in it.
    if (out.uninstall && (out.version != FPNone || out.acceptLicence || !out.kitFolder.empty())) {
        error = "/UNINSTALL";
        return false;
    }
    if (!out.packOutput.empty() && !out.pack) {
        error = "/OUT";
        return false;
    }
    return true;
}

std::string ProcessArguments()
{
    const wchar_t* line = GetCommandLineW();
    // The program's name: up to the closing quote when quoted, else up to a blank.
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"')
            ++line;
        if (*line)
            ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t')
            ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return Utf8(std::wstring(line));
}

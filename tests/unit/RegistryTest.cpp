#include <gtest/gtest.h>

#include "Support.h"
#include "Text.h"
#include "frontpage/Registry.h"

namespace {

struct RegistryCase {
    const char* what;
    DWORD type;
    std::string stored;  // raw bytes as stored, NUL included where given
    bool result;
    std::string out;
};

std::string Sz(const std::string& text)
{
    return std::string(text.c_str(), text.size() + 1);
}

TEST(ReadRegistryString, ValuesOfEveryKind)
{
    SetEnvironmentVariableA("FWTEST_DIR", "C:\\Expanded");
    SetEnvironmentVariableA("FWTEST_LONG", std::string(100, 'L').c_str());
    const std::string long259(259, 'a');
    const std::string long260(260, 'a');
    const std::string long10000(10000, 'a');
    // FWTEST_LONG expands to 100 characters.
    const std::string expands259 = "%FWTEST_LONG%" + std::string(159, 'b');
    const std::string expands260 = "%FWTEST_LONG%" + std::string(160, 'b');
    const std::string dword("\x01\x00\x00\x00", 4);
    const RegistryCase cases[] = {
        {"plain", REG_SZ, Sz("C:\\FP"), true, "C:\\FP"},
        {"trailing backslash", REG_SZ, Sz("C:\\FP\\"), true, "C:\\FP"},
        {"drive root", REG_SZ, Sz("C:\\"), true, "C:"},
        {"two backslashes keep one", REG_SZ, Sz("C:\\FP\\\\"), true, "C:\\FP\\"},
        {"expandable", REG_EXPAND_SZ, Sz("%FWTEST_DIR%\\x"), true, "C:\\Expanded\\x"},
        {"plain keeps percent signs", REG_SZ, Sz("%FWTEST_DIR%\\x"), true, "%FWTEST_DIR%\\x"},
        {"unknown variable stays", REG_EXPAND_SZ, Sz("%FWTEST_NONE%"), true, "%FWTEST_NONE%"},
        {"259 characters", REG_SZ, Sz(long259), true, long259},
        {"260 characters", REG_SZ, Sz(long260), false, ""},
        {"expansion too long", REG_EXPAND_SZ, Sz("%FWTEST_LONG%" + std::string(200, 'b')), false, ""},
        {"number", REG_DWORD, dword, false, ""},
        {"multi-string", REG_MULTI_SZ, std::string("a\0b\0\0", 5), false, ""},
        {"binary", REG_BINARY, "abc", false, ""},
        {"empty", REG_SZ, Sz(""), false, ""},
        {"no final NUL", REG_SZ, "C:\\Raw", true, "C:\\Raw"},
        {"260 bytes without NUL", REG_SZ, long260, false, ""},
        {"10,000 characters", REG_SZ, Sz(long10000), false, ""},
        {"10,000 characters expandable", REG_EXPAND_SZ, Sz(long10000), false, ""},
        {"expands to 259 characters", REG_EXPAND_SZ, Sz(expands259), true, std::string(100, 'L') + std::string(159, 'b')},
        {"expands to 260 characters", REG_EXPAND_SZ, Sz(expands260), false, ""},
        {"unknown variable, long text", REG_EXPAND_SZ, Sz("%FWTEST_NONE%" + std::string(240, 'c')), true,
         "%FWTEST_NONE%" + std::string(240, 'c')},
        {"empty expandable", REG_EXPAND_SZ, Sz(""), false, ""},
        {"no bytes at all", REG_SZ, "", false, ""},
        {"none", REG_NONE, Sz("C:\\FP"), false, ""},
        {"64-bit number", REG_QWORD, std::string(8, '\x01'), false, ""},
        {"big-endian number", REG_DWORD_BIG_ENDIAN, dword, false, ""},
        {"link", REG_LINK, Sz("C:\\FP"), false, ""},
        {"resource list", REG_RESOURCE_LIST, std::string(16, '\0'), false, ""},
    };
    for (const RegistryCase& c : cases) {
        ScratchRegistry registry;
        registry.SetRaw("Fernwick\\Test", "Value", c.type, c.stored);
        std::string out = "stale";
        EXPECT_EQ(c.result ? RegistryRead::Read : RegistryRead::Missing, ReadRegistryString("Fernwick\\Test", "Value", out)) << c.what;
        EXPECT_EQ(c.out, out) << c.what;
    }
}

// Values in any script, as the system's wide functions store them; the
// limits count characters.
TEST(ReadRegistryString, ValuesInAnyScript)
{
    SetEnvironmentVariableW(L"FWTEST_GREEK", WideOf(u8"C:\\Κύμα").c_str());
    std::string greek259;
    for (int i = 0; i < 259; ++i)
        greek259 += u8"α";
    const struct {
        const char* what;
        DWORD type;
        std::string stored;
        bool result;
        std::string out;
    } cases[] = {
        {"Japanese and Greek", REG_SZ, u8"D:\\桜\\Κύμα\\", true, u8"D:\\桜\\Κύμα"},
        {"expanded", REG_EXPAND_SZ, u8"%FWTEST_GREEK%\\😀", true, u8"C:\\Κύμα\\😀"},
        {"259 characters", REG_SZ, greek259, true, greek259},
        {"260 characters", REG_SZ, greek259 + u8"α", false, ""},
    };
    for (const auto& c : cases) {
        ScratchRegistry registry;
        registry.SetString("Fernwick\\Test", "Value", c.stored, c.type);
        std::string out = "stale";
        EXPECT_EQ(c.result ? RegistryRead::Read : RegistryRead::Missing, ReadRegistryString("Fernwick\\Test", "Value", out)) << c.what;
        EXPECT_EQ(c.out, out) << c.what;
    }
}

TEST(ReadRegistryString, MissingKeyOrValueFailsSilently)
{
    ScratchRegistry registry;
    registry.SetString("Fernwick\\Test", "Other", "x");
    ModalAnswerer answerer([](HWND box) { Click(box, IDOK); });
    std::string out = "stale";
    EXPECT_EQ(RegistryRead::Missing, ReadRegistryString("Fernwick\\Missing", "Value", out));
    EXPECT_EQ("", out);
    EXPECT_EQ(RegistryRead::Missing, ReadRegistryString("Fernwick\\Test", "Value", out));
    EXPECT_EQ("", out);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    EXPECT_TRUE(answerer.Seen().empty());
}

TEST(ReadRegistryString, RefusedKeyShowsPrivilegeMessage)
{
    ScratchRegistry registry;
    registry.SetString("Fernwick\\Locked", "Value", "C:\\FP");
    registry.DenyAccess("Fernwick\\Locked");
    std::string shown;
    ModalAnswerer answerer([&](HWND box) {
        shown = TextOf(box) + "|" + MessageBoxText(box);
        Click(box, IDOK);
    });
    std::string out;
    EXPECT_EQ(RegistryRead::Refused, ReadRegistryString("Fernwick\\Locked", "Value", out));
    EXPECT_EQ("", out);
    EXPECT_EQ("FrontPage Fernwick|You do not have sufficient privilege.\nPlease log on as an Administrator.",
              shown);
}

TEST(ReadRegistryString, ReadsBelowSoftwareMicrosoft)
{
    ScratchRegistry registry;
    registry.SetString(g_regFrontPage98, g_regFrontPageRoot, "C:\\Program Files\\FrontPage\\");
    std::string out;
    EXPECT_EQ(RegistryRead::Read, ReadRegistryString(g_regFrontPage98, g_regFrontPageRoot, out));
    EXPECT_EQ("C:\\Program Files\\FrontPage", out);
}

} // namespace

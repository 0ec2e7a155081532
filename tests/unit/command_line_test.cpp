// The command line: the program name skipped, the mode and handle chosen, and a fuzz check
// that random lines never crash the reader and always follow the first-letter rule.
#include "host/command_line.h"
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {
const char* StepOne(const char* p)
{
    return *p ? p + 1 : p;
}

struct SkipCase {
    const char* line;
    const char* mode_text;
};

TEST(SkipProgramName, LeavesTheModeText)
{
    const SkipCase cases[] = {
        {"", ""},
        {"purl.scr", ""},
        {"purl.scr   ", ""},
        {"\"C:\\Program Files\\purl.scr\" /s", "/s"},
        {"\"C:\\Program Files\\purl.scr\"/s", "/s"},
        {"C:\\WINDOWS\\purl.scr   -S", "-S"},
        {"purl.scr\t\t/s", "/s"},
        {"purl.scr \t \x01/p 12", "/p 12"},
        {"\"unclosed name /s", ""},
        {"\"\" /c", "/c"},
        {"\xe9t\xe9.scr /s", "/s"},
        {" /s", "/s"},
    };
    for (const SkipCase& c : cases)
        EXPECT_STREQ(SkipProgramName(c.line, StepOne), c.mode_text) << c.line;
}

TEST(SkipProgramName, StepsWithTheGivenCharacterFunction)
{
    // A double-byte character whose second byte is a quote must not end a quoted name.
    auto double_byte = [](const char* p) -> const char* {
        if (static_cast<unsigned char>(*p) == 0x81 && p[1] != '\0')
            return p + 2;
        return *p ? p + 1 : p;
    };
    EXPECT_STREQ(SkipProgramName("\"a\x81\"b\" /s", double_byte), "/s");
}

TEST(ParseWindowHandle, ReadsDecimalAndWraps)
{
    EXPECT_EQ(ParseWindowHandle(""), 0u);
    EXPECT_EQ(ParseWindowHandle("x12"), 0u);
    EXPECT_EQ(ParseWindowHandle("1234"), 1234u);
    EXPECT_EQ(ParseWindowHandle("1234:5"), 1234u);
    EXPECT_EQ(ParseWindowHandle("4294967295"), 4294967295u);
    EXPECT_EQ(ParseWindowHandle("4294967296"), 0u);
    EXPECT_EQ(ParseWindowHandle("4294968530"), 1234u);
    EXPECT_EQ(ParseWindowHandle("99999999999"), static_cast<uint32_t>(99999999999ull));
}

struct ModeCase {
    const char* text;
    SaverMode mode;
    uint32_t handle;
    bool handle_given;
};

TEST(ReadModeText, ChoosesTheModeFromTheFirstLetter)
{
    const ModeCase cases[] = {
        {"", SaverMode::ConfigureNoSwitch, 0, false},
        {"   ", SaverMode::ConfigureNoSwitch, 0, false},
        {"/s", SaverMode::Saver, 0, false},
        {"-S", SaverMode::Saver, 0, false},
        {"//--  s", SaverMode::Saver, 0, false},
        {"/s anything /c:1", SaverMode::Saver, 0, false},
        {"s", SaverMode::Saver, 0, false},
        {"/p 1234", SaverMode::Preview, 1234, true},
        {"/P1234", SaverMode::Preview, 1234, true},
        {"/l 1234", SaverMode::Preview, 1234, true},
        {"/L    1234", SaverMode::Preview, 1234, true},
        {"/p:1234", SaverMode::Preview, 0, true},
        {"/p", SaverMode::Preview, 0, true},
        {"/p\t1234", SaverMode::Preview, 0, true},
        {"/p 4294968530", SaverMode::Preview, 1234, true},
        {"/c", SaverMode::Configure, 0, false},
        {"/c:1234", SaverMode::Configure, 1234, true},
        {"/C:0", SaverMode::Configure, 0, true},
        {"/c 1234", SaverMode::Configure, 0, false},
        {"/c: 1234", SaverMode::Configure, 0, true},
        {"/a 1234", SaverMode::ChangePassword, 1234, true},
        {"-A", SaverMode::ChangePassword, 0, true},
        {"/x", SaverMode::Invalid, 0, false},
        {"/9", SaverMode::Invalid, 0, false},
        {"/\ts", SaverMode::Invalid, 0, false},
        {"/\x80", SaverMode::Invalid, 0, false},
        {"/\xd3", SaverMode::Invalid, 0, false},
        {"/\xff s", SaverMode::Invalid, 0, false},
        {"+s", SaverMode::Invalid, 0, false},
    };
    for (const ModeCase& c : cases) {
        const ModeChoice choice = ReadModeText(c.text);
        EXPECT_EQ(choice.mode, c.mode) << c.text;
        EXPECT_EQ(choice.handle, c.handle) << c.text;
        EXPECT_EQ(choice.handle_given, c.handle_given) << c.text;
    }
}

// The letter that decides, and the mode it gives, as literal results.
struct LetterCase {
    char letter;
    SaverMode mode;
};
const LetterCase kLetters[] = {
    {'s', SaverMode::Saver},          {'S', SaverMode::Saver},     {'p', SaverMode::Preview},
    {'P', SaverMode::Preview},        {'l', SaverMode::Preview},   {'L', SaverMode::Preview},
    {'c', SaverMode::Configure},      {'C', SaverMode::Configure}, {'a', SaverMode::ChangePassword},
    {'A', SaverMode::ChangePassword}, {'x', SaverMode::Invalid},   {'0', SaverMode::Invalid},
    {':', SaverMode::Invalid},        {'"', SaverMode::Invalid},   {'\x80', SaverMode::Invalid},
    {'\xff', SaverMode::Invalid},     {'+', SaverMode::Invalid},
};

// Random lines: a program name, a run of spaces, dashes and slashes, then (or not) a deciding
// letter from the table and any tail. The mode is the letter's, or no switch without one.
TEST(ReadModeText, RandomLinesFollowTheRules)
{
    std::mt19937 generator(20261208);
    const std::string lead = " -/";
    const std::string tail_alphabet = " -/sSpPlLcCaAx09:\t\"\x80\xff";
    for (int round = 0; round < 100000; ++round) {
        std::string line = generator() % 2 ? "purl.scr " : "\"C:\\a b\\purl.scr\" ";
        const size_t program_end = line.size();
        for (int i = static_cast<int>(generator() % 6); i > 0; --i)
            line += lead[generator() % lead.size()];
        const bool has_letter = generator() % 10 != 0;
        const LetterCase& letter = kLetters[generator() % (sizeof kLetters / sizeof kLetters[0])];
        if (has_letter) {
            line += letter.letter;
            for (int i = static_cast<int>(generator() % 12); i > 0; --i) {
                const bool any_byte = generator() % 5 == 0;
                line += any_byte ? static_cast<char>(1 + generator() % 255)
                                 : tail_alphabet[generator() % tail_alphabet.size()];
            }
        }
        const char* text = SkipProgramName(line.c_str(), StepOne);
        ASSERT_GE(text, line.c_str() + program_end) << line;
        ASSERT_LE(text, line.c_str() + line.size());
        const ModeChoice choice = ReadModeText(text);
        ASSERT_EQ(choice.mode, has_letter ? letter.mode : SaverMode::ConfigureNoSwitch) << line;
        if (choice.mode != SaverMode::Preview && choice.mode != SaverMode::ChangePassword &&
            !choice.handle_given) {
            ASSERT_EQ(choice.handle, 0u) << line;
        }
    }
}
} // namespace

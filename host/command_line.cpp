// Reading the command line: skipping the program's name and choosing the run mode.
#include "host/command_line.h"

namespace {
bool IsAboveSpace(const char* p)
{
    return static_cast<unsigned char>(*p) > ' ';
}

const char* SkipSpaces(const char* p)
{
    while (*p == ' ')
        ++p;
    return p;
}
} // namespace

const char* SkipProgramName(const char* line, NextCharFn next_char)
{
    const char* p = line;
    if (*p == '"') {
        do {
            p = next_char(p);
        } while (*p != '"' && *p != '\0');
        if (*p == '"')
            p = next_char(p);
    } else if (IsAboveSpace(p)) {
        while (IsAboveSpace(p))
            p = next_char(p);
    }
    while (*p != '\0' && !IsAboveSpace(p))
        p = next_char(p);
    return p;
}

uint32_t ParseWindowHandle(const char* text)
{
    uint32_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return value;
}

ModeChoice ReadModeText(const char* text)
{
    for (const char* p = text;; ++p) {
        const signed char c = static_cast<signed char>(*p);
        switch (c) {
        case ' ':
        case '-':
        case '/':
            continue;
        case '\0':
            return {SaverMode::ConfigureNoSwitch, 0, false};
        case 's':
        case 'S':
            return {SaverMode::Saver, 0, false};
        case 'p':
        case 'P':
        case 'l':
        case 'L':
            return {SaverMode::Preview, ParseWindowHandle(SkipSpaces(p + 1)), true};
        case 'c':
        case 'C':
            if (p[1] == ':')
                return {SaverMode::Configure, ParseWindowHandle(p + 2), true};
            return {SaverMode::Configure, 0, false};
        case 'a':
        case 'A':
            return {SaverMode::ChangePassword, ParseWindowHandle(SkipSpaces(p + 1)), true};
        default:
            return {SaverMode::Invalid, 0, false};
        }
    }
}

// Reading the command line: skipping the program's name and choosing the run mode from the
// first switch letter. Plain text in, plain values out; the entry point applies them.
#pragma once
#include <cstdint>

enum class SaverMode {
    Saver,
    Preview,
    Configure,         // "/c", with or without ":hwnd"
    ConfigureNoSwitch, // the line ended before any switch letter
    ChangePassword,
    Invalid,
};

struct ModeChoice {
    SaverMode mode;
    uint32_t handle;   // the window named on the line, 0 when none
    bool handle_given; // Configure only: a ":" followed the letter
};

// Advances one character; the entry passes CharNextA so multi-byte names are stepped whole.
using NextCharFn = const char* (*)(const char*);

// Returns the mode text: what follows the program's name and the blanks after it.
const char* SkipProgramName(const char* line, NextCharFn next_char);

// Reads an unsigned decimal number, wrapping modulo 2^32; no digits give 0.
uint32_t ParseWindowHandle(const char* text);

// Chooses the mode from the mode text.
ModeChoice ReadModeText(const char* text);

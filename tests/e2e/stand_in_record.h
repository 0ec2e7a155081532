// The record that the stand-in PASSWORD.CPL and MPR.DLL share with the test driver through a
// named file mapping: what the driver wants them to answer, and what they saw.
#pragma once
#include <cstdint>
#include <windows.h>

const char kStandInMapping[] = "PurlStandInRecord";

struct StandInRecord {
    // PASSWORD.CPL
    LONG password_loads; // attached to a process
    LONG password_frees; // detached by FreeLibrary (not by the process ending)
    LONG verify_calls;
    LONG verify_depth;          // verify calls under way now
    LONG verify_depth_max;      // the most ever under way at once
    uint64_t verify_owner;      // the window handed to the last verify call
    LONG running_during_verify; // SPI_GETSCREENSAVERRUNNING read inside the saver's process
    LONG answers[8];            // the answer to call n (1-based) is answers[n - 1]
    LONG later_answer;          // the answer to calls after the eighth
    LONG dialog_ms;             // how long the stand-in dialog pumps messages before answering
    LONG nudge_during_dialog;   // post key presses and a close to the owner while the dialog is up
    LONG nudge_on_return;       // post a key press to the owner just before answering
    // MPR.DLL
    LONG mpr_loads;
    LONG mpr_frees;
    LONG change_calls;
    char change_provider[16];
    uint64_t change_parent;
    uint64_t change_third;
    uint64_t change_fourth;
};

// Opens (creating if needed) the shared record; null on failure.
inline StandInRecord* OpenStandInRecord()
{
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(StandInRecord), kStandInMapping);
    if (mapping == nullptr)
        return nullptr;
    return static_cast<StandInRecord*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(StandInRecord)));
}

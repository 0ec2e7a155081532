// SaverState: the process-wide record of the saver host, shared by the host's layers.
// Handles are held as plain pointers so the decisions that read this record build without
// windows.h.
#pragma once
#include <cstdint>

struct CursorPoint {
    int32_t x;
    int32_t y;
};

struct SaverState {
    void* instance = nullptr;
    bool is_win9x = false;

    bool is_preview = false;
    void* saver_window = nullptr;
    uint32_t autoplay_message = 0;
    CursorPoint last_cursor = {0, 0};
    void* imm_module = nullptr;
    void* imm_associate_context = nullptr;
    void* saved_ime_context = nullptr;

    uint32_t mouse_threshold = 4;

    void* password_dll = nullptr;
    void* verify_password = nullptr;
    bool checking_password = false;
    uint32_t close_granted = 0;
    uint32_t last_check_tick = 0xFFFFFFFFu;
    // Whether a check has ended yet: kept apart from the time, since a check may end when the
    // tick counter reads 0xFFFFFFFF too.
    bool checked_before = false;
};

extern SaverState g_saver;

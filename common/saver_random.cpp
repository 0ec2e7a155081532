// The process's one pseudo-random generator (a 32-bit linear congruential generator).
#include "common/saver_random.h"

namespace {
uint32_t random_state = 1;
}

uint32_t SaverRandom()
{
    random_state = random_state * 214013u + 2531011u;
    return (random_state >> 16) & 0x7FFF;
}

void RestartSaverRandom()
{
    random_state = 1;
}

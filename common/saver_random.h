// The process's one pseudo-random generator: a fixed sequence that starts from state 1,
// so every run of the saver draws the same numbers (41, 18467, 6334, 26500, ...).
#pragma once
#include <cstdint>

// Advances the generator and returns a value from 0 to 32767.
uint32_t SaverRandom();

// Puts the generator back to its process-start state; for tests and benchmarks only.
void RestartSaverRandom();

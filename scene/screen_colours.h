// What the screen keeps of a colour, measured through a bitmap compatible with it: per channel
// on a direct-colour screen, its palette on a screen of 256 colours or fewer.
#pragma once
#include "scene/melt.h"
#include <windows.h>

// Fills colours for the screen behind reference. False when it could not be measured (the
// bitmap could not be made); the melt then keeps every 8-bit channel value.
bool ReadScreenColours(HDC reference, ScreenColours& colours);

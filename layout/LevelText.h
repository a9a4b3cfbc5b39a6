#pragma once
// A zoom level given as text, by a command or a saved layout: atoi's value
// (0 for no text), held within 16 bits so that a huge number clamps instead
// of wrapping to some other level.
#include <cstdint>

std::int16_t LevelFromText(const char* text);

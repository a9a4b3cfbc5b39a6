#include "layout/LevelText.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

std::int16_t LevelFromText(const char* text) {
    const int value = text ? std::atoi(text) : 0;
    return static_cast<std::int16_t>(std::clamp(value, SHRT_MIN, SHRT_MAX));
}

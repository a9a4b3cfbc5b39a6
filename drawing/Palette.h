#pragma once
// The module's 35 colours, each in three light modes (0 day, 1 dusk, 2 night).
#include <cstdint>

inline constexpr unsigned kPaletteSize = 35;

// 0xAARRGGBB with the given opacity (255 by default). An index or mode out of
// range gives black.
std::uint32_t PaletteColour(unsigned index, int mode);
std::uint32_t PaletteColour(unsigned index, int mode, std::uint8_t opacity);

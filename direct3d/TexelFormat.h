#pragma once
// The texture formats the software device stores, and their decoding into
// straight 0xAARRGGBB texels.
#include <cstdint>

#include "direct3d/d3d9types.h"

namespace d3d9soft {

// Bytes per texel; 0 for a format textures cannot have.
int TexelSize(D3DFORMAT format);
// Formats without alpha decode as opaque.
bool HasAlpha(D3DFORMAT format);
std::uint32_t DecodeTexel(D3DFORMAT format, const std::uint8_t* texel);
// count texels from src into dst, premultiplied when asked.
void DecodeTexels(D3DFORMAT format, const std::uint8_t* src, std::uint32_t* dst, int count,
                  bool premultiply);

}  // namespace d3d9soft

#pragma once
// The general path of DrawPrimitive: any triangle, pixel by pixel. Pixel
// centres lie on integer coordinates and positions are snapped to 1/256 pixel
// before edge tests; a pixel whose centre lies on an edge belongs to the
// triangle only when that is a top or left edge. Texture coordinates and the
// diffuse colour are interpolated affinely (rhw is not used); point sampling
// takes the texel whose area holds the sample, the upper one on an edge.
#include "direct3d/DrawState.h"

namespace d3d9soft {

// a, b, c in the order that decides the winding for culling.
void DrawTriangle(const Target& target, const DrawState& state, const Vertex& a, const Vertex& b,
                  const Vertex& c);

// The texel colour that the device's sampler returns for texture coordinates
// in texels (u * width, v * height): straight and premultiplied 0xAARRGGBB.
struct TexelSample {
    std::uint32_t straight;
    std::uint32_t premultiplied;
};
TexelSample SampleTexture(const TextureStorage& texture, Filter filter, double u, double v);

// Stage 0 and the blend applied to one pixel; diffuse is straight 0xAARRGGBB.
std::uint32_t ShadePixel(const DrawState& state, const TexelSample* texel, std::uint32_t diffuse,
                         std::uint32_t destination);

}  // namespace d3d9soft

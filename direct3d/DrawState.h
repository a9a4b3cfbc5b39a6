#pragma once
// What a draw needs to know of the device's states, resolved once per draw:
// where it may write, how stage 0 combines texture and diffuse colour, how the
// result blends, and how the texture is filtered.
#include <cstdint>

#include "direct3d/d3d9types.h"

namespace d3d9soft {

class ColumnBatch;
class SolidArea;
class TextureStorage;

// One pre-transformed vertex of the format XYZRHW | DIFFUSE | TEX1.
struct Vertex {
    float x;
    float y;
    float z;
    float rhw;
    D3DCOLOR diffuse;
    float u;
    float v;
};
static_assert(sizeof(Vertex) == 28);

// A 32-bit render target and the rectangle drawing is limited to (the
// viewport within the target).
struct Target {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // in pixels
    RECT clip{};
    // Where the target holds one colour, kept true by whoever draws; null
    // when nothing is known.
    SolidArea* solid = nullptr;
    // Where columns of one sweep are kept to be drawn together; null when
    // everything is drawn at once. Whoever writes the pixels otherwise
    // flushes it first.
    ColumnBatch* columns = nullptr;
};

enum class Filter { kPoint, kLinear };

// Which inputs the colour and the alpha of stage 0 multiply together. A
// texture that is not set counts as opaque white, which changes nothing.
struct Combiner {
    bool colourTexture = false;
    bool colourDiffuse = false;
    bool alphaTexture = false;
    bool alphaDiffuse = false;
    friend bool operator==(const Combiner&, const Combiner&) = default;
};

struct DrawState {
    TextureStorage* texture = nullptr;
    Combiner combiner;
    bool blend = false;
    DWORD srcBlend = D3DBLEND_ONE;
    DWORD destBlend = D3DBLEND_ZERO;
    DWORD cull = D3DCULL_NONE;
    Filter minFilter = Filter::kPoint;
    Filter magFilter = Filter::kPoint;
};

// The filter Direct3D picks for a footprint: minification when a pixel step
// covers more than one texel along either screen axis.
inline Filter PickFilter(const DrawState& state, double dudx, double dvdx, double dudy,
                         double dvdy) {
    const double rx = dudx * dudx + dvdx * dvdx;
    const double ry = dudy * dudy + dvdy * dvdy;
    return (rx > 1.0 || ry > 1.0) ? state.minFilter : state.magFilter;
}

}  // namespace d3d9soft

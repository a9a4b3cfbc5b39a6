#pragma once
// The echogram drawn as textured triangle strips whose columns are sweeps:
// each column stands at x between its top and bottom and shows one texture
// row, its samples stretched from top to bottom.
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/WinTypes.h"

class VexanDevice;
struct IDirect3DTexture9;

struct EtrColumn {
    double x = 0.0;
    double top = 0.0;
    double bottom = 0.0;
    std::uint32_t sampleCount = 0;
    std::uint32_t row = 0;
};

// A pre-transformed vertex: XYZRHW | DIFFUSE | TEX1.
struct EtrVertex {
    float x;
    float y;
    float z;
    float rhw;
    std::uint32_t colour;
    float u;
    float v;
};
static_assert(sizeof(EtrVertex) == 28);

inline constexpr DWORD kEtrVertexFormat = 0x144;

// The strips that draw the columns (in order of increasing x) on a surface
// width pixels wide: only the columns on the surface and one beyond each
// side; a new strip wherever the window changes, so that each strip is one
// band of constant height. A column with a position that is not a finite
// number is left out and breaks the strip there. Texture rows run on past
// the last row into the next cycle (v beyond 1), which wrapping addressing
// brings back to row 0.
std::vector<std::vector<EtrVertex>> BuildStrips(const std::vector<EtrColumn>& columns, int width,
                                                BYTE opacity);

// Draws the strips with the texture through the device's Direct3D device,
// filtered linearly and blended by the texture's alpha times opacity. Strips
// wholly left of fromX or right of toX are left out: a caller whose viewport
// lies between the two loses nothing. False without a Direct3D device, or
// when the texture could not be set or the filters not restored.
bool DrawStrips(VexanDevice* device, IDirect3DTexture9* texture,
                const std::vector<EtrColumn>& columns, BYTE opacity,
                double fromX = -std::numeric_limits<double>::infinity(),
                double toX = std::numeric_limits<double>::infinity());

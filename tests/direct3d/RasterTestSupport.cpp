#include "tests/direct3d/RasterTestSupport.h"

#include <cstring>

namespace d3d9test {

std::unique_ptr<TextureStorage> MakeTexture(int width, int height,
                                            const std::vector<std::uint32_t>& texels,
                                            D3DFORMAT format) {
    auto texture = std::make_unique<TextureStorage>(width, height, format);
    D3DLOCKED_RECT locked;
    if (texture->Lock(nullptr, 0, &locked) != D3D_OK) {
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t t = texels[static_cast<std::size_t>(y) * width + x];
            if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
                std::memcpy(row + 4 * x, &t, 4);
            } else {  // A4R4G4B4
                const std::uint16_t v =
                    static_cast<std::uint16_t>(((t >> 16) & 0xF000) | ((t >> 12) & 0x0F00) |
                                               ((t >> 8) & 0x00F0) | ((t >> 4) & 0x000F));
                std::memcpy(row + 2 * x, &v, 2);
            }
        }
    }
    texture->Unlock();
    return texture;
}

DrawState SolidState() {
    DrawState s;
    s.combiner.colourDiffuse = true;
    s.combiner.alphaDiffuse = true;
    return s;
}

DrawState TexturedState(TextureStorage* texture, d3d9soft::Filter filter, bool blend) {
    DrawState s;
    s.texture = texture;
    s.combiner = {true, true, true, true};
    s.blend = blend;
    s.srcBlend = blend ? D3DBLEND_SRCALPHA : D3DBLEND_ONE;
    s.destBlend = blend ? D3DBLEND_INVSRCALPHA : D3DBLEND_ZERO;
    s.minFilter = filter;
    s.magFilter = filter;
    return s;
}

std::vector<Vertex> ColumnQuad(float x0, float y0, float x1, float y1, std::uint32_t colour,
                               float u1, float v0, float v1) {
    return {V(x0, y0, colour, 0, v0), V(x0, y1, colour, u1, v0), V(x1, y0, colour, 0, v1),
            V(x1, y1, colour, u1, v1)};
}

}  // namespace d3d9test

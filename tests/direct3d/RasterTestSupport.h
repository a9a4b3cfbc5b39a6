#pragma once
// A small render target and texture builders for the rasteriser tests.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "direct3d/DrawState.h"
#include "direct3d/TextureStorage.h"
#include "platform/PixmanImage.h"

namespace d3d9test {

using d3d9soft::DrawState;
using d3d9soft::Target;
using d3d9soft::TextureStorage;
using d3d9soft::Vertex;

class Canvas {
  public:
    Canvas(int width, int height, std::uint32_t fill = 0xFF000000u)
        : pixels_(static_cast<std::size_t>(width) * height, fill),
          image_(
              pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, pixels_.data(), width * 4)) {
        target_.pixels = pixels_.data();
        target_.width = width;
        target_.height = height;
        target_.stride = width;
        target_.clip = RECT{0, 0, width, height};
    }
    const Target& target() const { return target_; }
    Target& target() { return target_; }
    pixman_image_t* image() const { return image_.get(); }
    int width() const { return target_.width; }
    int height() const { return target_.height; }
    // The pixel without its unused top byte.
    std::uint32_t At(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * target_.width + x] & 0xFFFFFF;
    }
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }

  private:
    std::vector<std::uint32_t> pixels_;
    PixmanImagePtr image_;
    Target target_;
};

// A texture of straight 0xAARRGGBB texels, row by row.
std::unique_ptr<TextureStorage> MakeTexture(int width, int height,
                                            const std::vector<std::uint32_t>& texels,
                                            D3DFORMAT format = D3DFMT_A8R8G8B8);

inline Vertex V(float x, float y, std::uint32_t diffuse = 0xFFFFFFFFu, float u = 0, float v = 0) {
    return Vertex{x, y, 0.5f, 1.0f, diffuse, u, v};
}

// Solid colour, written without blending.
DrawState SolidState();
// Texture times diffuse for colour and alpha, blended over the target.
DrawState TexturedState(TextureStorage* texture, d3d9soft::Filter filter, bool blend = true);

// The rectangle (x0, y0)-(x1, y1) as the four vertices of a two-triangle strip,
// with u running 0..u1 down and v0..v1 across, as the echogram draws columns.
std::vector<Vertex> ColumnQuad(float x0, float y0, float x1, float y1, std::uint32_t colour,
                               float u1, float v0, float v1);

}  // namespace d3d9test

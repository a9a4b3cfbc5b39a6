// The texture's sampling copies against the arithmetic they stand for: each
// texel premultiplied, then times the draws' opacity, as pixman's solid mask
// would multiply it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "direct3d/PixelMath.h"
#include "tests/direct3d/RasterTestSupport.h"

namespace {

using namespace d3d9test;
using d3d9soft::MulAll;
using d3d9soft::Premultiply;

constexpr int kSide = 256;

// Every alpha along x and every channel value along y, mixed a little.
std::uint32_t TexelAt(int x, int y, std::uint32_t salt) {
    const auto a = static_cast<std::uint32_t>(x), v = static_cast<std::uint32_t>(y);
    return a << 24 | v << 16 | ((255 - v + salt) & 0xFF) << 8 | ((v * 7 + a + salt) & 0xFF);
}

void ExpectCopyHolds(TextureStorage& texture, bool transposed, std::uint32_t alpha,
                     const std::vector<std::uint32_t>& texels) {
    pixman_image_t* image = texture.SamplingImage(transposed, alpha);
    ASSERT_NE(image, nullptr);
    const std::uint32_t* bits = pixman_image_get_data(image);
    const int stride = pixman_image_get_stride(image) / 4;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const std::uint32_t want = MulAll(Premultiply(texels[y * kSide + x]), alpha);
            const std::uint32_t got = transposed ? bits[x * stride + y] : bits[y * stride + x];
            if (got != want) {
                FAIL() << "texel " << x << "," << y << " at opacity " << alpha << " transposed "
                       << transposed << ": " << std::hex << got << " for " << want;
            }
        }
    }
}

}  // namespace

TEST(TextureStorage, SamplingCopiesHoldEveryTexelPremultipliedTimesTheOpacity) {
    std::vector<std::uint32_t> texels(kSide * kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            texels[y * kSide + x] = TexelAt(x, y, 0);
        }
    }
    auto texture = MakeTexture(kSide, kSide, texels, D3DFMT_A8R8G8B8);
    ASSERT_NE(texture, nullptr);
    for (const bool transposed : {false, true}) {
        for (const std::uint32_t alpha : {255u, 220u, 1u, 128u, 254u}) {
            ExpectCopyHolds(*texture, transposed, alpha, texels);
        }
    }
    // A row written again reaches both copies, as a sweep's upload does.
    const RECT row{3, 77, 250, 78};
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->Lock(&row, 0, &locked), D3D_OK);
    for (int x = row.left; x < row.right; ++x) {
        texels[row.top * kSide + x] = TexelAt(x, row.top, 91);
        std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + 4 * (x - row.left),
                    &texels[row.top * kSide + x], 4);
    }
    ASSERT_EQ(texture->Unlock(), D3D_OK);
    for (const bool transposed : {false, true}) {
        ExpectCopyHolds(*texture, transposed, 254u, texels);
    }
}

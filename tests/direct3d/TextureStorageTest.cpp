// The texture's sampling copies against the arithmetic they stand for: each
// texel premultiplied, then times the draws' opacity, as pixman's solid mask
// would multiply it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "direct3d/PixelMath.h"
#include "direct3d/TexelFormat.h"
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

TEST(TextureStorage, LocksGiveBackWhatWasWrittenAsTheValuesOutgrowThePalette) {
    // Random rectangles, now and then the whole texture, locked, checked
    // against a plain copy of every texel and partly written: first with a
    // few values, as an echogram's colours, then with more than the palette
    // holds, so that one write in the middle of a lock moves the texels to a
    // whole buffer. The sampling copies are checked along the way, and so
    // exist when a whole lock borrows their memory.
    for (const D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}) {
        const int width = 67, height = 41, size = format == D3DFMT_A8R8G8B8 ? 4 : 2;
        TextureStorage texture(width, height, format);
        std::vector<std::uint32_t> held(static_cast<std::size_t>(width) * height, 0);
        std::uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245U + 12345U;
            return seed >> 8;
        };
        auto expectCopies = [&](int step) {
            for (const bool transposed : {false, true}) {
                pixman_image_t* image = texture.SamplingImage(transposed, 220);
                ASSERT_NE(image, nullptr);
                const std::uint32_t* bits = pixman_image_get_data(image);
                const int stride = pixman_image_get_stride(image) / 4;
                for (int y = 0; y < height; ++y) {
                    for (int x = 0; x < width; ++x) {
                        const std::uint32_t value = held[static_cast<std::size_t>(y) * width + x];
                        const std::uint32_t want =
                            MulAll(Premultiply(d3d9soft::DecodeTexel(
                                       format, reinterpret_cast<const std::uint8_t*>(&value))),
                                   220);
                        ASSERT_EQ(transposed ? bits[x * stride + y] : bits[y * stride + x], want)
                            << "sampled " << x << "," << y << " after step " << step;
                    }
                }
            }
        };
        bool wasPaletted = false;
        for (int step = 0; step < 600; ++step) {
            const int values = step < 300 ? 12 : 5000;
            RECT r{0, 0, width, height};
            if (step % 7 != 3) {
                r.left = static_cast<LONG>(next() % width);
                r.top = static_cast<LONG>(next() % height);
                r.right = r.left + 1 + static_cast<LONG>(next() % (width - r.left));
                r.bottom = r.top + 1 + static_cast<LONG>(next() % (height - r.top));
            }
            const bool readOnly = next() % 5 == 0;
            D3DLOCKED_RECT locked;
            ASSERT_EQ(texture.Lock(&r, readOnly ? D3DLOCK_READONLY : 0, &locked), D3D_OK);
            wasPaletted = wasPaletted || texture.Paletted();
            for (int y = r.top; y < r.bottom; ++y) {
                auto* row = static_cast<std::uint8_t*>(locked.pBits) + (y - r.top) * locked.Pitch;
                for (int x = r.left; x < r.right; ++x) {
                    std::uint32_t value = 0;
                    std::memcpy(&value, row + (x - r.left) * size, static_cast<std::size_t>(size));
                    ASSERT_EQ(value, held[static_cast<std::size_t>(y) * width + x])
                        << "texel " << x << "," << y << " at step " << step;
                    if (!readOnly && next() % 3 != 0) {
                        value = (next() % values) * 2654435761U & (size == 4 ? ~0U : 0xFFFFU);
                        std::memcpy(row + (x - r.left) * size, &value,
                                    static_cast<std::size_t>(size));
                        held[static_cast<std::size_t>(y) * width + x] = value;
                    }
                }
            }
            ASSERT_EQ(texture.Unlock(), D3D_OK);
            if (step % 10 == 9) {
                expectCopies(step);
            }
        }
        EXPECT_TRUE(wasPaletted);
        EXPECT_FALSE(texture.Paletted()) << "the many values never outgrew the palette";
    }
}

TEST(TextureStorage, ColourScalesChangedAgainAndAgainKeepTheTextureSmall) {
    // Each upload of the whole texture in another colour scale of a dozen
    // colours: together far more colours than a palette holds, but never more
    // than a dozen at once.
    const int width = 64, height = 32;
    TextureStorage texture(width, height, D3DFMT_A8R8G8B8);
    std::vector<std::uint32_t> texels(static_cast<std::size_t>(width) * height);
    for (std::uint32_t scale = 0; scale < 60; ++scale) {
        for (std::size_t i = 0; i < texels.size(); ++i) {
            texels[i] =
                0xFF000000U | (scale << 8) | static_cast<std::uint32_t>((i * 7 + i / 5) % 12);
        }
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture.Lock(nullptr, 0, &locked), D3D_OK);
        for (int y = 0; y < height; ++y) {
            std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch,
                        &texels[static_cast<std::size_t>(y) * width], width * 4u);
        }
        ASSERT_EQ(texture.Unlock(), D3D_OK);
        ASSERT_TRUE(texture.Paletted()) << "after colour scale " << scale;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                std::uint32_t value;
                std::memcpy(&value, texture.Texel(x, y), 4);
                ASSERT_EQ(value, texels[static_cast<std::size_t>(y) * width + x]);
            }
        }
    }
}

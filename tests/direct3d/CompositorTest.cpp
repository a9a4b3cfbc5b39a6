// The composited path for strips of rectangles against the rasteriser,
// which draws the same strips triangle by triangle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "direct3d/PixelMath.h"
#include "direct3d/QuadCompositor.h"
#include "direct3d/StripPlans.h"
#include "tests/direct3d/RasterTestSupport.h"

namespace {

using namespace d3d9test;
using d3d9soft::DrawTriangleStrip;
using d3d9soft::Filter;

std::vector<std::uint32_t> RandomTexels(int count, unsigned seed, bool opaque) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> texels(static_cast<std::size_t>(count));
    for (auto& t : texels) {
        t = random();
        if (opaque) {
            t |= 0xFF000000u;
        }
    }
    return texels;
}

// Columns at xs, all from top to bottom; column i shows texture row rows[i]
// over its first `samples` texels, the first column taking the row of the
// second, as the echogram lays out its sweeps.
std::vector<Vertex> EchogramStrip(const std::vector<float>& xs, const std::vector<int>& rows,
                                  float top, float bottom, float samples, int textureRows,
                                  std::uint32_t colour) {
    std::vector<Vertex> v;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const int row = rows[i == 0 ? 1 : i];
        const float vCoord = static_cast<float>(row) / textureRows;
        v.push_back(V(xs[i], top, colour, 0, vCoord));
        v.push_back(V(xs[i], bottom, colour, samples, vCoord));
    }
    return v;
}

struct Difference {
    int largest = 0;
    int pixels = 0;  // pixels that differ at all
};

Difference Compare(const Canvas& a, const Canvas& b) {
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const std::uint32_t p = a.At(x, y), q = b.At(x, y);
            int most = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                most = std::max(most, std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                               static_cast<int>((q >> shift) & 0xFF)));
            }
            d.largest = std::max(d.largest, most);
            d.pixels += most > 0;
        }
    }
    return d;
}

// Draws the strip through both paths onto the same background.
Difference BothPaths(const DrawState& state, const std::vector<Vertex>& strip, int width,
                     int height, Canvas* composited = nullptr) {
    Canvas fast(width, height, 0xFF406080u), slow(width, height, 0xFF406080u);
    const auto primitives = static_cast<UINT>(strip.size() - 2);
    DrawTriangleStrip(fast.target(), fast.image(), state, strip.data(), primitives);
    DrawTriangleStrip(slow.target(), nullptr, state, strip.data(), primitives);
    if (composited != nullptr) {
        *composited = std::move(fast);
        return Compare(*composited, slow);
    }
    return Compare(fast, slow);
}

std::vector<float> EvenColumns(int count, float x0, float step) {
    std::vector<float> xs;
    for (int i = 0; i < count; ++i) {
        xs.push_back(x0 + step * static_cast<float>(i));
    }
    return xs;
}

std::vector<int> Rows(int count, int first, int textureRows) {
    std::vector<int> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back((first + i) % textureRows);
    }
    return rows;
}

TEST(Compositor, PointSamplingMatchesTheRasteriserExactly) {
    auto texture = MakeTexture(16, 16, RandomTexels(256, 1, false));
    const DrawState state = TexturedState(texture.get(), Filter::kPoint);
    // Three pixels per texel both ways, centres on texel edges included.
    const auto strip =
        EchogramStrip(EvenColumns(17, 2, 3), Rows(17, 0, 16), 4, 52, 1, 16, 0xDCFFFFFFu);
    const Difference d = BothPaths(state, strip, 60, 60);
    EXPECT_EQ(d.largest, 0);
}

TEST(Compositor, LinearSamplingMatchesWithinRounding) {
    auto texture = MakeTexture(16, 16, RandomTexels(256, 2, false));
    const DrawState state = TexturedState(texture.get(), Filter::kLinear);
    const auto strip = EchogramStrip(EvenColumns(17, 1.5f, 2.75f), Rows(17, 9, 16), 3.25f, 50.5f,
                                     0.75f, 16, 0xDCFFFFFFu);
    const Difference d = BothPaths(state, strip, 56, 56);
    EXPECT_LE(d.largest, 2);
}

TEST(Compositor, UnevenColumnsStayWithinTheMergeTolerance) {
    // Columns 1.4 to 1.8 pixels apart: merged runs differ from the exact
    // mapping by at most 1/64 texel, so only the odd pixel near a texel edge
    // picks the neighbouring texel.
    std::mt19937 random(3);
    std::vector<float> xs{0.3f};
    for (int i = 1; i < 64; ++i) {
        xs.push_back(xs.back() + 1.4f + static_cast<float>(random() % 5) * 0.1f);
    }
    auto texture = MakeTexture(64, 32, RandomTexels(64 * 32, 4, true));
    const auto strip = EchogramStrip(xs, Rows(64, 40, 64), 2, 62, 1, 64, 0xDCFFFFFFu);
    const int width = static_cast<int>(xs.back()) + 2;
    const Difference point =
        BothPaths(TexturedState(texture.get(), Filter::kPoint), strip, width, 64);
    EXPECT_LT(point.pixels, width * 64 * 3 / 100);
    const Difference linear =
        BothPaths(TexturedState(texture.get(), Filter::kLinear), strip, width, 64);
    EXPECT_LE(linear.largest, 6);
}

TEST(Compositor, RingSeamAndFirstColumnMatch) {
    // Rows run 13, 14, 15 and wrap to 0, 1...: the column pair across the
    // seam maps the whole texture backwards, as Direct3D would draw it.
    auto texture = MakeTexture(8, 16, RandomTexels(128, 5, false));
    const auto strip =
        EchogramStrip(EvenColumns(8, 0, 4), Rows(8, 13, 16), 0, 32, 1, 16, 0xFFFFFFFFu);
    EXPECT_EQ(BothPaths(TexturedState(texture.get(), Filter::kPoint), strip, 32, 32).largest, 0);
}

TEST(Compositor, WrappedCoordinatesAndOpaqueCopies) {
    // Texture coordinates beyond 1 repeat the texture; with blending off an
    // opaque texture is copied.
    auto texture = MakeTexture(8, 8, RandomTexels(64, 6, true), D3DFMT_X8R8G8B8);
    const auto strip =
        EchogramStrip(EvenColumns(5, -3, 8), {3, 11, 19, 27, 35}, -5, 30, 2.5f, 8, 0xFFFFFFFFu);
    for (Filter filter : {Filter::kPoint, Filter::kLinear}) {
        EXPECT_LE(BothPaths(TexturedState(texture.get(), filter, false), strip, 32, 32).largest,
                  filter == Filter::kPoint ? 0 : 2);
    }
}

TEST(Compositor, ViewportClipsComposites) {
    auto texture = MakeTexture(4, 4, RandomTexels(16, 7, true));
    const auto strip = EchogramStrip(EvenColumns(5, 0, 5), Rows(5, 0, 4), 0, 20, 1, 4, 0xFFFFFFFFu);
    Canvas c(20, 20, 0xFF000000u);
    c.target().clip = RECT{3, 4, 11, 9};
    DrawTriangleStrip(c.target(), c.image(), TexturedState(texture.get(), Filter::kPoint),
                      strip.data(), static_cast<UINT>(strip.size() - 2));
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 3 && x < 11 && y >= 4 && y < 9;
            EXPECT_EQ(c.At(x, y) != 0, inside) << x << "," << y;
        }
    }
}

TEST(Compositor, RowsUploadedAfterADrawAppearInTheNextDraw) {
    // The first draw builds the transposed copy; a later upload must reach it.
    auto texture = MakeTexture(8, 8, RandomTexels(64, 8, true));
    const DrawState state = TexturedState(texture.get(), Filter::kPoint);
    const auto strip = EchogramStrip(EvenColumns(9, 0, 2), Rows(9, 0, 8), 0, 16, 1, 8, 0xFFFFFFFFu);
    BothPaths(state, strip, 16, 16);

    D3DLOCKED_RECT locked;
    const RECT rows{0, 3, 8, 5};
    ASSERT_EQ(texture->Lock(&rows, 0, &locked), D3D_OK);
    for (int r = 0; r < 2; ++r) {
        auto* texel = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                       r * locked.Pitch);
        for (int x = 0; x < 8; ++x) {
            texel[x] = 0xFF00FF00u + static_cast<std::uint32_t>(r * 8 + x);
        }
    }
    ASSERT_EQ(texture->Unlock(), D3D_OK);
    Canvas composited(16, 16);
    EXPECT_EQ(BothPaths(state, strip, 16, 16, &composited).largest, 0);
    EXPECT_EQ(composited.At(6, 0), 0x00FF00u);  // row 3, sample 0
}

TEST(Compositor, QuadsThatAreNotRectanglesFallBackToTriangles) {
    // A slanted strip and an odd triangle count still draw.
    auto texture = MakeTexture(4, 4, RandomTexels(16, 9, true));
    std::vector<Vertex> strip{V(0, 0, ~0u, 0, 0), V(2, 12, ~0u, 1, 0), V(10, 1, ~0u, 0, 1),
                              V(12, 14, ~0u, 1, 1), V(16, 2, ~0u, 0, 0)};
    const Difference d = BothPaths(TexturedState(texture.get(), Filter::kPoint), strip, 16, 16);
    EXPECT_EQ(d.largest, 0);
}

}  // namespace

// Vertices are snapped with it: it must round exactly as std::llround does,
// halves and their neighbours included, at every magnitude.
TEST(RoundHalfAway, RoundsAsLlround) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.5,
                                  -0.5,
                                  1.5,
                                  -1.5,
                                  2.5,
                                  -2.5,
                                  1e15 + 0.5,
                                  4503599627370495.5,
                                  4503599627370496.0,
                                  9007199254740993.0,
                                  -4503599627370495.5,
                                  1e18,
                                  -1e18};
    for (double v : {0.5, 1.5, 2.5, 1234.5, 65535.5}) {
        values.push_back(std::nextafter(v, 0.0));
        values.push_back(std::nextafter(v, 1e300));
        values.push_back(-std::nextafter(v, 0.0));
    }
    std::mt19937_64 random(5);
    for (int i = 0; i < 100000; ++i) {
        const double scale = std::ldexp(1.0, static_cast<int>(random() % 60) - 8);
        values.push_back(std::uniform_real_distribution<double>(-1.0, 1.0)(random) * scale);
        // Float vertices scaled to 1/256 pixel, as the compositor reads them.
        values.push_back(static_cast<double>(static_cast<float>(values.back())) * 256.0);
    }
    for (double v : values) {
        ASSERT_EQ(d3d9soft::RoundHalfAway(v), std::llround(v)) << v;
    }
}

// A long strip drawn again in bands (only the viewport changed) is planned
// once; each band gets the pixels of the strip drawn whole. A strip or a
// state that differs in anything planning reads is planned afresh, and a
// strip not to be kept is not.
TEST(Compositor, AStripDrawnAgainInBandsReusesItsPlan) {
    auto texture = MakeTexture(16, 64, RandomTexels(16 * 64, 9, false));
    const DrawState state = TexturedState(texture.get(), Filter::kLinear);
    const auto strip =
        EchogramStrip(EvenColumns(80, -1, 2), Rows(80, 5, 64), 2, 40, 13, 64, 0xDCFFFFFFu);
    const UINT primitives = static_cast<UINT>(strip.size() - 2);
    Canvas whole(160, 44, 0xFF203040u);
    DrawTriangleStrip(whole.target(), whole.image(), state, strip.data(), primitives);

    d3d9soft::StripPlans plans;
    EXPECT_EQ(plans.Find(state, true, strip.data(), primitives, false), nullptr);
    Canvas banded(160, 44, 0xFF203040u);
    const RECT bands[] = {{0, 0, 7, 44}, {131, 0, 160, 44}};
    for (const RECT& band : bands) {
        banded.target().clip = band;
        const d3d9soft::StripPlan* plan = plans.Find(state, true, strip.data(), primitives, true);
        ASSERT_NE(plan, nullptr);
        d3d9soft::DrawStripPlan(banded.target(), banded.image(), state, strip.data(), *plan);
    }
    EXPECT_EQ(plans.Made(), 1);
    EXPECT_EQ(plans.Reused(), 1);
    for (int y = 0; y < 44; ++y) {
        for (int x = 0; x < 160; ++x) {
            const bool inBand = x < 7 || x >= 131;
            ASSERT_EQ(banded.At(x, y), inBand ? whole.At(x, y) : 0x203040u) << x << "," << y;
        }
    }
    // A kept plan is found also by a draw that would not keep it.
    EXPECT_NE(plans.Find(state, true, strip.data(), primitives, false), nullptr);

    auto nudged = strip;
    nudged[100].v = std::nextafter(nudged[100].v, 2.0f);
    DrawState culled = state;
    culled.cull = D3DCULL_CW;
    auto taller = MakeTexture(16, 128, RandomTexels(16 * 128, 9, false));
    const DrawState other = TexturedState(taller.get(), Filter::kLinear);
    plans.Find(state, true, nudged.data(), primitives, true);
    plans.Find(culled, true, strip.data(), primitives, true);
    plans.Find(other, true, strip.data(), primitives, true);
    plans.Find(state, false, strip.data(), primitives, true);
    EXPECT_EQ(plans.Made(), 5);
    // Forgotten at the frame's end.
    plans.Clear();
    EXPECT_EQ(plans.Find(state, true, strip.data(), primitives, false), nullptr);
}

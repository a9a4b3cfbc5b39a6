// The general triangle path: which pixels a triangle covers, and the values
// it writes there, checked against hand-worked Direct3D 9 results.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "direct3d/Rasterizer.h"
#include "tests/direct3d/RasterTestSupport.h"

namespace {

using namespace d3d9test;
using d3d9soft::DrawTriangle;
using d3d9soft::Filter;

// Adds 1 to the blue channel of every pixel a triangle covers.
DrawState CountingState() {
    DrawState s = SolidState();
    s.blend = true;
    s.srcBlend = D3DBLEND_ONE;
    s.destBlend = D3DBLEND_ONE;
    return s;
}

void Count(Canvas& c, Vertex a, Vertex b, Vertex d) {
    a.diffuse = b.diffuse = d.diffuse = 0xFF000001u;
    DrawTriangle(c.target(), CountingState(), a, b, d);
}

std::vector<std::pair<int, int>> Covered(const Canvas& c) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (c.At(x, y) != 0) {
                out.emplace_back(x, y);
            }
        }
    }
    return out;
}

using Pixels = std::vector<std::pair<int, int>>;

TEST(Coverage, PixelCentresOnEdgesBelongToTopAndLeftEdgesOnly) {
    // Hypotenuse from (4,0) to (0,4) is this triangle's right edge: the
    // centres (3,1), (2,2), (1,3) on it are left out; those on the top edge
    // y = 0 and the left edge x = 0 are in.
    Canvas a(6, 6);
    Count(a, V(0, 0), V(4, 0), V(0, 4));
    EXPECT_EQ(
        Covered(a),
        (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {0, 3}}));

    // Diagonal from (0,0) to (4,4): the right edge of the lower triangle,
    // the left edge of the upper one.
    Canvas lower(6, 6), upper(6, 6);
    Count(lower, V(0, 0), V(4, 4), V(0, 4));
    Count(upper, V(0, 0), V(4, 0), V(4, 4));
    EXPECT_EQ(Covered(lower), (Pixels{{0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}, {2, 3}}));
    EXPECT_EQ(
        Covered(upper),
        (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {1, 1}, {2, 1}, {3, 1}, {2, 2}, {3, 2}, {3, 3}}));
}

TEST(Coverage, RectangleCoversCentresFromItsLeftUpToItsRightEdge) {
    Canvas c(8, 8);
    Count(c, V(1, 2), V(5, 2), V(1, 4));
    Count(c, V(5, 2), V(5, 4), V(1, 4));
    Pixels expected;
    for (int y = 2; y < 4; ++y) {
        for (int x = 1; x < 5; ++x) {
            expected.emplace_back(x, y);
        }
    }
    EXPECT_EQ(Covered(c), expected);
    for (auto [x, y] : expected) {
        EXPECT_EQ(c.At(x, y), 1u) << x << "," << y;  // the shared diagonal once
    }
}

TEST(Coverage, PositionsSnapToOneTwoHundredFiftySixthOfAPixel) {
    // 1 + 1/1024 snaps to 1: the centre x = 1 lies on the left edge.
    Canvas c(4, 1);
    const float left = 1.0f + 1.0f / 1024;
    Count(c, V(left, -1), V(3, -1), V(left, 3));
    EXPECT_EQ(c.At(1, 0), 1u);
    EXPECT_EQ(c.At(0, 0), 0u);
    // 1 + 1/256 does not: the centre is outside.
    Canvas d(4, 1);
    const float beyond = 1.0f + 1.0f / 256;
    Count(d, V(beyond, -1), V(3, -1), V(beyond, 3));
    EXPECT_EQ(d.At(1, 0), 0u);
}

TEST(Coverage, FanOverIntegerPointsCoversEveryInnerPixelExactlyOnce) {
    // Spokes and rim pass through many pixel centres; a gap or a double
    // cover along a shared edge would show as 0 or 2.
    std::mt19937 random(7);
    Canvas c(48, 48);
    const int cx = 24, cy = 24;
    std::vector<std::pair<int, int>> rim;
    const int n = 13;
    for (int i = 0; i < n; ++i) {
        const double angle = 2 * M_PI * i / n;
        const int r = 8 + static_cast<int>(random() % 12);
        rim.emplace_back(cx + static_cast<int>(std::lround(r * std::cos(angle))),
                         cy + static_cast<int>(std::lround(r * std::sin(angle))));
    }
    for (int i = 0; i < n; ++i) {
        auto [x0, y0] = rim[i];
        auto [x1, y1] = rim[(i + 1) % n];
        Count(c, V(cx, cy), V(x0, y0), V(x1, y1));
    }
    // Strictly inside the rim polygon (winding number, off its boundary).
    auto side = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    int inner = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            int winding = 0;
            bool onRim = false;
            for (int i = 0; i < n; ++i) {
                auto [x0, y0] = rim[i];
                auto [x1, y1] = rim[(i + 1) % n];
                const double s = side(x0, y0, x1, y1, x, y);
                if (s == 0 && std::min(x0, x1) <= x && x <= std::max(x0, x1) &&
                    std::min(y0, y1) <= y && y <= std::max(y0, y1)) {
                    onRim = true;
                }
                if (y0 <= y && y1 > y && s > 0) {
                    ++winding;
                } else if (y0 > y && y1 <= y && s < 0) {
                    --winding;
                }
            }
            const std::uint32_t count = c.At(x, y);
            ASSERT_LE(count, 1u) << x << "," << y;
            if (!onRim) {
                EXPECT_EQ(count, winding != 0 ? 1u : 0u) << x << "," << y;
                inner += winding != 0;
            }
        }
    }
    EXPECT_GT(inner, 300);
}

TEST(Coverage, CullModesDropOneWinding) {
    // (0,0) (4,0) (0,4) turns clockwise on the screen.
    for (DWORD cull : {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW}) {
        DrawState s = CountingState();
        s.cull = cull;
        Canvas cw(4, 4), ccw(4, 4);
        DrawTriangle(cw.target(), s, V(0, 0, 1), V(4, 0, 1), V(0, 4, 1));
        DrawTriangle(ccw.target(), s, V(0, 0, 1), V(0, 4, 1), V(4, 0, 1));
        EXPECT_EQ(cw.At(0, 0), cull == D3DCULL_CW ? 0u : 1u) << cull;
        EXPECT_EQ(ccw.At(0, 0), cull == D3DCULL_CCW ? 0u : 1u) << cull;
    }
}

TEST(Coverage, ViewportLimitsThePixelsWritten) {
    Canvas c(8, 8);
    c.target().clip = RECT{2, 3, 5, 6};
    Count(c, V(-10, -10), V(30, -10), V(-10, 30));
    Pixels expected;
    for (int y = 3; y < 6; ++y) {
        for (int x = 2; x < 5; ++x) {
            expected.emplace_back(x, y);
        }
    }
    EXPECT_EQ(Covered(c), expected);
}

TEST(Interpolation, DiffuseColourVariesLinearlyAcrossTheTriangle) {
    Canvas c(8, 8);
    DrawTriangle(c.target(), SolidState(), V(0, 0, 0xFF000000u), V(8, 0, 0xFFFF0000u),
                 V(0, 8, 0xFF0000FFu));
    EXPECT_EQ(c.At(0, 0), 0x000000u);
    EXPECT_EQ(c.At(2, 2), 0x400040u);  // red and blue 255 * 2/8 = 63.75
    EXPECT_EQ(c.At(4, 1), 0x800020u);  // red 127.5, blue 31.875
}

TEST(Interpolation, TextureCoordinatesMapPixelCentresWithoutHalfTexelOffset) {
    // u from 0 to 1 over 8 pixels of a 4-texel texture: the centre of pixel i
    // samples u = i/8, texel floor(i/2).
    const std::vector<std::uint32_t> texels{0xFF000010u, 0xFF000020u, 0xFF000030u, 0xFF000040u};
    auto texture = MakeTexture(4, 1, texels);
    Canvas c(8, 1);
    const DrawState s = TexturedState(texture.get(), Filter::kPoint, false);
    DrawTriangle(c.target(), s, V(0, 0, ~0u, 0, 0), V(8, 0, ~0u, 1, 0), V(0, 2, ~0u, 0, 0));
    DrawTriangle(c.target(), s, V(8, 0, ~0u, 1, 0), V(8, 2, ~0u, 1, 0), V(0, 2, ~0u, 0, 0));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(c.At(i, 0), texels[i / 2] & 0xFFFFFF) << i;
    }
}

// A 2 x 1 texture, black then white, stretched over 8 pixels.
std::vector<std::uint32_t> StretchBlackWhite(Filter filter, float u0, float u1) {
    auto texture = MakeTexture(2, 1, {0xFF000000u, 0xFFFFFFFFu});
    Canvas c(8, 1);
    const DrawState s = TexturedState(texture.get(), filter, false);
    DrawTriangle(c.target(), s, V(0, 0, ~0u, u0, 0), V(8, 0, ~0u, u1, 0), V(0, 2, ~0u, u0, 0));
    DrawTriangle(c.target(), s, V(8, 0, ~0u, u1, 0), V(8, 2, ~0u, u1, 0), V(0, 2, ~0u, u0, 0));
    std::vector<std::uint32_t> blue;
    for (int i = 0; i < 8; ++i) {
        blue.push_back(c.At(i, 0) & 0xFF);
    }
    return blue;
}

TEST(Sampling, PointTakesTheTexelUnderTheCentre) {
    EXPECT_EQ(StretchBlackWhite(Filter::kPoint, 0, 1),
              (std::vector<std::uint32_t>{0, 0, 0, 0, 255, 255, 255, 255}));
}

TEST(Sampling, LinearMixesNeighboursAndWrapsAtTheEdges) {
    // Centre i samples texel coordinate i/4 - 0.5; weights have 7 bits and
    // mixes truncate. At both ends the neighbour is the texel from the other
    // end of the texture.
    EXPECT_EQ(StretchBlackWhite(Filter::kLinear, 0, 1),
              (std::vector<std::uint32_t>{127, 63, 0, 63, 127, 191, 255, 191}));
}

TEST(Sampling, CoordinatesWrapWholeTextures) {
    EXPECT_EQ(StretchBlackWhite(Filter::kPoint, 3, 4), StretchBlackWhite(Filter::kPoint, 0, 1));
    EXPECT_EQ(StretchBlackWhite(Filter::kLinear, -2, -1), StretchBlackWhite(Filter::kLinear, 0, 1));
}

TEST(Sampling, MinificationAndMagnificationUseTheirOwnFilter) {
    // 8 texels over 2 pixels minify; the linear minification filter mixes.
    auto texture = MakeTexture(8, 1,
                               {0xFF000000u, 0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u,
                                0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu});
    for (Filter minFilter : {Filter::kPoint, Filter::kLinear}) {
        DrawState s = TexturedState(texture.get(), Filter::kPoint, false);
        s.minFilter = minFilter;
        Canvas c(2, 1);
        DrawTriangle(c.target(), s, V(0, 0, ~0u, 0, 0), V(2, 0, ~0u, 1, 0), V(0, 2, ~0u, 0, 0));
        // Centre 0 samples texel coordinate 0: between texels 7 and 0 for linear.
        EXPECT_EQ(c.At(0, 0) & 0xFF, minFilter == Filter::kPoint ? 0u : 127u);
    }
}

TEST(Shading, ModulateThenBlendOverTheTarget) {
    // Texel (a 0x80, r 200, g 100, b 50) times diffuse (a 0xC0, r 255, g 128,
    // b 0), blended by its alpha over (10, 20, 30).
    auto texture = MakeTexture(1, 1, {0x80C86432u});
    Canvas c(2, 2, 0xFF0A141Eu);
    const DrawState s = TexturedState(texture.get(), Filter::kPoint, true);
    const std::uint32_t diffuse = 0xC0FF8000u;
    DrawTriangle(c.target(), s, V(0, 0, diffuse), V(4, 0, diffuse), V(0, 4, diffuse));
    const double a = (128 / 255.0) * (192 / 255.0);
    const double expected[3] = {200 * a + 10 * (1 - a), 100 * (128 / 255.0) * a + 20 * (1 - a),
                                30 * (1 - a)};
    const std::uint32_t got = c.At(0, 0);
    EXPECT_NEAR((got >> 16) & 0xFF, expected[0], 1.0);
    EXPECT_NEAR((got >> 8) & 0xFF, expected[1], 1.0);
    EXPECT_NEAR(got & 0xFF, expected[2], 1.0);
}

TEST(Shading, BlendingOffWritesTheColourWhateverItsAlpha) {
    auto texture = MakeTexture(1, 1, {0x40FF8000u});
    Canvas c(2, 2, 0xFF123456u);
    DrawTriangle(c.target(), TexturedState(texture.get(), Filter::kPoint, false), V(0, 0), V(4, 0),
                 V(0, 4));
    EXPECT_EQ(c.At(0, 0), 0xFF8000u);
}

TEST(Shading, UnsetTextureReadsAsOpaqueWhite) {
    DrawState s = TexturedState(nullptr, Filter::kPoint, true);
    Canvas c(2, 2);
    const std::uint32_t diffuse = 0x80FFFFFFu;
    DrawTriangle(c.target(), s, V(0, 0, diffuse), V(4, 0, diffuse), V(0, 4, diffuse));
    EXPECT_EQ(c.At(0, 0), 0x808080u);
}

TEST(GuardBand, HugeTrianglesKeepTheirInterpolation) {
    // u = x / 8 over the whole triangle: pixel i samples texel i.
    std::vector<std::uint32_t> texels;
    for (std::uint32_t i = 0; i < 8; ++i) {
        texels.push_back(0xFF000000u | (i * 30));
    }
    auto texture = MakeTexture(8, 1, texels);
    Canvas c(8, 8);
    const float far = 1e7f;
    DrawTriangle(c.target(), TexturedState(texture.get(), Filter::kPoint, false),
                 V(-far, -far, ~0u, -far / 8, 0), V(3 * far, -far, ~0u, 3 * far / 8, 0),
                 V(-far, 3 * far, ~0u, -far / 8, 0));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(c.At(x, y), static_cast<std::uint32_t>(x * 30)) << x << "," << y;
        }
    }
}

}  // namespace

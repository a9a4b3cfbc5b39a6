#include "drawing/DeviceGraphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <set>

#include "drawing/CairoColour.h"
#include "drawing/DeviceGraphicsSaver.h"
#include "tests/drawing/PixelDevice.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The pixels of an image that are not the background.
std::set<std::pair<int, int>> Inked(const Image& image, std::uint32_t background = 0xFFFFFFFF) {
    std::set<std::pair<int, int>> inked;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y) != background) {
                inked.insert({x, y});
            }
        }
    }
    return inked;
}

// The pixels of the rectangle [left, right) x [top, bottom).
std::set<std::pair<int, int>> PixelsOf(RECT r) {
    std::set<std::pair<int, int>> pixels;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            pixels.insert({x, y});
        }
    }
    return pixels;
}

std::set<std::uint32_t> Colours(const Image& image) {
    return std::set<std::uint32_t>(image.pixels.begin(), image.pixels.end());
}

}  // namespace

TEST(DeviceGraphics, ColourIsTheGdiValueWithTheOpacityAsAlpha) {
    PixelDevice device(4, 1);
    {
        DeviceGraphics g(&device);
        g.FillRect(RECT{0, 0, 1, 1}, RGB(0x12, 0x34, 0x56), 255);
        g.FillRect(RECT{1, 0, 2, 1}, kRed, 128);
        g.FillRect(RECT{2, 0, 3, 1}, kBlue, 0);
        g.FillRect(RECT{3, 0, 4, 1}, 0x0000FF, 255);  // red is the low byte
    }
    EXPECT_EQ(device.Pixel(0, 0), RGB(0x12, 0x34, 0x56));
    const COLORREF half = device.Pixel(1, 0);
    EXPECT_EQ(GetRValue(half), 255);
    EXPECT_NEAR(GetGValue(half), 127, 1);
    EXPECT_NEAR(GetBValue(half), 127, 1);
    EXPECT_EQ(device.Pixel(2, 0), kWhite);
    EXPECT_EQ(device.Pixel(3, 0), kRed);
}

TEST(DeviceGraphics, FillRectCoversExactlyItsPixels) {
    PixelDevice device(10, 10);
    {
        DeviceGraphics g(&device);
        g.FillRect(RECT{2, 3, 6, 5}, kBlack, 255);
        g.FillRect(RECT{8, 8, 8, 9}, kBlack, 255);  // empty
        g.FillRect(RECT{9, 9, 8, 8}, kBlack, 255);  // inverted
    }
    EXPECT_EQ(Inked(device.Snapshot()), PixelsOf(RECT{2, 3, 6, 5}));
}

// FillRect writes its pixels itself; they must be those of Cairo's own
// aliased fill of the rectangle, over any pixels, in any clip, at any opacity,
// on surfaces with and without alpha, and reaching beyond the surface.
TEST(DeviceGraphics, FillRectWritesWhatCairosFillWrites) {
    constexpr int kWidth = 23;
    constexpr int kHeight = 17;
    std::mt19937 random(8122026);
    auto coordinate = [&](int size) { return static_cast<LONG>(random() % (size + 12)) - 6; };
    // Mostly upright; now and then empty or inverted.
    auto randomRect = [&]() {
        RECT r{coordinate(kWidth), coordinate(kHeight), coordinate(kWidth), coordinate(kHeight)};
        if (random() % 8 != 0) {
            r = RECT{std::min(r.left, r.right), std::min(r.top, r.bottom),
                     std::max(r.left, r.right), std::max(r.top, r.bottom)};
        }
        return r;
    };
    for (const CDC::Format format : {CDC::Format::kXrgb32, CDC::Format::kArgb32}) {
        const bool alpha = format == CDC::Format::kArgb32;
        for (int round = 0; round < 400; ++round) {
            PixelDevice device(SIZE{kWidth, kHeight}, SIZE{kWidth, kHeight}, kWhite, format);
            for (std::uint32_t& pixel : device.Pixels()) {
                // Premultiplied where there is alpha, as Cairo keeps it; where
                // there is none, the unused byte holds anything.
                const std::uint32_t a = alpha ? random() % 256 : 255;
                pixel = (alpha ? a : random() % 256) << 24;
                for (int shift : {0, 8, 16}) {
                    pixel |= (static_cast<std::uint32_t>(random() % (a + 1))) << shift;
                }
            }
            std::vector<std::uint32_t> expected = device.Pixels();
            const RECT rect = randomRect();
            const std::optional<RECT> clip =
                random() % 2 ? std::optional<RECT>(randomRect()) : std::nullopt;
            const COLORREF colour = RGB(random() % 256, random() % 256, random() % 256);
            const BYTE opacities[] = {0, 255, static_cast<BYTE>(random() % 256)};
            const BYTE opacity = opacities[random() % 3];
            {
                DeviceGraphics g(&device);
                if (clip) {
                    g.SetClip(*clip);
                }
                g.FillRect(rect, colour, opacity);
            }
            {
                const CairoSurfacePtr surface(cairo_image_surface_create_for_data(
                    reinterpret_cast<unsigned char*>(expected.data()),
                    alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, kWidth, kHeight, kWidth * 4));
                const CairoPtr cr(cairo_create(surface.get()));
                cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
                if (clip) {
                    cairo_rectangle(cr.get(), clip->left, clip->top,
                                    static_cast<double>(clip->right) - clip->left,
                                    static_cast<double>(clip->bottom) - clip->top);
                    cairo_clip(cr.get());
                }
                cairo_translate(cr.get(), 0.5, 0.5);
                if (rect.right > rect.left && rect.bottom > rect.top) {
                    cairo_rectangle(cr.get(), rect.left, rect.top,
                                    static_cast<double>(rect.right) - rect.left,
                                    static_cast<double>(rect.bottom) - rect.top);
                    SetCairoColour(cr.get(), colour, opacity);
                    cairo_fill(cr.get());
                }
                cairo_surface_flush(surface.get());
            }
            ASSERT_EQ(device.Pixels(), expected)
                << (alpha ? "ARGB" : "RGB") << " round " << round << ": rect " << rect.left << ","
                << rect.top << "," << rect.right << "," << rect.bottom << " colour " << std::hex
                << colour << " opacity " << std::dec << int(opacity);
        }
    }
}

TEST(DeviceGraphics, ShapesAreNotAntiAliased) {
    PixelDevice device(60, 60, kBlack);
    {
        DeviceGraphics g(&device);
        const double diagonal[] = {3.3, 5.0, 55.0, 41.7, 10.0, 57.0};
        g.DrawPolyline(diagonal, 3, kWhite, 2.5, 255);
        const double curve[] = {0.0, 20.0, 17.5, 31.2, 40.0, 12.0, 59.0, 33.0};
        g.FillUnderCurve(curve, 50.5, 4, kRed, 255);
        const double triangle[] = {5.5, 40.0, 30.2, 58.0, 1.0, 59.0};
        g.FillTriangles(triangle, 1, kBlue, 255);
    }
    EXPECT_EQ(Colours(device.Snapshot()).size(), 4u);
}

TEST(DeviceGraphics, ThinPolylineCoversBothEndPixels) {
    PixelDevice device(12, 5);
    {
        DeviceGraphics g(&device);
        const double line[] = {2.0, 2.0, 9.0, 2.0};
        g.DrawPolyline(line, 2, kBlack, 1.0, 255);
    }
    EXPECT_EQ(Inked(device.Snapshot()), PixelsOf(RECT{2, 2, 10, 3}));
}

TEST(DeviceGraphics, PolylinesOfFewerThanTwoPointsDrawNothing) {
    PixelDevice device(10, 10);
    {
        DeviceGraphics g(&device);
        const double point[] = {5.0, 5.0};
        g.DrawPolyline(point, 1, kBlack, 3.0, 255);
        g.DrawPolyline(nullptr, 4, kBlack, 3.0, 255);
        g.FillUnderCurve(point, 9.0, 1, kBlack, 255);
        g.FillUnderCurve(nullptr, 9.0, 3, kBlack, 255);
        g.FillTriangles(nullptr, 1, kBlack, 255);
        g.FillTriangles(point, 0, kBlack, 255);
        g.DrawHatchedPolygon(nullptr, 4, kBlack, 255, 1.0, kHatchDiagonalCross);
    }
    EXPECT_TRUE(Inked(device.Snapshot()).empty());
}

TEST(DeviceGraphics, PointsThatAreNotNumbersDrawNothingAndSpoilNothing) {
    PixelDevice device(10, 10);
    {
        DeviceGraphics g(&device);
        const double bad[] = {1.0, 1.0, std::nan(""), 5.0, 8.0, 8.0};
        g.DrawPolyline(bad, 3, kBlack, 1.0, 255);
        g.FillTriangles(bad, 1, kBlack, 255);
        // The context still draws afterwards.
        g.FillRect(RECT{0, 0, 1, 1}, kBlack, 255);
    }
    EXPECT_EQ(Inked(device.Snapshot()), (std::set<std::pair<int, int>>{{0, 0}}));
}

TEST(DeviceGraphics, FarAwayPointsStillDrawTheVisiblePart) {
    PixelDevice device(20, 20);
    {
        DeviceGraphics g(&device);
        // A horizontal line whose ends lie far beyond the fixed-point range.
        const double line[] = {-1e12, 10.0, 1e12, 10.0};
        g.DrawPolyline(line, 2, kBlack, 1.0, 255);
    }
    const auto inked = Inked(device.Snapshot());
    EXPECT_EQ(inked.size(), 20u);
    EXPECT_TRUE(inked.count({0, 10}) && inked.count({19, 10}));
}

TEST(DeviceGraphics, RectangleOutlineIsTheFivePointPolyline) {
    PixelDevice outline(20, 20);
    PixelDevice polyline(20, 20);
    {
        DeviceGraphics g(&outline);
        g.DrawRectangle(RECT{3, 4, 15, 12}, kRed, 128, 1.0);
    }
    {
        DeviceGraphics g(&polyline);
        const double points[] = {3, 4, 3, 12, 15, 12, 15, 4, 3, 4};
        g.DrawPolyline(points, 5, kRed, 1.0, 128);
    }
    const Image image = outline.Snapshot();
    EXPECT_EQ(image.pixels, polyline.Snapshot().pixels);
    // A one-pixel ring from (3, 4) to (15, 12) inclusive, blended once even
    // where the first corner is drawn twice.
    std::set<std::pair<int, int>> ring;
    for (int x = 3; x <= 15; ++x) {
        ring.insert({x, 4});
        ring.insert({x, 12});
    }
    for (int y = 4; y <= 12; ++y) {
        ring.insert({3, y});
        ring.insert({15, y});
    }
    EXPECT_EQ(Inked(image), ring);
    const std::set<std::uint32_t> colours = Colours(image);
    EXPECT_EQ(colours.size(), 2u);
}

TEST(DeviceGraphics, FillUnderCurveClosesAlongTheBase) {
    PixelDevice device(20, 20);
    {
        DeviceGraphics g(&device);
        // A falling curve above a base line at y 15.
        const double curve[] = {2.0, 5.0, 10.0, 5.0, 17.0, 12.0};
        g.FillUnderCurve(curve, 15.0, 3, kBlack, 255);
    }
    EXPECT_EQ(device.Pixel(5, 4), kWhite);    // above the curve
    EXPECT_EQ(device.Pixel(5, 10), kBlack);   // between curve and base
    EXPECT_EQ(device.Pixel(5, 16), kWhite);   // below the base
    EXPECT_EQ(device.Pixel(1, 10), kWhite);   // left of the first x
    EXPECT_EQ(device.Pixel(18, 13), kWhite);  // right of the last x
    EXPECT_EQ(device.Pixel(16, 13), kBlack);
    EXPECT_EQ(device.Pixel(15, 8), kWhite);  // above the falling part
}

TEST(DeviceGraphics, FillsUseTheEvenOddRule) {
    PixelDevice device(30, 30);
    {
        DeviceGraphics g(&device);
        // The curve loops back over itself: the doubly covered band between
        // y 10 and y 20 over x 10..20 is outside by the even-odd rule.
        const double curve[] = {5.0,  10.0, 25.0, 10.0, 25.0, 20.0, 10.0,
                                20.0, 10.0, 5.0,  20.0, 5.0,  20.0, 25.0};
        g.FillUnderCurve(curve, 25.0, 7, kBlack, 255);
    }
    EXPECT_EQ(device.Pixel(7, 15), kBlack);
    EXPECT_EQ(device.Pixel(15, 15), kWhite);
    EXPECT_EQ(device.Pixel(22, 15), kBlack);
}

TEST(DeviceGraphics, TriangleMarkerOfSizeSevenIsTheTriangleOfHalvesAndThirds) {
    PixelDevice marker(30, 30);
    PixelDevice triangles(30, 30);
    {
        DeviceGraphics g(&marker);
        g.FillTriangleMarker(POINT{14, 15}, kBlue, 255, 7);
    }
    {
        DeviceGraphics g(&triangles);
        const double points[] = {14 - 3, 15 - 2, 14 + 3, 15, 14 - 3, 15 + 2};
        g.FillTriangles(points, 1, kBlue, 255);
    }
    const Image image = marker.Snapshot();
    EXPECT_EQ(image.pixels, triangles.Snapshot().pixels);
    const auto inked = Inked(image);
    ASSERT_FALSE(inked.empty());
    int left = 99, right = -1, top = 99, bottom = -1;
    for (const auto& [x, y] : inked) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    // Pixel centres inside: the left edge at x 11, the tip at x 17, rows 13 to 17.
    EXPECT_EQ(left, 11);
    EXPECT_GE(right, 15);
    EXPECT_LE(right, 17);
    EXPECT_GE(top, 13);
    EXPECT_LE(bottom, 17);
    EXPECT_TRUE(inked.count({11, 15}) && inked.count({15, 15}));
}

TEST(DeviceGraphics, TrianglesAreFilledOneByOne) {
    PixelDevice device(20, 10);
    {
        DeviceGraphics g(&device);
        // Two copies of one triangle: each blends on its own.
        const double points[] = {0, 0, 19, 0, 0, 9, 0, 0, 19, 0, 0, 9};
        g.FillTriangles(points, 2, kBlack, 128);
    }
    const COLORREF twice = device.Pixel(2, 2);
    EXPECT_NEAR(GetRValue(twice), 64, 2);
}

TEST(DeviceGraphics, DiagonalCrossHatchIsTransparentBetweenItsLines) {
    PixelDevice device(40, 40, RGB(0, 255, 0));
    {
        DeviceGraphics g(&device);
        const PointF square[] = {{4, 4}, {35, 4}, {35, 35}, {4, 35}};
        g.DrawHatchedPolygon(square, 4, kRed, 255, 1.0, kHatchDiagonalCross);
    }
    for (int y = 5; y < 35; ++y) {
        for (int x = 5; x < 35; ++x) {
            const int u = x % 8;
            const int v = y % 8;
            const bool onLine = u == v || u + v == 7;
            EXPECT_EQ(device.Pixel(x, y), onLine ? kRed : RGB(0, 255, 0)) << x << "," << y;
        }
    }
    for (int i = 4; i <= 35; ++i) {  // the outline
        EXPECT_EQ(device.Pixel(i, 4), kRed);
        EXPECT_EQ(device.Pixel(4, i), kRed);
        EXPECT_EQ(device.Pixel(i, 35), kRed);
        EXPECT_EQ(device.Pixel(35, i), kRed);
    }
    EXPECT_EQ(device.Pixel(36, 20), RGB(0, 255, 0));
}

TEST(DeviceGraphics, UnknownHatchStyleDrawsOnlyTheOutline) {
    PixelDevice device(20, 20);
    {
        DeviceGraphics g(&device);
        const PointF square[] = {{2, 2}, {17, 2}, {17, 17}, {2, 17}};
        g.DrawHatchedPolygon(square, 4, kBlack, 255, 1.0, 99);
    }
    EXPECT_EQ(device.Pixel(2, 10), kBlack);
    EXPECT_EQ(Inked(device.Snapshot()).size(), 60u);
}

TEST(DeviceGraphics, ClipLimitsDrawingToTheRectangle) {
    PixelDevice device(10, 10);
    {
        DeviceGraphics g(&device);
        g.SetClip(RECT{2, 2, 5, 4});
        EXPECT_TRUE(g.HasClip());
        g.FillRect(RECT{0, 0, 10, 10}, kBlack, 255);
    }
    EXPECT_EQ(Inked(device.Snapshot()), PixelsOf(RECT{2, 2, 5, 4}));
}

TEST(DeviceGraphics, ResetClipGoesBackToTheDeviceSize) {
    // The surface is larger than the device: after a reset the clip is the
    // device's rectangle, not the whole surface.
    PixelDevice device(SIZE{20, 20}, SIZE{8, 6});
    {
        DeviceGraphics g(&device);
        g.SetClip(RECT{0, 0, 2, 2});
        g.ResetClip();
        EXPECT_FALSE(g.HasClip());
        g.FillRect(RECT{0, 0, 20, 20}, kBlack, 255);
    }
    EXPECT_EQ(device.Pixel(7, 5), kBlack);
    EXPECT_EQ(device.Pixel(8, 5), kWhite);
    EXPECT_EQ(device.Pixel(7, 6), kWhite);
}

TEST(DeviceGraphics, ResetClipWithoutClipChangesNothing) {
    PixelDevice device(SIZE{20, 20}, SIZE{8, 6});
    {
        DeviceGraphics g(&device);
        g.ResetClip();
        g.FillRect(RECT{0, 0, 20, 20}, kBlack, 255);
    }
    EXPECT_EQ(device.Pixel(19, 19), kBlack);
}

TEST(DeviceGraphics, SaveAndRestoreRoundTripTheClip) {
    PixelDevice device(10, 10);
    {
        DeviceGraphics g(&device);
        g.SetClip(RECT{1, 1, 3, 3});
        {
            DeviceGraphicsSaver saver(g);
            g.SetClip(RECT{6, 6, 9, 9});
            g.FillRect(RECT{0, 0, 10, 10}, kRed, 255);
            g.ResetClip();
            EXPECT_FALSE(g.HasClip());
        }
        EXPECT_TRUE(g.HasClip());
        g.FillRect(RECT{0, 0, 10, 10}, kBlack, 255);
        g.Restore();  // unbalanced: ignored
        EXPECT_TRUE(g.HasClip());
    }
    EXPECT_EQ(device.Pixel(7, 7), kRed);
    EXPECT_EQ(device.Pixel(1, 1), kBlack);
    EXPECT_EQ(device.Pixel(2, 2), kBlack);
    EXPECT_EQ(device.Pixel(3, 3), kWhite);
    EXPECT_EQ(device.Pixel(5, 5), kWhite);
}

TEST(DeviceGraphics, WithoutADeviceContextNothingIsDrawn) {
    DeviceGraphics none(nullptr);
    EXPECT_FALSE(none.CanDraw());
    none.SetClip(RECT{0, 0, 1, 1});
    EXPECT_FALSE(none.HasClip());
    none.FillRect(RECT{0, 0, 1, 1}, kBlack, 255);

    PixelDevice empty(0, 0);
    DeviceGraphics g(&empty);
    EXPECT_FALSE(g.CanDraw());
    const double line[] = {0, 0, 5, 5};
    g.DrawPolyline(line, 2, kBlack, 1.0, 255);
    g.DrawText(0, 0, "x", "Arial", 11, kBlack, 0, 0);
}

TEST(DeviceGraphics, DrawingOverPixelsWrittenDirectlyBlendsWithThem) {
    PixelDevice device(4, 4, kBlack);
    CDC* dc = device.GetDC();
    {
        DeviceGraphics g(&device);
        g.FillRect(RECT{0, 0, 4, 4}, kBlack, 255);
    }
    // Written behind Cairo's back, as a back buffer is cleared.
    dc->FillSolidRect(0, 0, 4, 4, kWhite);
    {
        DeviceGraphics g(&device);
        g.FillRect(RECT{0, 0, 4, 4}, kBlue, 128);
    }
    EXPECT_NEAR(GetRValue(device.Pixel(1, 1)), 127, 1);
}

// Small, fixed scenes of every primitive, compared with committed pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "drawing/DeviceGraphics.h"
#include "tests/drawing/PixelDevice.h"

namespace {

constexpr CompareOptions kExact{};
constexpr CompareOptions kText = kTextTolerance;

void CrossHair(DeviceGraphics& g, double x, double y) {
    const double h[] = {x - 4, y, x + 4, y};
    const double v[] = {x, y - 4, x, y + 4};
    g.DrawPolyline(h, 2, RGB(255, 0, 0), 1.0, 255);
    g.DrawPolyline(v, 2, RGB(255, 0, 0), 1.0, 255);
}

}  // namespace

TEST(DeviceGraphicsGolden, LinesAndOutlines) {
    PixelDevice device(160, 90);
    {
        DeviceGraphics g(&device);
        for (int i = 0; i < 4; ++i) {
            const double y = 8 + 12 * i;
            const double zigzag[] = {6, y, 30, y + 8, 54, y, 78, y + 8};
            g.DrawPolyline(zigzag, 4, RGB(0, 0, 160), 1.0 + i, 255);
        }
        // Overlapping strokes at half opacity: one path blends once.
        const double star[] = {90, 40, 150, 10, 150, 40, 90, 10};
        g.DrawPolyline(star, 4, RGB(200, 0, 0), 3.0, 128);
        g.DrawRectangle(RECT{90, 50, 120, 80}, RGB(0, 0, 0), 255, 1.0);
        g.DrawRectangle(RECT{126, 50, 152, 80}, RGB(0, 120, 0), 255, 2.0);
        g.DrawRectangle(RECT{100, 60, 110, 70}, RGB(0, 0, 0), 100, 1.0);
        const double vertical[] = {20, 60, 20, 85};
        g.DrawPolyline(vertical, 2, RGB(0, 0, 0), 1.0, 255);
        const double steep[] = {30, 85, 45, 58, 60, 85};
        g.DrawPolyline(steep, 3, RGB(0, 0, 0), 2.0, 255);
    }
    EXPECT_TRUE(MatchesGolden(device.Snapshot(), "drawing/lines.png", kExact));
}

TEST(DeviceGraphicsGolden, FillsMarkersAndHatches) {
    PixelDevice device(200, 120, RGB(239, 239, 255));
    {
        DeviceGraphics g(&device);
        // A depth profile filled down to the bottom of its area.
        double curve[2 * 21];
        for (int i = 0; i <= 20; ++i) {
            curve[2 * i] = 5 + 3 * i;
            curve[2 * i + 1] = 40 + 15 * std::sin(i * 0.5);
        }
        g.FillUnderCurve(curve, 70, 21, RGB(255, 0, 0), 150);
        g.DrawPolyline(curve, 21, RGB(0, 0, 255), 2.0, 255);
        // Even-odd: the loop's doubly covered part stays empty.
        const double loop[] = {75, 20, 115, 20, 115, 40, 85, 40, 85, 10, 105, 10, 105, 50};
        g.FillUnderCurve(loop, 50, 7, RGB(70, 70, 255), 150);
        // Overlapping rectangles at several opacities.
        g.FillRect(RECT{125, 8, 165, 30}, RGB(0, 0, 0), 50);
        g.FillRect(RECT{140, 18, 190, 45}, RGB(0, 160, 0), 180);
        g.FillRect(RECT{150, 4, 160, 50}, RGB(255, 255, 0), 255);
        // Markers and a hull of two triangles.
        g.FillTriangleMarker(POINT{15, 90}, RGB(24, 188, 24), 255, 7);
        g.FillTriangleMarker(POINT{40, 95}, RGB(24, 188, 24), 255, 20);
        g.FillTriangleMarker(POINT{62, 95}, RGB(24, 188, 24), 255, 8);
        const double hull[] = {70, 100, 95, 100, 100, 92, 70, 92, 70, 100, 100, 92};
        g.FillTriangles(hull, 2, RGB(255, 255, 0), 255);
        // The trawl net, and one square of each hatch style.
        const PointF net[] = {{140, 80}, {140, 95}, {110, 90}, {110, 85}};
        g.DrawHatchedPolygon(net, 4, RGB(255, 0, 0), 255, 2.0, kHatchDiagonalCross);
        for (int style = 0; style <= 5; ++style) {
            const float left = 145.0f + 9.0f * style;
            const PointF square[] = {{left, 100}, {left + 8, 100}, {left + 8, 115}, {left, 115}};
            g.DrawHatchedPolygon(square, 4, RGB(0, 0, 128), 200, 1.0, style);
        }
    }
    EXPECT_TRUE(MatchesGolden(device.Snapshot(), "drawing/fills.png", kExact));
}

TEST(DeviceGraphicsGolden, AlignedText) {
    PixelDevice device(300, 150);
    {
        DeviceGraphics g(&device);
        const char* names[3][3] = {{"near near", "near centre", "near far"},
                                   {"centre near", "centre centre", "centre far"},
                                   {"far near", "far centre", "far far"}};
        for (short a = 0; a < 3; ++a) {
            for (short l = 0; l < 3; ++l) {
                const double x = 50 + 100 * a;
                const double y = 25 + 45 * l;
                double r[4];
                g.MeasureText(x, y, r, names[a][l], "Arial", 11, a, l);
                g.FillRect(
                    RECT{LONG(r[0]), LONG(r[1]), LONG(std::ceil(r[2])), LONG(std::ceil(r[3]))},
                    RGB(0, 0, 0), 40);
                g.DrawText(x, y, names[a][l], "Arial", 11, RGB(0, 0, 128), a, l);
                CrossHair(g, x, y);
            }
        }
    }
    EXPECT_TRUE(MatchesGolden(device.Snapshot(), "drawing/text-aligned.png", kText));
}

TEST(DeviceGraphicsGolden, TextSizesAndCodePage) {
    PixelDevice device(300, 115);
    {
        DeviceGraphics g(&device);
        double y = 4;
        for (double size : {8.0, 11.0, 22.0, 33.0}) {
            g.DrawText(4, y, "1:2 500 - x 4", "Arial", size, RGB(0, 0, 0), 0, 0);
            double r[4];
            g.MeasureText(4, y, r, "1:2 500 - x 4", "Arial", size, 0, 0);
            y = r[3] + 2;
        }
        // Accented letters and signs of the code page.
        g.DrawText(4, y,
                   "Temp\xE9rature \xE9t\xE9 \xE0 12\xB0 \x80 \xC7"
                   "a \xAB\xBB",
                   "Arial", 16, RGB(200, 35, 35), 0, 0);
        // Several lines, each centred on x.
        g.DrawText(250, 60, "No Sweep\nHF\nDual Freq.", "Arial", 11, RGB(0, 0, 0), 1, 1);
        CrossHair(g, 250, 60);
    }
    EXPECT_TRUE(MatchesGolden(device.Snapshot(), "drawing/text-sizes.png", kText));
}

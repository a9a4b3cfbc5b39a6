#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "drawing/DeviceGraphics.h"
#include "tests/drawing/PixelDevice.h"

namespace {

struct Box {
    int left = 1 << 20;
    int top = 1 << 20;
    int right = -1;  // inclusive
    int bottom = -1;
    bool Empty() const { return right < 0; }
};

// The pixels that differ from white.
Box InkBox(const Image& image) {
    Box box;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y) != 0xFFFFFFFF) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

struct Measured {
    double rect[4] = {0, 0, 0, 0};
    Box ink;
};

Measured DrawAndMeasure(const char* text, double size, short align, short lineAlign,
                        double x = 150.0, double y = 60.0) {
    PixelDevice device(300, 120);
    Measured m;
    {
        DeviceGraphics g(&device);
        g.DrawText(x, y, text, "Arial", size, RGB(0, 0, 0), align, lineAlign);
        g.MeasureText(x, y, m.rect, text, "Arial", size, align, lineAlign);
    }
    m.ink = InkBox(device.Snapshot());
    return m;
}

}  // namespace

TEST(DeviceGraphicsText, InkLiesInsideTheMeasuredBoxForEveryAlignment) {
    for (short align = 0; align < 3; ++align) {
        for (short lineAlign = 0; lineAlign < 3; ++lineAlign) {
            const Measured m = DrawAndMeasure("Temp\xE9rature 12.5 Mg", 11, align, lineAlign);
            ASSERT_FALSE(m.ink.Empty());
            SCOPED_TRACE(testing::Message() << "align " << align << ", " << lineAlign);
            EXPECT_GE(m.ink.left, std::floor(m.rect[0]));
            EXPECT_GE(m.ink.top, std::floor(m.rect[1]));
            EXPECT_LT(m.ink.right, std::ceil(m.rect[2]));
            EXPECT_LT(m.ink.bottom, std::ceil(m.rect[3]));
            // Tight: a padding of a sixth of the size at the ends, and the
            // line's ascent and descent, not more.
            EXPECT_LE(m.ink.left - m.rect[0], 11.0 / 6.0 + 2.5);
            EXPECT_LE(m.rect[2] - m.ink.right, 11.0 / 6.0 + 2.5);
            EXPECT_LE(m.ink.top - m.rect[1], 4.0);
            EXPECT_LE(m.rect[3] - m.ink.bottom, 4.0);
        }
    }
}

TEST(DeviceGraphicsText, AlignmentsPlaceTheBoxAroundTheOrigin) {
    double near[4], centre[4], far[4];
    PixelDevice device(10, 10);
    DeviceGraphics g(&device);
    g.MeasureText(50, 40, near, "Depth", "Arial", 11, kAlignNear, kAlignNear);
    g.MeasureText(50, 40, centre, "Depth", "Arial", 11, kAlignCenter, kAlignCenter);
    g.MeasureText(50, 40, far, "Depth", "Arial", 11, kAlignFar, kAlignFar);
    EXPECT_EQ(near[0], 50.0);
    EXPECT_EQ(near[1], 40.0);
    EXPECT_DOUBLE_EQ((centre[0] + centre[2]) / 2, 50.0);
    EXPECT_DOUBLE_EQ((centre[1] + centre[3]) / 2, 40.0);
    EXPECT_EQ(far[2], 50.0);
    EXPECT_EQ(far[3], 40.0);
    for (const double* r : {near, centre, far}) {
        EXPECT_DOUBLE_EQ(r[2] - r[0], near[2] - near[0]);
        EXPECT_DOUBLE_EQ(r[3] - r[1], near[3] - near[1]);
    }
}

TEST(DeviceGraphicsText, DrawnTextMovesWithItsBox) {
    // The same text at every alignment: the ink keeps its place in the box.
    const Measured reference = DrawAndMeasure("x 4", 20, 0, 0);
    for (short align = 0; align < 3; ++align) {
        for (short lineAlign = 0; lineAlign < 3; ++lineAlign) {
            const Measured m = DrawAndMeasure("x 4", 20, align, lineAlign);
            EXPECT_NEAR(m.ink.left - m.rect[0], reference.ink.left - reference.rect[0], 1.0);
            EXPECT_NEAR(m.ink.top - m.rect[1], reference.ink.top - reference.rect[1], 1.0);
            EXPECT_EQ(m.ink.right - m.ink.left, reference.ink.right - reference.ink.left);
            EXPECT_EQ(m.ink.bottom - m.ink.top, reference.ink.bottom - reference.ink.top);
        }
    }
}

TEST(DeviceGraphicsText, SizeIsInPixels) {
    double small[4], large[4];
    DeviceGraphics g(nullptr);
    g.MeasureText(0, 0, small, "1:2 500 - x 4", "Arial", 11, 0, 0);
    g.MeasureText(0, 0, large, "1:2 500 - x 4", "Arial", 44, 0, 0);
    // Liberation Sans, metric twin of the font asked for: a line is 1.15 em.
    EXPECT_NEAR(small[3] - small[1], 11 * 1.15, 0.2);
    EXPECT_NEAR((large[2] - large[0]) / (small[2] - small[0]), 4.0, 0.15);
    EXPECT_NEAR((large[3] - large[1]) / (small[3] - small[1]), 4.0, 0.05);
}

TEST(DeviceGraphicsText, TextIsBoldAndOpaque) {
    PixelDevice device(120, 40);
    {
        DeviceGraphics g(&device);
        g.DrawText(5, 5, "IIII", "Arial", 30, RGB(0, 0, 200), 0, 0);
    }
    const Image image = device.Snapshot();
    // Full strength somewhere, whatever the anti-aliasing at the edges.
    int solid = 0;
    for (std::uint32_t p : image.pixels) {
        solid += p == 0xFF0000C8;
    }
    EXPECT_GT(solid, 100);
    // The stem of a bold I at 30 pixels is about 4 pixels wide.
    int run = 0, longest = 0;
    for (int x = 0; x < image.width; ++x) {
        run = image.At(x, 20) == 0xFF0000C8 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_GE(longest, 3);
}

TEST(DeviceGraphicsText, LinesStackAndAlignEachOnItsOwn) {
    double one[4], two[4], wide[4], narrow[4];
    DeviceGraphics g(nullptr);
    g.MeasureText(0, 0, one, "Depth 12 m", "Arial", 20, 0, 0);
    g.MeasureText(0, 0, two, "Depth 12 m\n1:2 500", "Arial", 20, 0, 0);
    g.MeasureText(0, 0, wide, "Depth 12 m", "Arial", 20, 0, 0);
    g.MeasureText(0, 0, narrow, "1:2 500", "Arial", 20, 0, 0);
    EXPECT_DOUBLE_EQ(two[3] - two[1], 2 * (one[3] - one[1]));
    EXPECT_DOUBLE_EQ(two[2] - two[0], wide[2] - wide[0]);
    EXPECT_LT(narrow[2], wide[2]);
}

TEST(DeviceGraphicsText, EmptyAndMissingTextsMeasureAsThePoint) {
    DeviceGraphics g(nullptr);
    double rect[4] = {1, 2, 3, 4};
    g.MeasureText(7.5, 8.5, rect, "", "Arial", 11, kAlignFar, kAlignCenter);
    EXPECT_EQ(rect[0], 7.5);
    EXPECT_EQ(rect[1], 8.5);
    EXPECT_EQ(rect[2], 7.5);
    EXPECT_EQ(rect[3], 8.5);
    g.MeasureText(1, 1, rect, nullptr, "Arial", 11, 0, 0);
    EXPECT_EQ(rect[2], 1.0);
    g.MeasureText(1, 1, rect, "x", "Arial", 0, 0, 0);  // no font of size 0
    EXPECT_EQ(rect[2], 1.0);
    g.MeasureText(1, 1, nullptr, "x", "Arial", 11, 0, 0);
}

TEST(DeviceGraphicsText, AccentedLettersOfTheCodePageAreDrawn) {
    // e acute in the code page draws as the accented letter, not as "e" and
    // not as a replacement box.
    PixelDevice accented(60, 40), plain(60, 40);
    {
        DeviceGraphics g(&accented);
        g.DrawText(10, 5, "\xE9", "Arial", 24, RGB(0, 0, 0), 0, 0);
    }
    {
        DeviceGraphics g(&plain);
        g.DrawText(10, 5, "e", "Arial", 24, RGB(0, 0, 0), 0, 0);
    }
    const Box a = InkBox(accented.Snapshot());
    const Box e = InkBox(plain.Snapshot());
    EXPECT_EQ(a.bottom, e.bottom);
    EXPECT_LT(a.top, e.top - 3);
    EXPECT_NEAR(a.right - a.left, e.right - e.left, 1);
}

#include "drawing/KnownPixelFill.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "drawing/DeviceGraphics.h"
#include "platform/SolidRows.h"
#include "tests/drawing/PixelDevice.h"

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 60;

SolidRows* Known(PixelDevice& device) {
    return SolidRows::Of(device.GetDC()->GetSurface());
}

COLORREF RandomColour(std::mt19937& random) {
    return RGB(random() % 256, random() % 256, random() % 256);
}

BYTE RandomOpacity(std::mt19937& random) {
    switch (random() % 6) {
        case 0:
            return 255;
        case 1:
            return 0;
        case 2:
            return 150;
        default:
            return static_cast<BYTE>(random() % 256);
    }
}

std::vector<double> RandomCurve(std::mt19937& random) {
    std::vector<double> xy;
    const int count = 2 + static_cast<int>(random() % 30);
    double x = -10.0 + static_cast<double>(random() % 20);
    for (int i = 0; i < count; ++i) {
        xy.push_back(x);
        xy.push_back(-5.0 + static_cast<double>(random() % 700) / 10.0);
        x += static_cast<double>(random() % 80) / 10.0;
    }
    return xy;
}

RECT RandomRect(std::mt19937& random, int width, int height) {
    const int left = static_cast<int>(random() % width) - 5;
    const int top = static_cast<int>(random() % height) - 5;
    return RECT{left, top, left + 1 + static_cast<int>(random() % width),
                top + 1 + static_cast<int>(random() % height)};
}

// One drawing step, done alike on both devices.
struct Step {
    int kind;
    std::vector<double> curve;
    double base;
    RECT rect;
    COLORREF colour;
    BYTE opacity;
};

Step RandomStep(std::mt19937& random) {
    Step s{static_cast<int>(random() % 12),
           RandomCurve(random),
           random() % 2 ? double(kHeight) : static_cast<double>(random() % (kHeight + 10)),
           RandomRect(random, kWidth, kHeight),
           RandomColour(random),
           RandomOpacity(random)};
    return s;
}

// Returns whether a curve fill left the record whole (drawn over known pixels).
bool Apply(const Step& s, DeviceGraphics& g, CDC& dc) {
    switch (s.kind) {
        case 0:
            g.DrawPolyline(s.curve.data(), static_cast<int>(s.curve.size() / 2), s.colour, 2.0,
                           255);
            break;
        case 1:
            g.FillRect(s.rect, s.colour, s.opacity);
            break;
        case 2:
            g.SetClip(s.rect);
            break;
        case 3:
            g.ResetClip();
            break;
        case 4:
            dc.FillSolidRect(s.rect, s.colour);
            break;
        case 5:
            g.DrawText(s.rect.left, s.rect.top, "12.5", "DejaVu Sans", 11, s.colour, 0, 0);
            break;
        default:
            g.FillUnderCurve(s.curve.data(), s.base, static_cast<int>(s.curve.size() / 2), s.colour,
                             s.opacity);
            return true;
    }
    return false;
}

}  // namespace

// The same drawings on a context that keeps a record of its solid fills and
// on one that does not give the same pixels, whatever comes between them.
TEST(KnownPixelFill, DrawsWhatCairoDraws) {
    std::mt19937 random(9122026);
    int fast = 0;
    int fills = 0;
    for (int round = 0; round < 300; ++round) {
        // A back buffer larger than the window, as when another window grew it.
        const SIZE reported{kWidth - static_cast<LONG>(random() % 10), kHeight};
        PixelDevice kept(SIZE{kWidth, kHeight}, reported);
        PixelDevice plain(SIZE{kWidth, kHeight}, reported);
        SolidRows::Attach(kept.GetDC()->GetSurface());
        // The background's bands, as the profile view paints it.
        const int surface = static_cast<int>(random() % kHeight);
        for (PixelDevice* device : {&kept, &plain}) {
            device->GetDC()->FillSolidRect(RECT{0, 0, kWidth, surface}, RGB(10, 20, 30));
            device->GetDC()->FillSolidRect(RECT{0, surface, kWidth, kHeight}, RGB(200, 210, 220));
        }
        const int passes = 1 + static_cast<int>(random() % 3);
        for (int pass = 0; pass < passes; ++pass) {
            DeviceGraphics a(&kept);
            DeviceGraphics b(&plain);
            if (random() % 2) {
                const RECT clip = random() % 2 ? RECT{0, 0, reported.cx, reported.cy}
                                               : RandomRect(random, kWidth, kHeight);
                a.SetClip(clip);
                b.SetClip(clip);
            }
            const int steps = 1 + static_cast<int>(random() % 5);
            for (int i = 0; i < steps; ++i) {
                const Step step = RandomStep(random);
                const bool wasKnown = !Known(kept)->Empty();
                const bool fill = Apply(step, a, *kept.GetDC());
                Apply(step, b, *plain.GetDC());
                if (fill && wasKnown) {
                    ++fills;
                    fast += Known(kept)->Empty() ? 0 : 1;
                }
            }
        }
        const Image expected = plain.Snapshot();
        const Image actual = kept.Snapshot();
        ASSERT_EQ(actual.pixels, expected.pixels) << "round " << round;
    }
    // Most fills over known pixels were written directly; the rest fell back.
    EXPECT_GT(fast, fills / 2);
    EXPECT_LT(fast, fills);
}

TEST(KnownPixelFill, OtherWritersMakeTheRecordForget) {
    PixelDevice device(8, 8);
    CDC& dc = *device.GetDC();
    SolidRows::Attach(dc.GetSurface());
    SolidRows& known = *Known(device);
    dc.FillSolidRect(RECT{0, 0, 8, 8}, RGB(1, 2, 3));
    ASSERT_FALSE(known.Empty());
    dc.MarkDirty();
    EXPECT_TRUE(known.Empty());

    dc.FillSolidRect(RECT{0, 0, 8, 8}, RGB(1, 2, 3));
    PixelDevice other(8, 8);
    dc.BitBlt(0, 0, 4, 4, other.GetDC(), 0, 0, SRCCOPY);
    EXPECT_TRUE(known.Empty());

    // A recorded fill is in the pixels whenever they are read.
    dc.FillSolidRect(RECT{0, 0, 8, 8}, RGB(40, 50, 60));
    EXPECT_EQ(dc.GetPixel(7, 7), RGB(40, 50, 60));
    dc.FillSolidRect(RECT{2, 2, 6, 6}, RGB(70, 80, 90));
    other.GetDC()->BitBlt(0, 0, 8, 8, &dc, 0, 0, SRCCOPY);
    EXPECT_EQ(other.Pixel(5, 5), RGB(70, 80, 90));
    EXPECT_EQ(other.Pixel(6, 6), RGB(40, 50, 60));

    // Solid fills are recorded as the values they leave.
    dc.MarkDirty();
    dc.FillSolidRect(RECT{-3, 2, 5, 20}, RGB(0x10, 0x20, 0x30));
    ASSERT_EQ(known.Row(2).size(), 1u);
    EXPECT_EQ(known.Row(2)[0].x0, 0);
    EXPECT_EQ(known.Row(2)[0].x1, 5);
    EXPECT_EQ(known.Row(2)[0].pixel & 0xFFFFFFu, 0x102030u);
    EXPECT_TRUE(known.Row(1).empty());
    EXPECT_EQ(known.Row(7).size(), 1u);
}

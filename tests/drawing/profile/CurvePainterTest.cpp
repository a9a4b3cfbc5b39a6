#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "drawing/CurvePainter.h"
#include "drawing/DeviceGraphics.h"
#include "graphdata/ProfileSeries.h"
#include "layout/LinearPixelProjection.h"
#include "tests/drawing/PixelDevice.h"

namespace {

constexpr double kStep = 1e-4;
constexpr RECT kArea{0, 0, 2000, 100};

// One pixel per sample horizontally (pixel i shows sample i), one pixel per
// metre downwards from the surface.
LinearPixelProjection Horizontal() {
    LinearPixelProjection x;
    x.scale = kStep;
    x.multiplier = 1.0;
    x.origin = 0.0;
    return x;
}
LinearPixelProjection Vertical() {
    LinearPixelProjection y(true);
    y.scale = 1.0;
    y.multiplier = 1.0;
    y.origin = 0.0;
    return y;
}

ProfileSeries Series(const std::vector<double>& values) {
    ProfileSeries series;
    for (std::size_t i = 0; i < values.size(); ++i) {
        series.Add(ProfilePoint{PosType(0.0, i * kStep), values[i], i * kStep});
    }
    return series;
}

Curve Build(const ProfileSeries& series, double from, double to, double distanceOffset = 0.0,
            float valueOffset = 0.0f) {
    return CurvePainter(&series, nullptr)
        .BuildCurve(from, to, kArea, Horizontal(), Vertical(), distanceOffset, valueOffset,
                    CurvePainter::kMaxSamples);
}

// The curve as (x, y) pairs rounded to whole pixels.
std::vector<std::pair<int, int>> Pixels(const Curve& curve) {
    std::vector<std::pair<int, int>> pixels;
    for (int i = 0; i < curve.Count(); ++i) {
        pixels.emplace_back(static_cast<int>(std::lround(curve.X(i))),
                            static_cast<int>(std::lround(curve.Y(i))));
    }
    return pixels;
}

using Pairs = std::vector<std::pair<int, int>>;

}  // namespace

TEST(CurvePainterDecimation, A1100SampleWindowTakesEveryFourthSample) {
    const ProfileSeries series = Series(std::vector<double>(1100, -20.0));
    const Curve curve = Build(series, -kStep / 2, 1099.5 * kStep);
    // 1099 / 2 = 549 steps is too many, 1099 / 4 = 274 is not: samples 0, 4, ..., 1096.
    ASSERT_EQ(curve.Count(), 275);
    for (int k = 0; k < curve.Count(); ++k) {
        EXPECT_NEAR(curve.X(k), 4.0 * k, 1e-6) << k;
        EXPECT_NEAR(curve.Y(k), 20.0, 1e-9) << k;
    }
    // Up to 500 steps nothing is left out.
    EXPECT_EQ(Build(Series(std::vector<double>(501, -20.0)), -1.0, 1.0).Count(), 501);
}

TEST(CurvePainterDecimation, ScrollingKeepsTheSamplesTaken) {
    ProfileSeries series;
    for (int i = 0; i < 4000; ++i) {
        series.Add(ProfilePoint{PosType(0.0, i * kStep), -20.0 - i % 9, i * kStep});
    }
    for (int shift = 0; shift < 40; ++shift) {
        const double from = (shift + 0.5) * kStep;
        const Curve curve = Build(series, from, from + 1500 * kStep);
        ASSERT_GE(curve.Count(), 300);
        for (int k = 0; k < curve.Count(); ++k) {
            const long index = std::lround(curve.X(k));
            ASSERT_EQ(index % 4, 0) << "shift " << shift << " point " << k;
            ASSERT_NEAR(curve.Y(k), 20.0 + index % 9, 1e-9);
        }
    }
}

TEST(CurvePainterCurve, SmallWindowsAndSinglePoints) {
    // One sample inside the window plus a neighbour on each side.
    const ProfileSeries series = Series({-10, -11, -12, -13, -14, -15});
    EXPECT_EQ(Pixels(Build(series, 2.2 * kStep, 2.8 * kStep)), (Pairs{{2, 12}, {3, 13}, {4, 14}}));
    // A window between two samples still draws the segment across it.
    EXPECT_EQ(Build(series, 2.2 * kStep, 2.4 * kStep).Count(), 3);
    EXPECT_EQ(Build(Series({-10}), -1.0, 1.0).Count(), 0);
    EXPECT_EQ(Build(ProfileSeries(), -1.0, 1.0).Count(), 0);
}

TEST(CurvePainterCurve, GapsDropToTheBottomAndComeBackAtTheSameAbscissa) {
    const ProfileSeries series = Series({-10, -11, kUndefined, -13, -14});
    EXPECT_EQ(Pixels(Build(series, -1.0, 1.0)),
              (Pairs{{0, 10}, {1, 11}, {1, 100}, {2, 100}, {2, 13}, {3, 13}, {4, 14}}));

    // All undefined after the first: the line drops at once and stays down.
    const ProfileSeries lost = Series({-10, kUndefined, kUndefined, kUndefined});
    EXPECT_EQ(Pixels(Build(lost, -1.0, 1.0)),
              (Pairs{{0, 10}, {0, 100}, {1, 100}, {2, 100}, {3, 100}}));
}

TEST(CurvePainterCurve, Offsets) {
    const ProfileSeries series = Series({-10, -11, -12, -13, -14, -15, -16, -17});
    // The window is shifted back by the distance offset, the points forward.
    EXPECT_EQ(Pixels(Build(series, 4.5 * kStep, 5.5 * kStep, 2 * kStep)),
              (Pairs{{4, 12}, {5, 13}, {6, 14}, {7, 15}}));
    EXPECT_EQ(Pixels(Build(series, 2.5 * kStep, 2.6 * kStep, 0.0, -5.0f)),
              (Pairs{{2, 7}, {3, 8}, {4, 9}}));
    // An undefined value offset counts as none.
    EXPECT_EQ(Pixels(Build(series, 2.5 * kStep, 2.6 * kStep, 0.0, kUndefinedFloat)),
              (Pairs{{2, 12}, {3, 13}, {4, 14}}));
}

TEST(CurvePainterPaint, LinesAndFillsOnlyInTheirModes) {
    const ProfileSeries series = Series({-10, -10, -10, -10, -10, -10});
    auto paint = [&](int mode) {
        PixelDevice device(8, 20);
        {
            DeviceGraphics graphics(&device);
            CurvePainter(&series, &graphics)
                .Paint(RECT{0, 0, 8, 20}, -1.0, 1.0, Horizontal(), Vertical(), mode, RGB(0, 0, 255),
                       255, 0.0, 0.0f);
        }
        return device.Snapshot();
    };
    const Image line = paint(CurvePainter::kLine);
    const Image fill = paint(CurvePainter::kFill);
    const Image none = paint(7);
    constexpr std::uint32_t kWhite = 0xFFFFFFFF;
    constexpr std::uint32_t kBlue = 0xFF0000FF;
    EXPECT_EQ(line.At(2, 10), kBlue);
    EXPECT_EQ(line.At(2, 15), kWhite);
    EXPECT_EQ(fill.At(2, 15), kBlue);
    EXPECT_EQ(fill.At(2, 5), kWhite);
    for (std::uint32_t pixel : none.pixels) {
        ASSERT_EQ(pixel, kWhite);
    }
    // Without graphics or series there is nothing to draw with: no crash either.
    CurvePainter(&series, nullptr)
        .Paint(kArea, -1.0, 1.0, Horizontal(), Vertical(), 0, 0, 255, 0.0, 0.0f);
    CurvePainter(nullptr, nullptr)
        .Paint(kArea, -1.0, 1.0, Horizontal(), Vertical(), 0, 0, 255, 0.0, 0.0f);
}

#include "layout/LinearPixelProjection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

LinearPixelProjection Make(bool inverted, double scale, double origin, double multiplier) {
    LinearPixelProjection p(inverted);
    p.scale = scale;
    p.origin = origin;
    p.multiplier = multiplier;
    return p;
}

// A spread of axes: depth-like inverted ones and distance-like plain ones.
std::vector<LinearPixelProjection> SampleProjections() {
    return {Make(false, 1.0, 0.0, 1.0),      Make(true, 0.01, 35.0, 1.0),
            Make(false, 0.25, -120.5, 64.0), Make(true, 3.0, 4000.0, 0.125),
            Make(false, 4e-7, 0.0123, 1.0),  Make(true, -2.0, 10.0, 8.0)};
}

TEST(LinearPixelProjection, NewAndResetProjectionsHoldTheUnsetMarker) {
    LinearPixelProjection plain;
    EXPECT_FALSE(plain.inverted);
    EXPECT_EQ(plain.scale, -66666.0);
    EXPECT_EQ(plain.origin, -66666.0);
    EXPECT_EQ(plain.multiplier, -66666.0);
    // Meaningless, but finite: nothing divides by zero before it is set.
    EXPECT_TRUE(std::isfinite(plain.ToPixel(12.0)));
    EXPECT_TRUE(std::isfinite(plain.ToWorld(12.0)));

    LinearPixelProjection vertical = Make(true, 0.5, 3.0, 2.0);
    vertical.Reset();
    EXPECT_TRUE(vertical.inverted);
    EXPECT_EQ(vertical.scale, LinearPixelProjection::kUnset);
    EXPECT_EQ(vertical.origin, LinearPixelProjection::kUnset);
    EXPECT_EQ(vertical.multiplier, LinearPixelProjection::kUnset);
}

TEST(LinearPixelProjection, InvertedTemperatureAxisShowsLargestValueOnTop) {
    const LinearPixelProjection p = Make(true, 0.01, 35.0, 1.0);
    EXPECT_DOUBLE_EQ(p.ToWorld(0.0), 35.0);
    EXPECT_DOUBLE_EQ(p.ToWorld(100.0), 34.0);
    EXPECT_DOUBLE_EQ(p.ToPixel(30.0), 500.0);
    // Lengths ignore the origin but keep the direction.
    EXPECT_DOUBLE_EQ(p.ToPixel(1.0, true), -100.0);
    EXPECT_DOUBLE_EQ(p.ToWorld(100.0, true), -1.0);
}

TEST(LinearPixelProjection, PlainAxisUsesScaleTimesMultiplier) {
    const LinearPixelProjection p = Make(false, 2.5, 1000.0, 4.0);  // 10 units a pixel
    EXPECT_DOUBLE_EQ(p.ToPixel(1250.0), 25.0);
    EXPECT_DOUBLE_EQ(p.ToWorld(-3.0), 970.0);
    EXPECT_DOUBLE_EQ(p.ToPixel(50.0, true), 5.0);
}

TEST(LinearPixelProjection, ToWorldUndoesToPixel) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> values(-5000.0, 5000.0);
    for (const auto& p : SampleProjections()) {
        for (int i = 0; i < 200; ++i) {
            const double v = values(random);
            EXPECT_NEAR(p.ToWorld(p.ToPixel(v)), v, 1e-9 * (1.0 + std::fabs(v)));
            EXPECT_NEAR(p.ToWorld(p.ToPixel(v, true), true), v, 1e-9 * (1.0 + std::fabs(v)));
            EXPECT_NEAR(p.ToPixel(p.ToWorld(v)), v, 1e-6 * (1.0 + std::fabs(v)));
        }
    }
}

TEST(LinearPixelProjection, ScrollBringsThatPixelsValueToPixelZero) {
    for (auto p : SampleProjections()) {
        for (const double pixels : {-300.0, -1.0, 0.0, 17.0, 640.0}) {
            LinearPixelProjection moved = p;
            const double value = moved.ToWorld(pixels);
            moved.Scroll(pixels);
            EXPECT_NEAR(moved.ToPixel(value), 0.0, 1e-6);
            // Scrolling back restores the view.
            moved.Scroll(-pixels);
            EXPECT_NEAR(moved.origin, p.origin, 1e-9 * (1.0 + std::fabs(p.origin)));
        }
    }
}

TEST(LinearPixelProjection, FitTwoPointsMapsTopAndBottomOfARectangle) {
    LinearPixelProjection p(true);
    ASSERT_TRUE(p.FitTwoPoints(10.0, 210.0, 12.0, 20.0));  // top 10 shows 20, bottom 210 shows 12
    EXPECT_EQ(p.multiplier, 1.0);
    EXPECT_DOUBLE_EQ(p.ToWorld(10.0), 20.0);
    EXPECT_DOUBLE_EQ(p.ToWorld(210.0), 12.0);
    EXPECT_DOUBLE_EQ(p.ToPixel(16.0), 110.0);
}

TEST(LinearPixelProjection, FitTwoPointsRefusesDegenerateInput) {
    const LinearPixelProjection before = Make(true, 0.1, 35.0, 1.0);
    struct Case {
        double pixelA, pixelB, valueB, valueA;
    };
    const Case cases[] = {
        {50.0, 50.0, 12.0, 20.0},         // an empty rectangle
        {0.0, 100.0, 15.0, 15.0},         // a flat range
        {0.0, std::nan(""), 12.0, 20.0},  // no bottom
        {0.0, 100.0, 12.0, HUGE_VAL},     // no top value
    };
    for (const auto& c : cases) {
        LinearPixelProjection p = before;
        EXPECT_FALSE(p.FitTwoPoints(c.pixelA, c.pixelB, c.valueB, c.valueA));
        EXPECT_EQ(p.scale, before.scale);
        EXPECT_EQ(p.origin, before.origin);
        EXPECT_EQ(p.multiplier, before.multiplier);
    }
}

TEST(LinearPixelProjection, CenterIfOutsideKeepsVisibleValuesIncludingBothEdges) {
    for (const bool inverted : {false, true}) {
        LinearPixelProjection p = Make(inverted, 1.0, inverted ? 100.0 : 0.0, 1.0);
        const double origin = p.origin;
        // A hair off an edge, as arithmetic leaves a value put there, is on it.
        for (const double pixel : {0.0, 0.5, 99.5, 100.0, -1e-9, 100.0 + 1e-9}) {
            EXPECT_FALSE(p.CenterIfOutside(p.ToWorld(pixel), 100));
            EXPECT_EQ(p.origin, origin);
        }
        for (const double pixel : {-0.25, 100.25, 5000.0}) {
            LinearPixelProjection q = p;
            const double value = q.ToWorld(pixel);
            EXPECT_TRUE(q.CenterIfOutside(value, 100));
            EXPECT_NEAR(q.ToPixel(value), 50.0, 1e-9);
        }
    }
}

TEST(LinearPixelProjection, FollowValueRecentresOnlyWhenTheValueJustLeft) {
    const LinearPixelProjection start = Make(false, 1.0, 0.0, 1.0);
    struct Case {
        double previous, current;
        bool recentred;
    };
    const Case cases[] = {
        {50.0, 150.0, true},          // was visible, left on the right
        {0.0, -1.0, true},            // was on the first pixel, left on the left
        {50.0, 99.0, false},          // still visible
        {150.0, 5000.0, false},       // was already outside
        {-10.0, 50.0, false},         // came back into view
        {100.0, 200.0, true},         // on the far edge, where the data's end is kept
        {50.0, 100.0, false},         // on the far edge: still in view
        {50.0, 100.0 + 1e-9, false},  // a hair beyond an edge is on it
        {100.0 + 1e-9, 200.0, true},  // so is a previous value there
        {-1e-9, -1.0, true},          // and a hair before the first pixel
    };
    for (const auto& c : cases) {
        LinearPixelProjection p = start;
        EXPECT_FALSE(p.FollowValue(c.previous, c.current, 100));
        if (c.recentred) {
            EXPECT_NEAR(p.ToPixel(c.current), 50.0, 1e-9) << c.previous << " -> " << c.current;
        } else {
            EXPECT_EQ(p.origin, start.origin) << c.previous << " -> " << c.current;
        }
    }
}

}  // namespace

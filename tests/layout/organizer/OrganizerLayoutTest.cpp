// Where the organizer puts the data: level and slope, scrolling and zoom about
// the anchor, the level bound, the first position kept on the data, following
// the ship, and fitting.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/layout/organizer/FixedGraph.h"
#include "tests/layout/organizer/OrganizerScene.h"

namespace {

constexpr double kMetresPerRadian = 1852.0 * 10800.0 / M_PI;

// Pixels of a length in radians at a level, counted independently of the
// projection: kUnitsPerPixel at the reference level, doubling per level.
double PixelsAt(double length, int level) {
    return length / (kUnitsPerPixel * std::ldexp(1.0, level - kReferenceLevel));
}

// A view over a graph whose extent the test sets, reaching far ahead of the
// ship at first (as a forecast would).
class OverFixedData : public ::testing::Test {
  protected:
    void SetUp() override {
        data.extent = Extent{0.0, 1.0, -50.0, 0.0};
        scene.graphs.Add(&data);
        ASSERT_TRUE(scene.Open());
    }
    // The graph outlives the scene, whose organizer hands its display back.
    FixedGraph data{"FIXED"};
    OrganizerScene scene;
};

}  // namespace

TEST(OrganizerInit, StartsAtLevelSevenAndSlopeFour) {
    for (short reference : {5, 7, 9}) {
        OrganizerScene scene;
        ASSERT_TRUE(scene.Open(kGraphDepth, reference));
        EXPECT_EQ(scene.organizer.GetLevel(), 7);
        const double radiansPerPixel = kUnitsPerPixel * std::ldexp(1.0, 7 - reference);
        EXPECT_DOUBLE_EQ(scene.X().ToWorld(1.0, true), radiansPerPixel) << reference;
        EXPECT_DOUBLE_EQ(scene.organizer.GetSlope(), 4.0);
        // Depths in metres, stretched four times against the distance.
        EXPECT_NEAR(-scene.Y().ToWorld(1.0, true), radiansPerPixel * kMetresPerRadian / 4.0, 1e-9);
        // 35 degrees at the top edge, 100 pixels per degree.
        EXPECT_DOUBLE_EQ(scene.Y(kUnitTemp).ToWorld(0.0), 35.0);
        EXPECT_DOUBLE_EQ(scene.Y(kUnitTemp).ToWorld(100.0), 34.0);
        EXPECT_EQ(scene.Size().cx, 400);
        EXPECT_EQ(scene.Size().cy, 300);
        EXPECT_EQ(scene.organizer.GetYUnit(), kUnitDist);
    }
}

TEST(OrganizerInit, NeedsAViewAndADevice) {
    OrganizerScene scene;
    EXPECT_FALSE(scene.organizer.Init(nullptr, &scene.manager, scene.graphs, &scene.tracker,
                                      &scene.styles, kUnitsPerPixel, kReferenceLevel, kGraphDepth));
    EXPECT_FALSE(scene.organizer.Init(&scene.window, static_cast<DXDesktopDeviceManager*>(nullptr),
                                      scene.graphs, &scene.tracker, &scene.styles, kUnitsPerPixel,
                                      kReferenceLevel, kGraphDepth));
    // A manager that was never initialised has no device to lend.
    DXDesktopDeviceManager idle;
    EXPECT_FALSE(scene.organizer.Init(&scene.window, &idle, scene.graphs, &scene.tracker,
                                      &scene.styles, kUnitsPerPixel, kReferenceLevel, kGraphDepth));
    // Without a device nothing draws, presents or resizes.
    scene.organizer.Draw();
    EXPECT_FALSE(scene.organizer.Present());
    EXPECT_FALSE(scene.organizer.Resize(SIZE{100, 100}));
}

TEST(OrganizerInit, ShutdownHandsTheDisplaysBack) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    EXPECT_EQ(scene.depth.GetDisplays().size(), 1u);
    EXPECT_EQ(scene.organizer.GetDisplays().size(), 2u);
    scene.organizer.Shutdown();
    EXPECT_TRUE(scene.depth.GetDisplays().empty());
    EXPECT_TRUE(scene.temperature.GetDisplays().empty());
    EXPECT_TRUE(scene.organizer.GetDisplays().empty());
    EXPECT_EQ(scene.organizer.GetDevice(), nullptr);
    // Set up twice, it keeps one display per graph.
    ASSERT_TRUE(scene.Open());
    ASSERT_TRUE(scene.Open());
    EXPECT_EQ(scene.depth.GetDisplays().size(), 1u);
    EXPECT_EQ(scene.organizer.GetDisplays().size(), 2u);
}

TEST_F(OverFixedData, ZoomKeepsTheDistanceUnderTheAnchor) {
    scene.organizer.Scroll(5000, 0);
    scene.organizer.SetHoverPoint(POINT{123, 80});
    const double under = scene.X().ToWorld(123);
    scene.organizer.SetLevel(12);
    EXPECT_EQ(scene.organizer.GetLevel(), 12);
    EXPECT_NEAR(scene.X().ToWorld(123), under, 1e-12);
    EXPECT_NEAR(scene.X().ToWorld(124) - under, kUnitsPerPixel * 32.0, 1e-15);

    // The slope turns about the anchor too, on the vertical axis.
    const double value = scene.Y().ToWorld(80);
    EXPECT_TRUE(scene.organizer.SetSlope(64.0));
    EXPECT_NEAR(scene.Y().ToWorld(80), value, 1e-9);
    EXPECT_DOUBLE_EQ(scene.organizer.GetSlope(), 64.0);
    // Refused: out of limits, or no change.
    EXPECT_FALSE(scene.organizer.SetSlope(64.0));
    EXPECT_FALSE(scene.organizer.SetSlope(2048.0));
    EXPECT_FALSE(scene.organizer.SetSlope(0.0));
    EXPECT_DOUBLE_EQ(scene.organizer.GetSlope(), 64.0);
}

TEST_F(OverFixedData, LevelsClampToTheLadder) {
    scene.organizer.SetLevel(-4);
    EXPECT_EQ(scene.organizer.GetLevel(), 3);
    scene.organizer.SetLevel(40);
    EXPECT_EQ(scene.organizer.GetLevel(), 15);
}

TEST(OrganizerUpdate, WithoutVisibleDataTheLevelComesDownToTen) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.Sail(50);
    scene.organizer.Update();
    for (const char* graph : {kGraphDepth, kGraphTemp}) {
        scene.organizer.FindDisplayByName(graph)->SetVisible(false);
    }
    scene.X().SetLevel(13);
    const double x = scene.X().origin;
    const double y = scene.Y().origin;
    scene.organizer.Update();
    EXPECT_EQ(scene.organizer.GetLevel(), 10);
    EXPECT_EQ(scene.X().origin, x);
    EXPECT_EQ(scene.Y().origin, y);
}

TEST(OrganizerUpdate, ShortDataEndsAtTheRightEdgeAndStartsAtTheTop) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.Sail(41);
    scene.organizer.Update();
    const Extent extent = scene.depth.GetExtent();
    ASSERT_LT(PixelsAt(extent.maxX - extent.minX, 7), 400.0);
    EXPECT_NEAR(scene.X().ToPixel(extent.maxX), 400.0, 1e-6);
    ASSERT_LT(extent.maxY - extent.minY, -scene.Y().ToWorld(300.0, true));
    EXPECT_NEAR(scene.Y().ToPixel(extent.maxY), 0.0, 1e-6);
    // Nothing moves any more once it sits there.
    scene.organizer.Draw();
    EXPECT_FALSE(scene.organizer.NeedsRedraw());
    scene.organizer.Update();
    EXPECT_FALSE(scene.organizer.NeedsRedraw());
}

TEST(OrganizerUpdate, LongDataStaysWithinItsEnds) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.Sail(400);
    scene.organizer.SetSlope(128.0);
    const Extent extent = scene.depth.GetExtent();
    // Dragged past the start, the data's first point comes back to the left edge.
    scene.organizer.Scroll(-100000, -100000);
    scene.organizer.Update();
    EXPECT_NEAR(scene.X().ToPixel(extent.minX), 0.0, 1e-6);
    EXPECT_NEAR(scene.Y().ToPixel(extent.maxY), 0.0, 1e-6);
    // Past the end, the last point stays at the right edge, the deepest at the bottom.
    scene.organizer.Scroll(100000, 100000);
    scene.organizer.Update();
    EXPECT_NEAR(scene.X().ToPixel(extent.maxX), 400.0, 1e-6);
    EXPECT_NEAR(scene.Y().ToPixel(extent.minY), 300.0, 1e-6);
}

TEST_F(OverFixedData, MarginsWidenTheRangeKeptOnScreen) {
    data.extent = Extent{0.0, 1e-3, -40.0, -10.0};
    data.Display()->margins = Margins{-15, 20, 15, -20};
    scene.organizer.SetSlope(1024.0);
    scene.organizer.Scroll(-100000, -100000);
    scene.organizer.Update();
    // 15 pixels before the first distance, 20 pixels above the top value.
    EXPECT_NEAR(scene.X().ToPixel(0.0), 15.0, 1e-6);
    EXPECT_NEAR(scene.Y().ToPixel(-10.0), 20.0, 1e-6);
    scene.organizer.Scroll(100000, 100000);
    scene.organizer.Update();
    EXPECT_NEAR(scene.X().ToPixel(1e-3), 400.0 - 15.0, 1e-6);
    EXPECT_NEAR(scene.Y().ToPixel(-40.0), 300.0 - 20.0, 1e-6);
}

TEST_F(OverFixedData, TheShipKeepsItsPixelWhileVisible) {
    scene.Sail(300);
    scene.organizer.Update();
    scene.organizer.CenterOn(scene.tracker.GetDistance(), -30.0);
    scene.organizer.Scroll(-50, 0);
    scene.organizer.Update();
    const double pixel = scene.X().ToPixel(scene.tracker.GetDistance());
    ASSERT_NEAR(pixel, 250.0, 1e-6);
    scene.Sail(3);
    scene.organizer.Update();
    EXPECT_NEAR(scene.X().ToPixel(scene.tracker.GetDistance()), pixel, 1e-6);
}

TEST(OrganizerFollow, AShipOutsideTheWindowDoesNotMoveIt) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.Sail(300);
    scene.organizer.Update();
    // The ship 100 pixels beyond the right edge.
    scene.organizer.Scroll(-100, 0);
    scene.organizer.Update();
    ASSERT_NEAR(scene.X().ToPixel(scene.tracker.GetDistance()), 500.0, 1e-6);
    const double origin = scene.X().origin;
    scene.Sail(3);
    scene.organizer.Update();
    EXPECT_EQ(scene.X().origin, origin);
}

TEST(OrganizerFollow, DataEndingAtTheShipKeepsTheShipAndItsDepthInView) {
    // Only the depth and temperature profiles: the data ends at the ship,
    // which the first Update puts on the right edge. At these widths the
    // ship's pixel there comes out of the arithmetic a hair beyond the edge.
    for (const int width : {417, 469, 651, 755, 1280}) {
        OrganizerScene scene(width, 300);
        ASSERT_TRUE(scene.Open());
        // Fifteen metres over the window: the bottom leaves it again and again.
        scene.organizer.SetSlope(32.0);
        scene.Sail(2);
        scene.organizer.Update();
        for (int cycle = 0; cycle < 3 * width / 4; ++cycle) {
            scene.Sail(1);
            scene.organizer.Update();
            const double ship = scene.X().ToPixel(scene.tracker.GetDistance());
            ASSERT_NEAR(ship, width, 1e-3) << "width " << width << ", cycle " << cycle;
            const ProfileSeries* series = scene.depth.GetSeries();
            const double depth = scene.Y().ToPixel(series->At(series->GetCount() - 1).value);
            ASSERT_GE(depth, -1e-3) << "width " << width << ", cycle " << cycle;
            ASSERT_LE(depth, 300.0 + 1e-3) << "width " << width << ", cycle " << cycle;
        }
        // The data is longer than the window by now: the ship is followed,
        // not just pushed back by the end of the data.
        const Extent extent = scene.depth.GetExtent();
        EXPECT_GT(PixelsAt(extent.maxX - extent.minX, scene.organizer.GetLevel()), width);
    }
}

TEST(OrganizerFollow, TheFirstDepthFollowedIsBroughtIntoView) {
    // Opened as the module opens it, on the surface, before any data.
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.organizer.Update();
    scene.organizer.CenterOnVessel();
    // Seven and a half metres over the window; no frame while the ship runs
    // down a slope deeper than that (as a view that was not repainted).
    scene.organizer.SetSlope(64.0);
    scene.Sail(22);
    scene.organizer.Update();
    const ProfileSeries* series = scene.depth.GetSeries();
    const double depth = scene.Y().ToPixel(series->At(series->GetCount() - 1).value);
    EXPECT_GE(depth, 0.0);
    EXPECT_LE(depth, 300.0 + 1e-3);
}

TEST(OrganizerFollow, TheValueAxesFollowTheLastValues) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    // 300 pixels hold half a metre: every change of depth leaves the window.
    scene.organizer.SetSlope(1024.0);
    for (int i = 0; i < 20; ++i) {
        scene.Cycle(400.0, 12.0);
    }
    scene.organizer.Update();
    // The sea rises under the ship; the depth axis follows the last depth,
    // the temperature axis keeps the last temperature in view.
    for (int i = 1; i <= 30; ++i) {
        scene.Cycle(400.0 - 10.0 * i, 12.0 + 0.5 * i);
        scene.organizer.Update();
        const double depth =
            scene.depth.GetSeries()->At(scene.depth.GetSeries()->GetCount() - 1).value;
        EXPECT_GE(scene.Y().ToPixel(depth), 0.0) << i;
        EXPECT_LE(scene.Y().ToPixel(depth), 300.0) << i;
        const double degrees = 12.0 + 0.5 * i;
        EXPECT_GE(scene.Y(kUnitTemp).ToPixel(degrees), 0.0) << i;
        EXPECT_LE(scene.Y(kUnitTemp).ToPixel(degrees), 300.0) << i;
    }
}

TEST_F(OverFixedData, FitTakesTheLargestLevelAndSlopeThatShowTheData) {
    // 3e-3 radians long, 25 metres high.
    data.extent = Extent{0.0, 3e-3, -35.0, -10.0};
    EXPECT_EQ(scene.organizer.ExecuteCommand("PLOTREX_FIT_TO_WINDOW", nullptr), 1);
    const int level = scene.organizer.GetLevel();
    // Half the window (200 pixels) at least at that level, less one level up.
    EXPECT_GE(PixelsAt(3e-3, level), 200.0);
    if (level < 15) {
        EXPECT_LT(PixelsAt(3e-3, level + 1), 200.0);
    }
    const double slope = scene.organizer.GetSlope();
    const double metresPerPixel = [&] {
        return kUnitsPerPixel * std::ldexp(1.0, level - kReferenceLevel) * kMetresPerRadian / slope;
    }();
    EXPECT_LE(std::trunc(25.0 / metresPerPixel), 300.0);
    if (slope < 1024.0) {
        EXPECT_GT(std::trunc(25.0 / (metresPerPixel / 2.0)), 300.0);
    }
}

TEST(OrganizerPoints, HoverTakesTheFixedPointBack) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    // With no point, the anchor is the centre.
    EXPECT_EQ(scene.organizer.GetAnchorPoint().x, 200);
    EXPECT_EQ(scene.organizer.GetAnchorPoint().y, 150);
    scene.organizer.Draw();
    ASSERT_FALSE(scene.organizer.NeedsRedraw());
    // A right click marks a point without asking for a redraw.
    scene.organizer.SetFixedPoint(POINT{10, 20});
    EXPECT_FALSE(scene.organizer.NeedsRedraw());
    EXPECT_EQ(scene.organizer.GetAnchorPoint().x, 10);
    scene.organizer.SetHoverPoint(kNoPoint);
    EXPECT_EQ(scene.organizer.GetFixedPoint().x, 10);
    EXPECT_TRUE(scene.organizer.NeedsRedraw());
    // Moving the mouse over the view takes it back.
    scene.organizer.SetHoverPoint(POINT{30, 40});
    EXPECT_TRUE(IsNoPoint(scene.organizer.GetFixedPoint()));
    EXPECT_EQ(scene.organizer.GetAnchorPoint().x, 30);
    EXPECT_EQ(scene.organizer.GetAnchorPoint().y, 40);
    // A fixed point unset only in x is the anchor as it is.
    scene.organizer.SetFixedPoint(POINT{6666, 5});
    EXPECT_EQ(scene.organizer.GetAnchorPoint().x, 6666);
    EXPECT_EQ(scene.organizer.GetAnchorPoint().y, 5);
}

TEST(OrganizerPoints, ValuesUnderTheAnchor) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.Sail(120);
    scene.organizer.Update();
    double first = 1.0;
    double second = 1.0;
    EXPECT_EQ(scene.organizer.GetValueAtAnchor(kUnitDist, &first, &second), kUndefined);
    EXPECT_EQ(first, 1.0);  // untouched without a point

    scene.organizer.SetHoverPoint(POINT{300, 77});
    const double x = scene.X().ToWorld(300);
    double a = 0.0;
    double b = 0.0;
    double expected = 0.0;
    ASSERT_TRUE(scene.depth.GetValueAt(x, &a, &b, &expected));
    EXPECT_EQ(scene.organizer.GetValueAtAnchor(kUnitDist, &first, &second), expected);
    EXPECT_EQ(first, a);
    EXPECT_EQ(second, b);
    double degrees = 0.0;
    ASSERT_TRUE(scene.temperature.GetValueAt(x, &a, &b, &degrees));
    EXPECT_EQ(scene.organizer.GetValueAtAnchor(kUnitTemp, &first, &second), degrees);
    // The depth of the pointer itself.
    EXPECT_EQ(scene.organizer.GetValueAtAnchor("IMMERSION", &first, &second),
              scene.Y().ToWorld(77));
    EXPECT_EQ(first, kUndefined);
    // Hidden graphs are not asked.
    scene.organizer.FindDisplayByName(kGraphDepth)->SetVisible(false);
    EXPECT_EQ(scene.organizer.GetValueAtAnchor(kUnitDist, &first, &second), kUndefined);
    EXPECT_EQ(first, kUndefined);
}

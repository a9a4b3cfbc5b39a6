#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/app/ShallowWatch.h"
#include "hostfamily/Undefined.h"

namespace {

// 50 points 500 m ahead along a meridian from 47.5 N, depths from a function
// of the metres ahead (a minute of arc is 1852 m).
std::vector<DepthQueryPoint> Ahead(double (*depth)(double metres)) {
    std::vector<DepthQueryPoint> points;
    const double latitude = 47.5 * M_PI / 180.0;
    for (int i = 0; i < 50; ++i) {
        const double metres = 500.0 * i / 49.0;
        points.push_back({latitude + metres / 1852.0 / 60.0 * M_PI / 180.0, -0.09, depth(metres)});
    }
    return points;
}

std::vector<DepthQueryPoint> Flat(double depth) {
    std::vector<DepthQueryPoint> points = Ahead([](double) { return 0.0; });
    for (DepthQueryPoint& point : points) {
        point.depth = depth;
    }
    return points;
}

}  // namespace

// Draught 4.5 m and 2 m of margin: warned below 6.5 m, cleared above 7.5 m.
TEST(ShallowWatch, WarnsAtTheFirstShallowPointAndClearsAMetreDeeper) {
    ShallowWatch watch(4.5, 2.0);
    EXPECT_EQ(watch.Limit(), 6.5);
    EXPECT_FALSE(watch.Look(Flat(6.5), 10.0));
    EXPECT_FALSE(watch.Current());

    // A shoal rising to 3 m, 6.5 m deep at 300 m ahead.
    const auto shoal = Ahead([](double m) { return m < 280.0 ? 20.0 : 6.4 - (m - 280.0) / 60.0; });
    EXPECT_TRUE(watch.Look(shoal, 20.0));
    ASSERT_TRUE(watch.Current());
    EXPECT_NEAR(watch.Current()->distance, 285.7, 0.5);  // point 28, the first below 6.5 m
    EXPECT_NEAR(watch.Current()->depth, 6.3, 0.05);
    ASSERT_EQ(watch.Warnings().size(), 1U);
    EXPECT_EQ(watch.Warnings()[0].time, 20.0);

    // Near the limit it holds, still telling the nearest point within a metre.
    EXPECT_TRUE(watch.Look(Flat(7.2), 30.0));
    ASSERT_TRUE(watch.Current());
    EXPECT_NEAR(watch.Current()->distance, 0.0, 1e-6);
    EXPECT_FALSE(watch.Look(Flat(7.2), 40.0));
    // A metre deeper than the limit everywhere: cleared.
    EXPECT_TRUE(watch.Look(Flat(7.6), 50.0));
    EXPECT_FALSE(watch.Current());
    EXPECT_TRUE(watch.Look(Flat(5.0), 60.0));
    ASSERT_EQ(watch.Warnings().size(), 2U);
    EXPECT_EQ(watch.Warnings()[1].shallowest, 5.0);
    EXPECT_TRUE(watch.Look(Flat(3.0), 70.0));
    EXPECT_EQ(watch.Warnings()[1].shallowest, 3.0);
}

TEST(ShallowWatch, PointsWithoutADepthAreNotShallow) {
    ShallowWatch watch(4.5, 0.0);
    auto points = Flat(kUndefined);
    points[10].depth = 0.0;
    points[11].depth = -3.0;
    points[12].depth = NAN;
    EXPECT_FALSE(watch.Look(points, 1.0));
    EXPECT_FALSE(watch.Look({}, 2.0));
    EXPECT_TRUE(watch.Warnings().empty());
    // A margin of 0: shallower than the draught itself.
    points[40].depth = 4.4;
    EXPECT_TRUE(watch.Look(points, 3.0));
    EXPECT_NEAR(watch.Current()->distance, 500.0 * 40 / 49, 0.5);
}

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "hostfamily/Undefined.h"
#include "units/Geodesy.h"

namespace {

constexpr double kDeg = M_PI / 180.0;
// One nautical mile is one minute of arc.
constexpr double kNm = M_PI / 10800.0;

double Haversine(double lat1, double lon1, double lat2, double lon2) {
    const double a = std::pow(std::sin((lat2 - lat1) / 2), 2) +
                     std::cos(lat1) * std::cos(lat2) * std::pow(std::sin((lon2 - lon1) / 2), 2);
    return 2 * std::asin(std::sqrt(a));
}

struct CourseDistance {
    bool ok;
    double course;
    double distance;
};

CourseDistance Compute(double lat1, double lon1, double lat2, double lon2, int method) {
    CourseDistance r{};
    r.ok = ComputeCourseDistance(lat1, lon1, lat2, lon2, &r.course, &r.distance, method);
    return r;
}

}  // namespace

// Los Angeles (33°57'N 118°24'W) to New York JFK (40°38'N 73°47'W): the textbook
// figures are 2144 NM on a great circle, initial course 66°, and 2164.6 NM on a
// rhumb line, course 79.3°.
TEST(Geodesy, KnownDistanceBetweenAirportsOnBothMethods) {
    const double lat1 = (33 + 57.0 / 60) * kDeg, lon1 = -(118 + 24.0 / 60) * kDeg;
    const double lat2 = (40 + 38.0 / 60) * kDeg, lon2 = -(73 + 47.0 / 60) * kDeg;

    const auto gc = Compute(lat1, lon1, lat2, lon2, kGreatCircle);
    ASSERT_TRUE(gc.ok);
    EXPECT_NEAR(gc.distance / kNm, 2144.0, 1.0);
    EXPECT_NEAR(gc.course / kDeg, 65.9, 0.2);

    const auto rl = Compute(lat1, lon1, lat2, lon2, kRhumbLine);
    ASSERT_TRUE(rl.ok);
    EXPECT_NEAR(rl.distance / kNm, 2164.6, 1.0);
    EXPECT_NEAR(rl.course / kDeg, 79.3, 0.2);
}

TEST(Geodesy, GreatCircleAgreesWithHaversineOnRandomPairs) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> lat(-80 * kDeg, 80 * kDeg);
    std::uniform_real_distribution<double> lon(-179 * kDeg, 179 * kDeg);
    for (int i = 0; i < 500; ++i) {
        const double a = lat(random), b = lon(random), c = lat(random), d = lon(random);
        const auto gc = Compute(a, b, c, d, kGreatCircle);
        ASSERT_TRUE(gc.ok);
        // The short form (within 5° of longitude) is a rhumb-line approximation.
        const double tolerance = std::fabs(d - b) <= 5 * kDeg ? 2e-3 : 1e-6;
        EXPECT_NEAR(gc.distance, Haversine(a, b, c, d), tolerance) << i;
        EXPECT_GE(gc.course, 0.0);
        EXPECT_LT(gc.course, kTwoPi);
        EXPECT_FALSE(std::isnan(gc.course));
    }
}

TEST(Geodesy, RhumbLineAlongMeridianAndEquator) {
    auto north = Compute(10 * kDeg, 5 * kDeg, 11 * kDeg, 5 * kDeg, kRhumbLine);
    EXPECT_DOUBLE_EQ(north.course, 0.0);
    EXPECT_NEAR(north.distance / kNm, 60.0, 1e-9);

    auto south = Compute(11 * kDeg, 5 * kDeg, 10 * kDeg, 5 * kDeg, kRhumbLine);
    EXPECT_DOUBLE_EQ(south.course, kPi);
    EXPECT_NEAR(south.distance / kNm, 60.0, 1e-9);

    auto east = Compute(0.0, 0.0, 0.0, 10 * kDeg, kRhumbLine);
    EXPECT_NEAR(east.course, kHalfPi, 1e-7);
    EXPECT_NEAR(east.distance / kNm, 600.0, 1e-6);

    auto same = Compute(0.3, 0.2, 0.3, 0.2, kRhumbLine);
    EXPECT_TRUE(same.ok);
    EXPECT_EQ(same.course, 0.0);
    EXPECT_EQ(same.distance, 0.0);
}

TEST(Geodesy, AntimeridianTakesTheShortWay) {
    // 179°E to 179°W is two degrees of longitude, not 358.
    const double lat = 30 * kDeg;
    for (int method : {kGreatCircle, kRhumbLine}) {
        auto east = Compute(lat, 179 * kDeg, lat, -179 * kDeg, method);
        ASSERT_TRUE(east.ok);
        EXPECT_NEAR(east.distance / kNm, 120.0 * std::cos(lat), 0.5) << method;
        EXPECT_NEAR(east.course, kHalfPi, 0.02) << method;
        auto west = Compute(lat, -179 * kDeg, lat, 179 * kDeg, method);
        EXPECT_NEAR(west.distance, east.distance, 1e-9) << method;
        EXPECT_NEAR(west.course, 3 * kHalfPi, 0.02) << method;
    }
    // Long great circle across the antimeridian, compared with haversine.
    auto far = Compute(35 * kDeg, 140 * kDeg, 37 * kDeg, -122 * kDeg, kGreatCircle);
    EXPECT_NEAR(far.distance, Haversine(35 * kDeg, 140 * kDeg, 37 * kDeg, -122 * kDeg), 1e-6);
    EXPECT_LT(far.course, kHalfPi);  // north-east out of Japan
}

TEST(Geodesy, GreatCircleFromThePoleAndDueEastNeverGivesNaN) {
    auto pole = Compute(kHalfPi, 0.0, 0.0, 1.0, kGreatCircle);
    ASSERT_TRUE(pole.ok);
    EXPECT_NEAR(pole.distance, kHalfPi, 1e-6);
    EXPECT_FALSE(std::isnan(pole.course));
    // Due east along the equator: the course term sits exactly at asin(0).
    auto equator = Compute(0.0, 0.0, 0.0, 1.0, kGreatCircle);
    EXPECT_NEAR(equator.course, kHalfPi, 1e-7);
    EXPECT_NEAR(equator.distance, 1.0, 1e-7);  // single-precision pi
}

TEST(Geodesy, FailuresLeaveUndefinedOutputs) {
    double course = 1.0, distance = 1.0;
    EXPECT_FALSE(ComputeCourseDistance(kUndefined, 0, 0, 0, &course, &distance, kRhumbLine));
    EXPECT_EQ(course, kUndefined);
    EXPECT_EQ(distance, kUndefined);
    EXPECT_FALSE(ComputeCourseDistance(0, 0, 0.1, 0.1, &course, &distance, 3));
    EXPECT_EQ(course, kUndefined);

    double lat = 0, lon = 0;
    EXPECT_FALSE(Destination(0, 0, -0.1, 0.1, &lat, &lon));
    EXPECT_EQ(lat, kUndefined);
    EXPECT_FALSE(Destination(0, 0, 1.0, 3.2, &lat, &lon));
    EXPECT_FALSE(Destination(0, kUndefined, 1.0, 0.1, &lat, &lon));
    EXPECT_EQ(lon, kUndefined);
}

TEST(Geodesy, DestinationInvertsTheRhumbLine) {
    double lat = 0, lon = 0;
    ASSERT_TRUE(Destination(0.0, 0.0, kHalfPi, 0.1, &lat, &lon));
    EXPECT_NEAR(lat, 0.0, 1e-8);  // cos of single-precision pi/2
    EXPECT_NEAR(lon, 0.1, 1e-8);

    // A short leg out and the rhumb line back agree.
    const double lat0 = 47.5 * kDeg, lon0 = -5.2 * kDeg;
    ASSERT_TRUE(Destination(lat0, lon0, 1.0, 5 * kNm, &lat, &lon));
    auto back = Compute(lat0, lon0, lat, lon, kRhumbLine);
    EXPECT_NEAR(back.distance / kNm, 5.0, 0.01);
    EXPECT_NEAR(back.course, 1.0, 1e-3);

    // Crossing the antimeridian comes back into [-pi, pi].
    ASSERT_TRUE(Destination(0.0, 3.1, kHalfPi, 0.1, &lat, &lon));
    EXPECT_NEAR(lon, 3.2 - kTwoPi, 1e-9);
}

TEST(Geodesy, NormalizeAngle) {
    EXPECT_DOUBLE_EQ(NormalizeAngle(-0.5), kTwoPi - 0.5);
    EXPECT_DOUBLE_EQ(NormalizeAngle(7.0), 7.0 - kTwoPi);
    EXPECT_DOUBLE_EQ(NormalizeAngle(1.0), 1.0);
    EXPECT_DOUBLE_EQ(NormalizeAngle(0.0), 0.0);
    EXPECT_EQ(NormalizeAngle(kUndefined), kUndefined);
    // A whole negative number of turns is 0, not 2pi.
    EXPECT_DOUBLE_EQ(NormalizeAngle(-kTwoPi), 0.0);
    EXPECT_DOUBLE_EQ(NormalizeAngle(-2 * kTwoPi), 0.0);
    for (double a = -20.0; a < 20.0; a += 0.37) {
        const double n = NormalizeAngle(a);
        EXPECT_GE(n, 0.0);
        EXPECT_LT(n, kTwoPi);
        EXPECT_NEAR(std::remainder(n - a, kTwoPi), 0.0, 1e-9);
    }
}

TEST(Geodesy, AngleInSector) {
    EXPECT_TRUE(AngleInSector(0.1, 6.0, 1.0));
    EXPECT_FALSE(AngleInSector(3.0, 6.0, 1.0));
    EXPECT_TRUE(AngleInSector(0.5, 0.0, 1.0));
    EXPECT_TRUE(AngleInSector(0.5, 1.0, 0.0));  // either sense
    EXPECT_FALSE(AngleInSector(2.0, 1.0, 0.0));
    EXPECT_TRUE(AngleInSector(2.0, 2.0, 2.0));
    EXPECT_FALSE(AngleInSector(2.1, 2.0, 2.0));
    EXPECT_FALSE(AngleInSector(-0.1, 6.0, 1.0));
    EXPECT_FALSE(AngleInSector(0.1, 6.0, kTwoPi));
}

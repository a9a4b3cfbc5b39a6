#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "graphdata/ProfileSeries.h"
#include "units/Geodesy.h"
#include "units/UnitConversion.h"

namespace {

constexpr double kStep = 1e-4;  // radians of arc between samples, about 0.34 nautical mile

// Point i of a track due east along the equator.
ProfilePoint EastPoint(int i, double value) {
    return ProfilePoint{PosType(0.0, i * kStep), value, i * kStep};
}

ProfileSeries EastSeries(int count) {
    ProfileSeries series;
    for (int i = 0; i < count; ++i) {
        series.Add(EastPoint(i, -10.0 - i));
    }
    return series;
}

double NauticalMilesInRadians(double miles) {
    return Convert(miles * 1852.0, 7, 14);
}

}  // namespace

TEST(ProfileSeriesAdd, DerivesMissingDistances) {
    ProfileSeries series;
    series.Add(ProfilePoint{PosType(0.1, 0.2), 5.0, kUndefined});
    EXPECT_EQ(series.At(0).distance, 0.0);

    // Due north along a meridian the great-circle distance is the latitude difference.
    series.Add(ProfilePoint{PosType(0.1 + 0.002, 0.2), 6.0, kUndefined});
    EXPECT_NEAR(series.At(1).distance, 0.002, 1e-8);

    // Without a position there is nothing to measure from.
    series.Add(ProfilePoint{NoPos, 7.0, kUndefined});
    EXPECT_EQ(series.At(2).distance, kUndefined);
    // Nor can a distance be added to a last point that has none.
    series.Add(ProfilePoint{PosType(0.1 + 0.004, 0.2), 8.0, kUndefined});
    EXPECT_EQ(series.At(3).distance, kUndefined);
    // A given distance is kept as it is.
    series.Add(ProfilePoint{PosType(0.2, 0.2), 9.0, 42.0});
    EXPECT_EQ(series.At(4).distance, 42.0);
}

TEST(ProfileSeriesAdd, ExtentIgnoresGapsAndUndefinedDistances) {
    ProfileSeries series;
    EXPECT_TRUE(series.GetExtent().IsUndefined());
    series.Add(EastPoint(0, -12.5));
    series.Add(EastPoint(1, kUndefined));
    series.Add(ProfilePoint{NoPos, -99.0, kUndefined});
    series.Add(EastPoint(3, -8.0));
    EXPECT_EQ(series.GetExtent(), (Extent{0.0, 3 * kStep, -12.5, -8.0}));
    series.Clear();
    EXPECT_EQ(series.GetCount(), 0);
    EXPECT_TRUE(series.GetExtent().IsUndefined());
}

TEST(ProfileSeriesLimit, KeepsTheNewest1100AndDropsTheFirstFromTheExtent) {
    ProfileSeries series;
    series.SetCountLimit(1000);
    // The first point holds the deepest value, so dropping it narrows both axes.
    series.Add(EastPoint(0, -500.0));
    for (int i = 1; i < 1100; ++i) {
        series.Add(EastPoint(i, -10.0 - (i % 7)));
    }
    ASSERT_EQ(series.GetCount(), 1100);
    EXPECT_EQ(series.GetExtent().minY, -500.0);

    series.Add(EastPoint(1100, -10.0));
    ASSERT_EQ(series.GetCount(), 1100);
    EXPECT_EQ(series.At(0).distance, 1 * kStep);
    EXPECT_EQ(series.At(1099).distance, 1100 * kStep);
    EXPECT_EQ(series.GetExtent(), (Extent{1 * kStep, 1100 * kStep, -16.0, -10.0}));

    // Once full, one point goes per point added.
    series.Add(EastPoint(1101, -10.0));
    EXPECT_EQ(series.GetCount(), 1100);
    EXPECT_EQ(series.At(0).distance, 2 * kStep);
}

TEST(ProfileSeriesLimit, TrimmingKeepsPointsAsTheyWere) {
    ProfileSeries series;
    series.SetCountLimit(10);  // keeps 11
    series.Add(EastPoint(0, 1.0));
    // No position and no distance: the distance stays undefined.
    series.Add(ProfilePoint{NoPos, 2.0, kUndefined});
    for (int i = 2; i < 12; ++i) {
        series.Add(EastPoint(i, 3.0));
    }
    ASSERT_EQ(series.GetCount(), 11);
    // Now first: it must not be given the distance of a first point (0.0).
    EXPECT_EQ(series.At(0).distance, kUndefined);
    EXPECT_EQ(series.At(0).value, 2.0);
    EXPECT_EQ(series.GetExtent(), (Extent{2 * kStep, 11 * kStep, 3.0, 3.0}));
}

TEST(ProfileSeriesSearch, ContainsAndFindIndex) {
    ProfileSeries empty;
    EXPECT_FALSE(empty.Contains(0.0));
    EXPECT_EQ(empty.FindIndex(0.0, true), -1);

    const ProfileSeries series = EastSeries(10);
    EXPECT_TRUE(series.Contains(0.0));
    EXPECT_TRUE(series.Contains(9 * kStep));
    EXPECT_FALSE(series.Contains(-1e-9));
    EXPECT_FALSE(series.Contains(9 * kStep + 1e-9));

    EXPECT_EQ(series.FindIndex(-1.0, true), 0);
    EXPECT_EQ(series.FindIndex(-1.0, false), 0);
    EXPECT_EQ(series.FindIndex(9 * kStep, true), 8);
    EXPECT_EQ(series.FindIndex(9 * kStep, false), 9);
    EXPECT_EQ(series.FindIndex(50 * kStep, true), 8);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(series.FindIndex(i * kStep, true), i) << i;
        EXPECT_EQ(series.FindIndex(i * kStep, false), i + 1) << i;
        EXPECT_EQ(series.FindIndex((i + 0.5) * kStep, true), i) << i;
        EXPECT_EQ(series.FindIndex((i + 0.5) * kStep, false), i + 1) << i;
    }

    ProfileSeries one;
    one.Add(EastPoint(0, 1.0));
    EXPECT_EQ(one.FindIndex(0.0, false), 0);
    EXPECT_EQ(one.FindIndex(0.0, true), -1);
    // A distance that is not a number must not hang the search.
    EXPECT_EQ(one.FindIndex(std::nan(""), true), 0);
    EXPECT_GE(series.FindIndex(std::nan(""), true), 0);
}

TEST(ProfileSeriesInterpolate, AtBetweenAndBeyondThePoints) {
    const ProfileSeries series = EastSeries(5);  // values -10 .. -14

    // Exactly at the last point: lower index n - 2, t = 1, the last point itself.
    const ProfilePoint last = series.Interpolate(4 * kStep);
    EXPECT_EQ(last.value, -14.0);
    EXPECT_EQ(last.distance, 4 * kStep);
    EXPECT_TRUE(last.position == series.At(4).position);

    const ProfilePoint half = series.Interpolate(1.5 * kStep);
    EXPECT_DOUBLE_EQ(half.value, -11.5);
    EXPECT_DOUBLE_EQ(half.distance, 1.5 * kStep);
    EXPECT_NEAR(half.position.Second(), 1.5 * kStep, 1e-9);

    // Beyond the end: extrapolated along the last segment.
    const ProfilePoint beyond = series.Interpolate(6 * kStep);
    EXPECT_DOUBLE_EQ(beyond.value, -16.0);
    EXPECT_DOUBLE_EQ(beyond.distance, 6 * kStep);
    EXPECT_NEAR(beyond.position.Second(), 6 * kStep, 1e-9);

    // Before the start the fraction is raised to 0: the first point.
    EXPECT_EQ(series.Interpolate(-kStep).value, -10.0);

    ProfileSeries one;
    one.Add(EastPoint(0, 1.0));
    EXPECT_EQ(one.Interpolate(0.0).value, kUndefined);
    EXPECT_TRUE(one.Interpolate(0.0).position.IsNoPos());
}

TEST(ProfileSeriesInterpolate, GapsStayGapsAndDuplicatesDoNotDivideByZero) {
    ProfileSeries series;
    series.Add(EastPoint(0, -10.0));
    series.Add(EastPoint(1, kUndefined));
    series.Add(EastPoint(2, -12.0));
    EXPECT_EQ(series.Interpolate(0.0).value, -10.0);
    EXPECT_EQ(series.Interpolate(0.5 * kStep).value, kUndefined);
    EXPECT_EQ(series.Interpolate(kStep).value, kUndefined);
    EXPECT_EQ(series.Interpolate(1.5 * kStep).value, kUndefined);
    EXPECT_EQ(series.Interpolate(2 * kStep).value, -12.0);

    ProfileSeries repeated;
    repeated.Add(EastPoint(0, -10.0));
    repeated.Add(ProfilePoint{PosType(0.0, 0.0), -11.0, 0.0});
    const ProfilePoint p = repeated.Interpolate(0.0);
    EXPECT_FALSE(std::isnan(p.value));
    EXPECT_FALSE(std::isnan(p.distance));
}

TEST(ProfileSeriesIndexRange, IncludesOneNeighbourBeyondEachEnd) {
    int first = -5;
    int last = -5;
    ProfileSeries empty;
    EXPECT_TRUE(empty.GetIndexRange(0.0, 1.0, &first, &last));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, -1);

    const ProfileSeries series = EastSeries(20);
    series.GetIndexRange(4.5 * kStep, 9.5 * kStep, &first, &last);
    EXPECT_EQ(first, 4);
    EXPECT_EQ(last, 11);  // k = 10 is the first point beyond the window, k + 1 is kept too
    series.GetIndexRange(5 * kStep, 9 * kStep, &first, &last);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(last, 11);
    // The whole series, and windows beyond either end.
    series.GetIndexRange(-1.0, 1.0, &first, &last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 19);
    series.GetIndexRange(30 * kStep, 40 * kStep, &first, &last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 19);
    series.GetIndexRange(-10 * kStep, -kStep, &first, &last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 1);
}

TEST(ProfileSeriesIndexRange, AgreesWithALinearScanOnRandomSeries) {
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        ProfileSeries series;
        const int n = std::uniform_int_distribution<int>(1, 40)(random);
        double d = 0.0;
        for (int i = 0; i < n; ++i) {
            d += std::uniform_int_distribution<int>(0, 2)(random);  // repeated distances too
            series.Add(ProfilePoint{PosType(0.0, 0.0), 1.0, d});
        }
        std::uniform_real_distribution<double> where(-3.0, d + 3.0);
        const double from = std::round(where(random) * 2.0) / 2.0;
        const double to = std::round(where(random) * 2.0) / 2.0;

        int expectedFirst = 0;
        int expectedLast = n - 1;
        int j = 0;
        while (j < n && !(series.At(j).distance > from)) {
            ++j;
        }
        if (j < n) {
            expectedFirst = j == 0 ? 0 : j - 1;
            int k = j;
            while (k < n && !(series.At(k).distance > to)) {
                ++k;
            }
            expectedLast = k < n ? std::min(k + 1, n - 1) : n - 1;
        }
        int first = -1;
        int last = -1;
        series.GetIndexRange(from, to, &first, &last);
        ASSERT_EQ(first, expectedFirst) << "round " << round << " from " << from;
        ASSERT_EQ(last, expectedLast) << "round " << round << " to " << to;
    }
}

TEST(ProfileSeriesNearest, OnAndOffTheTrack) {
    ProfileSeries empty;
    double course = 123.0;
    EXPECT_EQ(empty.DistanceAtPosition(PosType(0.0, 0.0), &course, false), -1.0);
    EXPECT_EQ(course, 123.0);

    const ProfileSeries series = EastSeries(10);
    // On the track between two points.
    EXPECT_NEAR(series.DistanceAtPosition(PosType(0.0, 3.25 * kStep), &course, true), 3.25 * kStep,
                1e-9);
    EXPECT_NEAR(course, kHalfPi, 1e-6);  // due east

    // 0.1 nautical mile beside the track: found without the limit, refused with it.
    const double offTrack = NauticalMilesInRadians(0.1);
    const PosType beside(offTrack, 6.5 * kStep);
    EXPECT_NEAR(series.DistanceAtPosition(beside, nullptr, false), 6.5 * kStep, 1e-9);
    course = 0.0;
    EXPECT_EQ(series.DistanceAtPosition(beside, &course, true), -1.0);
    // The course is still given for the rejected place.
    EXPECT_NEAR(course, kHalfPi, 1e-6);
    // 0.04 nautical mile away is within the limit.
    const PosType near(NauticalMilesInRadians(0.04), 6.5 * kStep);
    EXPECT_NEAR(series.DistanceAtPosition(near, nullptr, true), 6.5 * kStep, 1e-9);

    // Beyond the last point: the last point, with the course of the last segment.
    EXPECT_EQ(series.DistanceAtPosition(PosType(0.0, 12 * kStep), &course, false), 9 * kStep);
    EXPECT_NEAR(course, kHalfPi, 1e-6);
}

TEST(ProfileSeriesNearest, CourseFollowsTheSegmentFound) {
    // East, then north.
    ProfileSeries series;
    series.Add(ProfilePoint{PosType(0.0, 0.0), 1.0, 0.0});
    series.Add(ProfilePoint{PosType(0.0, kStep), 1.0, kStep});
    series.Add(ProfilePoint{PosType(kStep, kStep), 1.0, 2 * kStep});
    double course = -1.0;
    EXPECT_NEAR(series.DistanceAtPosition(PosType(0.0, 0.5 * kStep), &course, false), 0.5 * kStep,
                1e-9);
    EXPECT_NEAR(course, kHalfPi, 1e-6);
    EXPECT_NEAR(series.DistanceAtPosition(PosType(0.5 * kStep, kStep), &course, false), 1.5 * kStep,
                1e-9);
    EXPECT_NEAR(course, 0.0, 1e-6);
}

TEST(ProfileSeriesNearest, AgreesWithTheNearestPlaceOnEachSegment) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> jitter(-2e-5, 2e-5);
    constexpr double kLimit = 1.4544410838021174e-5;
    for (int round = 0; round < 400; ++round) {
        ProfileSeries series;
        const int n = std::uniform_int_distribution<int>(1, 30)(random);
        double lat = 0.7;
        double lon = -0.1;
        double d = 0.0;
        for (int i = 0; i < n; ++i) {
            series.Add(ProfilePoint{PosType(lat, lon), 1.0, d});
            lat += jitter(random) * 2.0;
            lon += jitter(random) * 2.0;
            d += std::uniform_real_distribution<double>(0.0, 1e-4)(random);
        }
        const PosType pos(0.7 + jitter(random) * 5.0, -0.1 + jitter(random) * 5.0);

        // Reference: the nearest place of each segment, its end points included.
        double best = 1e300;
        double expected = -1.0;
        auto consider = [&](double d2, double distance) {
            if (d2 < best) {
                best = d2;
                expected = distance;
            }
        };
        const double px = pos.First();
        const double py = pos.Second();
        if (n == 1) {
            const PosType& a = series.At(0).position;
            consider(std::hypot(px - a.First(), py - a.Second()), series.At(0).distance);
        }
        for (int i = 0; i + 1 < n; ++i) {
            const PosType& a = series.At(i).position;
            const PosType& b = series.At(i + 1).position;
            double bestT = 0.0;
            double bestD = 1e300;
            // Ternary search of the convex distance along the closed segment.
            double lo = 0.0;
            double hi = 1.0;
            auto at = [&](double t) {
                return std::hypot(px - (a.First() + t * (b.First() - a.First())),
                                  py - (a.Second() + t * (b.Second() - a.Second())));
            };
            for (int step = 0; step < 200; ++step) {
                const double m1 = lo + (hi - lo) / 3.0;
                const double m2 = hi - (hi - lo) / 3.0;
                if (at(m1) < at(m2)) {
                    hi = m2;
                } else {
                    lo = m1;
                }
            }
            for (double t : {0.0, 1.0, (lo + hi) / 2.0}) {
                if (at(t) < bestD) {
                    bestD = at(t);
                    bestT = t;
                }
            }
            consider(bestD, series.At(i).distance +
                                bestT * (series.At(i + 1).distance - series.At(i).distance));
        }
        const double unlimited = series.DistanceAtPosition(pos, nullptr, false);
        ASSERT_NEAR(unlimited, expected, 1e-9) << "round " << round;
        const double limited = series.DistanceAtPosition(pos, nullptr, true);
        if (best < kLimit * (1.0 - 1e-6)) {
            ASSERT_NEAR(limited, expected, 1e-9) << "round " << round;
        } else if (best > kLimit * (1.0 + 1e-6)) {
            ASSERT_EQ(limited, -1.0) << "round " << round;
        }
    }
}

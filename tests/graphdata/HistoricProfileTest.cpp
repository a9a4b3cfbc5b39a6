// The historic profile matched on the own track: which direction runs with
// the ship, where the curve lands on the own distance axis, and when it is
// not shown at all.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "tests/support/FakeHostObjects.h"

namespace {

constexpr double kNm = M_PI / 10800.0;
// The recorded pass runs north along a meridian, one point every 0.1 NM,
// from 60 m down to 100 m.
constexpr double kStartLatitude = 0.8;
constexpr double kLongitude = -0.07;
constexpr int kPoints = 21;
constexpr double kSpacing = 0.1 * kNm;

double RecordedDepth(double along) {
    return 60.0 + 40.0 * along / ((kPoints - 1) * kSpacing);
}

// (longitude, latitude, depth) triples, as the host hands them over.
std::vector<float> NorthwardPass() {
    std::vector<float> points;
    for (int i = 0; i < kPoints; ++i) {
        points.push_back(static_cast<float>(kLongitude));
        points.push_back(static_cast<float>(kStartLatitude + i * kSpacing));
        points.push_back(static_cast<float>(RecordedDepth(i * kSpacing)));
    }
    return points;
}

struct Ship {
    FakeDataSource source;
    DistanceTracker tracker;
    PlotrexDataProfileHistoric historic{&tracker, kGraphHistoric, kUnitDist};

    // The ship arrives at (latitude, longitude) after running `run` radians
    // north on its own track.
    void SailTo(double latitude, double longitude, double heading, double run) {
        tracker.Initialize(&source);
        source.heading = heading;
        source.position = PosType(latitude - run, longitude);
        tracker.AdvanceDistance();
        source.position = PosType(latitude, longitude);
        tracker.AdvanceDistance();
    }
};

}  // namespace

TEST(HistoricProfile, MatchingOnTheOwnTrack) {
    struct Case {
        const char* what;
        double alongPass;   // where the ship is on the pass, from its first point
        double offTrackNm;  // east of the pass
        double heading;
        bool shown;
        bool backward;  // the reversed pass is the one drawn
    };
    const Case cases[] = {
        {"with the pass", 0.73 * kNm, 0.0, 0.2, true, false},
        {"against the pass", 0.73 * kNm, 0.0, M_PI - 0.2, true, true},
        {"across, a hair toward its course", 1.2 * kNm, 0.0, M_PI / 2 - 0.01, true, false},
        {"across, a hair away from it", 1.2 * kNm, 0.0, M_PI / 2 + 0.01, true, true},
        {"0.04 NM beside it", 0.5 * kNm, 0.04, 0.0, true, false},
        {"0.1 NM beside it", 0.5 * kNm, 0.1, 0.0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ship ship;
        const double ownRun = 3.0 * kNm;
        ship.SailTo(kStartLatitude + c.alongPass, kLongitude + c.offTrackNm * kNm, c.heading,
                    ownRun);
        ship.historic.SetProfile(NorthwardPass(), kStartLatitude, kLongitude);
        ship.historic.SetMode(0);
        ASSERT_EQ(ship.historic.IsShown(), c.shown);
        if (!c.shown) {
            EXPECT_TRUE(ship.historic.GetExtent().IsUndefined());
            EXPECT_EQ(ship.historic.GetOffset(), 0.0);
            double a = 0, b = 0, v = 0;
            EXPECT_FALSE(ship.historic.GetValueAt(ship.tracker.GetDistance(), &a, &b, &v));
            continue;
        }
        const ProfileSeries& drawn = *ship.historic.GetSeries();
        const double lastLatitude = kStartLatitude + (kPoints - 1) * kSpacing;
        EXPECT_NEAR(drawn.At(0).position.First(), c.backward ? lastLatitude : kStartLatitude, 1e-7);
        // Along the drawn series the ship is this far from its first point.
        const double along = c.backward ? (kPoints - 1) * kSpacing - c.alongPass : c.alongPass;
        const double ownDistance = ship.tracker.GetDistance();
        EXPECT_NEAR(ship.historic.GetOffset(), along - ownDistance, 2e-7);
        // Under the ship the curve gives the recorded depth at the ship's place.
        double first = 0, second = 0, value = 0;
        ASSERT_TRUE(ship.historic.GetValueAt(ownDistance, &first, &second, &value));
        EXPECT_NEAR(value, -RecordedDepth(c.alongPass), 0.05);
        EXPECT_NEAR(first, kStartLatitude + c.alongPass, 1e-6);
        EXPECT_NEAR(second, kLongitude, 1e-6);
        // The whole pass, moved onto the own distance axis.
        const Extent extent = ship.historic.GetExtent();
        EXPECT_NEAR(extent.minX, ownDistance - along, 2e-7);
        EXPECT_NEAR(extent.maxX - extent.minX, (kPoints - 1) * kSpacing, 2e-7);
        EXPECT_DOUBLE_EQ(extent.minY, -100.0);
        EXPECT_DOUBLE_EQ(extent.maxY, -60.0);
    }
}

TEST(HistoricProfile, ModesAndTheProfileShownAlone) {
    Ship ship;
    ship.SailTo(kStartLatitude + 0.5 * kNm, kLongitude, M_PI, 2.0 * kNm);
    std::string legend = "unchanged";
    // Inactive until a view takes it.
    ship.historic.SetProfile(NorthwardPass(), kStartLatitude + 0.31 * kNm, kLongitude + 1e-6);
    EXPECT_FALSE(ship.historic.IsShown());
    EXPECT_TRUE(ship.historic.GetExtent().IsUndefined());
    // Laid under the track the ship runs against it; alone it is the pass as
    // recorded, unshifted.
    ship.historic.SetMode(0);
    EXPECT_NEAR(ship.historic.GetSeries()->At(0).position.First(),
                kStartLatitude + (kPoints - 1) * kSpacing, 1e-7);
    ship.historic.SetMode(2);
    EXPECT_TRUE(ship.historic.IsShown());
    EXPECT_EQ(ship.historic.GetOffset(), 0.0);
    EXPECT_NEAR(ship.historic.GetSeries()->At(0).position.First(), kStartLatitude, 1e-7);
    EXPECT_NEAR(ship.historic.GetExtent().minX, 0.0, 1e-12);
    // The marked place is the nearest point of the pass, on it.
    double first = 0;
    double second = 0;
    ship.historic.GetReferencePosition(&first, &second);
    EXPECT_NEAR(first, kStartLatitude + 0.31 * kNm, 1e-6);
    EXPECT_NEAR(second, kLongitude, 1e-6);

    std::unique_ptr<PlotrexDisplay> display(ship.historic.CreateDisplay());
    EXPECT_FALSE(display->GetLegendEntry(legend));
    EXPECT_EQ(legend, "unchanged");
    // A list of points that is not made of triples changes nothing.
    ship.historic.SetProfile({0.8f, -0.07f}, 0.8, -0.07);
    EXPECT_EQ(ship.historic.GetSeries()->GetCount(), kPoints);

    ship.historic.SetProfile({}, 0.8, -0.07);
    EXPECT_TRUE(ship.historic.IsShown());
    EXPECT_TRUE(ship.historic.GetExtent().IsUndefined());
    ASSERT_TRUE(display->GetLegendEntry(legend));
    EXPECT_EQ(legend, "No Data");
    ship.historic.GetReferencePosition(&first, &second);
    EXPECT_EQ(first, kUndefined);
    EXPECT_EQ(second, kUndefined);
    ship.historic.DeleteDisplay(display.release());
}

TEST(HistoricProfile, DamagedPointsNeitherPlaceNorShiftAnything) {
    Ship ship;
    ship.SailTo(kStartLatitude + 0.2 * kNm, kLongitude, 0.0, kNm);
    std::vector<float> points = NorthwardPass();
    points[3 * 4 + 1] = NAN;          // a position that is not one
    points[3 * 6 + 2] = INFINITY;     // a depth that is not one
    points[3 * 7] = kUndefinedFloat;  // the host's missing value
    ship.historic.SetProfile(points, NAN, kLongitude);
    ship.historic.SetMode(0);
    const ProfileSeries& series = *ship.historic.GetSeries();
    ASSERT_EQ(series.GetCount(), kPoints - 2);
    for (int i = 1; i < series.GetCount(); ++i) {
        EXPECT_GT(series.At(i).distance, series.At(i - 1).distance) << i;
    }
    EXPECT_EQ(series.At(5).value, kUndefined);
    double first = 0;
    double second = 0;
    ship.historic.GetReferencePosition(&first, &second);
    EXPECT_EQ(first, kUndefined);

    // A heading that is not a number gives no direction to turn the profile to.
    ship.source.heading = NAN;
    ship.historic.SetProfile(NorthwardPass(), kStartLatitude, kLongitude);
    EXPECT_TRUE(ship.historic.IsShown());
    EXPECT_NEAR(ship.historic.GetSeries()->At(0).position.First(), kStartLatitude, 1e-7);

    // A profile made only of gaps is matched but has no box to shift.
    ship.historic.SetProfile({float(kLongitude), float(kStartLatitude), NAN, float(kLongitude),
                              float(kStartLatitude + kNm), NAN},
                             kStartLatitude, kLongitude);
    EXPECT_TRUE(ship.historic.IsShown());
    EXPECT_TRUE(ship.historic.GetExtent().IsUndefined());
}

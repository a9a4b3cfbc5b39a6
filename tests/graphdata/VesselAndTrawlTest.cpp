// The own vessel's draught and the trawl net's place behind the ship, as the
// graphs report them to the view's layout.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexDataDReckChalut.h"
#include "graphdata/PlotrexDataMobile.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/MapSerializater.h"

namespace {

constexpr double kMetresPerRadian = 1852.0 * 10800.0 / M_PI;

// The ship's distance run: `metres` north along a meridian.
struct ShipRun {
    explicit ShipRun(double metres) {
        tracker.Initialize(&source);
        source.position = PosType(0.8, 0.01);
        tracker.AdvanceDistance();
        source.position = PosType(0.8 + metres / kMetresPerRadian, 0.01);
        tracker.AdvanceDistance();
    }
    FakeDataSource source;
    DistanceTracker tracker;
};

}  // namespace

TEST(Mobile, TheHullReachesFromTheSurfaceToTheDraught) {
    ShipRun run(1000.0);
    DistanceTracker& tracker = run.tracker;
    const double d = tracker.GetDistance();
    struct Case {
        double draught;
        double bottom;
    };
    // A draught the host does not know, or that is not one, counts as none.
    for (const Case c : {Case{4.5, -4.5}, Case{kUndefined, 0.0}, Case{NAN, 0.0}, Case{-3, 0.0}}) {
        FakeVesselSource vessel(c.draught);
        PlotrexDataMobile mobile(&tracker, kGraphMobile, kUnitDist);
        ASSERT_TRUE(mobile.Init(&vessel));
        EXPECT_EQ(mobile.GetExtent(), (Extent{d, d, c.bottom, 0.0})) << c.draught;
    }
    PlotrexDataMobile withoutVessel(&tracker, kGraphMobile, kUnitDist);
    ASSERT_TRUE(withoutVessel.Init(nullptr));
    EXPECT_TRUE(withoutVessel.GetExtent().IsUndefined());
    EXPECT_EQ(withoutVessel.GetDraught(), 0.0);
}

TEST(Trawl, TheNetLiesBehindTheShipByTheCablesHorizontalLength) {
    ShipRun run(3000.0);
    DistanceTracker& tracker = run.tracker;
    const double d = tracker.GetDistance();
    struct Case {
        const char* what;
        TrawlParameters trawl;
        double behindMetres;  // NAN: no net
    };
    const Case cases[] = {
        {"defaults: 1050 m of 1500 count", TrawlParameters{}, std::sqrt(852500.0)},
        {"factor 1 counts all", {1000.0, 600.0, 1.0, 1}, 800.0},
        {"factor 1.5 is ignored", {1000.0, 600.0, 1.5, 1}, 800.0},
        {"factor 0 is ignored", {1000.0, 600.0, 0.0, 1}, 800.0},
        {"net as deep as the cable is long", {1000.0, 700.0, 0.7, 1}, NAN},
        {"net deeper than the cable is long", {100.0, 200.0, 1.0, 1}, NAN},
        {"no cable out", {0.0, 0.0, 0.7, 1}, NAN},
        {"a cable of unknown length", {kUndefined, 40.0, 0.7, 1}, NAN},
        {"a depth that is not a number", {1200.0, NAN, 0.7, 1}, NAN},
        {"a net above the surface", {1200.0, -40.0, 0.7, 1}, NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlotrexDataDReckChalut trawl(&tracker, kGraphDReckChalut, kUnitDist);
        trawl.SetParameters(c.trawl);
        const Extent extent = trawl.GetExtent();
        if (std::isnan(c.behindMetres)) {
            EXPECT_EQ(trawl.GetTrawlDistance(), kUndefined);
            EXPECT_TRUE(extent.IsUndefined());
            continue;
        }
        EXPECT_NEAR(trawl.GetTrawlDistance() * kMetresPerRadian, c.behindMetres, 1e-9);
        EXPECT_NEAR((d - extent.minX) * kMetresPerRadian, c.behindMetres, 1e-9);
        EXPECT_EQ(extent.maxX, d);
        EXPECT_EQ(extent.minY, -c.trawl.depth);
        EXPECT_EQ(extent.maxY, 0.0);
    }
}

TEST(Trawl, ItsDisplaysFollowTheParametersNotTheSettings) {
    DistanceTracker tracker;
    PlotrexDataDReckChalut trawl(&tracker, kGraphDReckChalut, kUnitDist);
    PlotrexDisplay* before = trawl.CreateDisplay();
    EXPECT_FALSE(before->IsVisible());  // hauled until the host says otherwise
    MapSerializater stored;
    stored.values = {{std::string(kGraphDReckChalut) + "_visible", "1"}};
    before->Load(stored);
    EXPECT_FALSE(before->IsVisible());
    stored.values.clear();
    before->Save(stored);
    EXPECT_TRUE(stored.values.empty());

    trawl.SetParameters(TrawlParameters{1200.0, 80.0, 0.7, 1});
    EXPECT_TRUE(before->IsVisible());
    EXPECT_TRUE(trawl.CreateDisplay()->IsVisible());
    trawl.SetParameters(TrawlParameters{1200.0, 80.0, 0.7, 0});
    for (PlotrexDisplay* display : trawl.GetDisplays()) {
        EXPECT_FALSE(display->IsVisible());
    }
}

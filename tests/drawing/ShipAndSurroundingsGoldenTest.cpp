// The graphs around the ship in one small scene: the depth profile run so
// far, the forecast ahead, an earlier survey laid under the track, the hull
// with its draught and the net on its cable.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

#include "drawing/LayeredDrawing.h"
#include "drawing/PlotrexDisplay.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexDataDReckChalut.h"
#include "graphdata/PlotrexDataMobile.h"
#include "graphdata/PlotrexDataPrevision.h"
#include "graphdata/PlotrexDataProfile.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "tests/drawing/PixelDevice.h"
#include "tests/support/FakeHostObjects.h"

namespace {

constexpr double kMetresPerRadian = 1852.0 * 10800.0 / M_PI;
constexpr RECT kArea{10, 10, 230, 110};
constexpr COLORREF kSky = RGB(222, 219, 255);
// The ship has run 1500 m east along the equator, where distances are
// longitudes.
constexpr double kRun = 1500.0;

double Rad(double metres) {
    return metres / kMetresPerRadian;
}
double Floor(double metres) {
    return 24.0 + 4.0 * std::sin(metres / 130.0) + 0.004 * metres;
}

class ShipScene {
  public:
    ShipScene(HostVesselSource* vessel, const TrawlParameters& trawl) {
        source.heading = M_PI / 2;
        tracker.Initialize(&source);
        source.position = PosType(0.0, 0.0);
        tracker.AdvanceDistance();
        source.position = PosType(0.0, Rad(kRun));
        tracker.AdvanceDistance();
        styles.FillDefaults();

        for (double m = 0.0; m <= kRun; m += 50.0) {
            depth.GetSeries()->Add(ProfilePoint{PosType(0.0, Rad(m)), -Floor(m), Rad(m)});
        }
        // The survey was run west, from ahead of the ship to far behind it.
        std::vector<float> survey;
        for (double m = kRun + 600.0; m >= 0.0; m -= 40.0) {
            survey.insert(survey.end(), {float(Rad(m)), 0.0f, float(Floor(m) + 3.0)});
        }
        historic.SetProfile(survey, 0.0, Rad(kRun - 300.0));
        historic.SetMode(0);
        for (int i = 0; i < PlotrexDataPrevision::kPointCount; ++i) {
            const double m = kRun + 500.0 * i / 49.0;
            prevision.GetSeries()->Add(ProfilePoint{PosType(0.0, Rad(m)), -Floor(m), Rad(m)});
        }
        prevision.Init(nullptr, vessel);
        mobile.Init(vessel);
        trawl_.SetParameters(trawl);

        // 1100 m across the area, the ship 550 m from its left edge; the
        // surface 15 pixels below the top, 0.45 m to the pixel.
        x.scale = Rad(1100.0) / (kArea.right - kArea.left);
        x.multiplier = y.multiplier = 1.0;
        x.SetOriginAt(Rad(kRun - 550.0), kArea.left);
        y.scale = 0.45;
        y.SetOriginAt(0.0, kArea.top + 15);
    }

    Image Draw() {
        PixelDevice device(240, 120, kSky);
        std::vector<PlotrexDisplay*> displays;
        for (PlotrexData* graph :
             std::initializer_list<PlotrexData*>{&depth, &prevision, &historic, &mobile, &trawl_}) {
            PlotrexDisplay* display = graph->CreateDisplay();
            display->SetVisible(graph != &trawl_ || display->IsVisible());
            displays.push_back(display);
        }
        DrawLayered(displays, &device, kArea, x, {{kUnitDist, y}}, &styles);
        return device.Snapshot();
    }

    FakeDataSource source;
    DistanceTracker tracker;
    StyleTable styles;
    PlotrexDataProfile depth{&tracker, kGraphDepth, kUnitDist};
    PlotrexDataPrevision prevision{&tracker, kGraphPrevision, kUnitDist};
    PlotrexDataProfileHistoric historic{&tracker, kGraphHistoric, kUnitDist};
    PlotrexDataMobile mobile{&tracker, kGraphMobile, kUnitDist};
    PlotrexDataDReckChalut trawl_{&tracker, kGraphDReckChalut, kUnitDist};
    LinearPixelProjection x;
    LinearPixelProjection y{true};
};

}  // namespace

// The tide lifts the charted depths by 2 m: the forecast's fill lies 2 m
// deeper than its line. 175 m of the cable reach a net at 15 m.
TEST(ShipAndSurroundingsGolden, EveryGraphAroundTheShip) {
    FakeVesselSource vessel(4.5, 2.0f);
    ShipScene scene(&vessel, TrawlParameters{250.0, 15.0, 0.7, 1});
    ASSERT_TRUE(scene.historic.IsShown());
    EXPECT_TRUE(MatchesGolden(scene.Draw(), "profile/ship-net-forecast.png"));
}

// Without a vessel source there is no keel and no draught line, the
// forecast has no line, and a net out of reach of its cable is not drawn.
TEST(ShipAndSurroundingsGolden, NoDraughtNoTideNoNet) {
    ShipScene scene(nullptr, TrawlParameters{40.0, 35.0, 0.7, 1});
    EXPECT_TRUE(MatchesGolden(scene.Draw(), "profile/ship-bare.png"));
}

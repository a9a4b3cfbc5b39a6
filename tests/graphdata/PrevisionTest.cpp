// The depth forecast: where the host is asked for depths, and how its
// answers become the profile ahead of the ship.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexDataPrevision.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/MapSerializater.h"
#include "units/Geodesy.h"
#include "units/UnitConversion.h"

namespace {

constexpr double kDegree = M_PI / 180.0;
// The converter's sphere: a nautical mile is a minute of arc.
constexpr double kMetresPerRadian = 1852.0 * 10800.0 / M_PI;

// Answers depth 20 + i for point i, or what the test scripts.
class ScriptedDepths : public HostDepthSource {
  public:
    bool IsAvailable() override { return true; }
    double GetMaximumDepth() override { return kUndefined; }
    bool QueryDepths(std::vector<DepthQueryPoint>& points, double south, double west, double north,
                     double east, const int& kind) override {
        asked = points;
        square = {south, west, north, east};
        askedKind = kind;
        for (std::size_t i = 0; i < points.size(); ++i) {
            points[i].depth = 20.0 + static_cast<double>(i);
        }
        if (answer) {
            answer(points);
        }
        return answers;
    }

    std::vector<DepthQueryPoint> asked;
    std::vector<double> square;
    int askedKind = 0;
    bool answers = true;
    std::function<void(std::vector<DepthQueryPoint>&)> answer;
};

// The great-circle destination (longitude not wrapped), independent of the module's sailing formula
// (over 500 m the two part by less than a centimetre).
void GreatCircleDestination(double lat, double lon, double course, double arc, double* lat2,
                            double* lon2) {
    *lat2 =
        std::asin(std::sin(lat) * std::cos(arc) + std::cos(lat) * std::sin(arc) * std::cos(course));
    *lon2 = lon + std::atan2(std::sin(course) * std::sin(arc) * std::cos(lat),
                             std::cos(arc) - std::sin(lat) * std::sin(*lat2));
}

struct Forecast {
    FakeDataSource source;
    DistanceTracker tracker;
    ScriptedDepths depths;
    PlotrexDataPrevision prevision{&tracker, kGraphPrevision, kUnitDist};
    std::unique_ptr<PlotrexDisplay> display;

    Forecast() {
        prevision.Init(&depths, nullptr);
        display.reset(prevision.CreateDisplay());
        display->SetVisible(true);
    }
    ~Forecast() { prevision.DeleteDisplay(display.release()); }

    // Two positions: the second is where the ship is when the forecast is made.
    void SailTo(double lat, double lon, double heading) {
        tracker.Initialize(&source);
        source.heading = heading;
        source.position = PosType(lat - 1e-4, lon);
        tracker.AdvanceDistance();
        source.position = PosType(lat, lon);
        tracker.AdvanceDistance();
        prevision.Update();
    }
};

}  // namespace

TEST(Prevision, FiftyPointsAheadOnTheHeadingInsideTheQuerySquare) {
    struct Case {
        const char* what;
        double lat, lon, heading;
    };
    const Case cases[] = {
        {"north-east off Brittany", 47.5 * kDegree, -5.2 * kDegree, 45.0 * kDegree},
        {"west", 47.5 * kDegree, -5.2 * kDegree, 270.0 * kDegree},
        {"south at 80 N", 80.0 * kDegree, 10.0 * kDegree, 180.0 * kDegree},
        {"east across the antimeridian", -20.0 * kDegree, 179.999 * kDegree, 90.0 * kDegree},
        {"a heading given past a full turn", 10.0 * kDegree, 0.0, 2.0 * M_PI + 0.3},
    };
    const double length = 500.0 / kMetresPerRadian;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Forecast forecast;
        forecast.SailTo(c.lat, c.lon, c.heading);
        // The ship's position as the host's single-precision type holds it.
        const PosType ship(c.lat, c.lon);
        const std::vector<DepthQueryPoint>& asked = forecast.depths.asked;
        ASSERT_EQ(asked.size(), 50U);
        EXPECT_EQ(forecast.depths.askedKind, kDataKindDepth);
        double endLat = 0;
        double endLon = 0;
        GreatCircleDestination(ship.First(), ship.Second(), std::fmod(c.heading, 2.0 * M_PI),
                               length, &endLat, &endLon);
        for (int i = 0; i < 50; ++i) {
            // Evenly spaced on the great circle from the ship to 500 m ahead.
            double lat = 0;
            double lon = 0;
            GreatCircleDestination(ship.First(), ship.Second(), std::fmod(c.heading, 2.0 * M_PI),
                                   length * i / 49.0, &lat, &lon);
            EXPECT_NEAR(asked[i].first, lat, 1e-8) << i;
            // Longitudes are brought back by the sphere's turn, at single precision.
            double apart = asked[i].second - lon;
            if (std::fabs(apart) > M_PI) {
                apart -= std::copysign(kTwoPi, apart);
            }
            EXPECT_NEAR(apart, 0.0, 1e-8) << i;
            EXPECT_LE(std::fabs(asked[i].second), M_PI) << i;
        }
        // The square: 2000 m of latitude, as much distance in longitude.
        const std::vector<double>& square = forecast.depths.square;
        const double half = 1000.0 / kMetresPerRadian;
        EXPECT_NEAR(square[0], ship.First() - half, 1e-12);
        EXPECT_NEAR(square[2], ship.First() + half, 1e-12);
        EXPECT_NEAR((square[3] - square[1]) * std::cos(ship.First()), 2.0 * half, 1e-12);
        EXPECT_NEAR((square[3] + square[1]) / 2.0, ship.Second(), 1e-12);

        // The answers, depths below the surface, from the ship's distance on.
        const ProfileSeries& series = *forecast.prevision.GetSeries();
        ASSERT_EQ(series.GetCount(), 50);
        const double start = forecast.tracker.GetDistance();
        for (int i = 0; i < 50; ++i) {
            EXPECT_NEAR(series.At(i).distance, start + length * i / 49.0, 1e-15) << i;
            EXPECT_EQ(series.At(i).value, -(20.0 + i)) << i;
        }
        EXPECT_TRUE(series.At(0).position == ship);
    }
    // Next to a pole the square takes in every longitude.
    const auto polar = PlotrexDataPrevision::QuerySquare(kHalfPi - 1e-6, 0.5, 1e-4);
    EXPECT_EQ(polar.north, kHalfPi);
    EXPECT_EQ(polar.west, 0.5 - kPi);
    EXPECT_EQ(polar.east, 0.5 + kPi);
}

// A new forecast display stays hidden until the user shows it and it is saved.
TEST(Prevision, HiddenUntilShownAndSaved) {
    MapSerializater stored;
    DistanceTracker tracker;
    PlotrexDataPrevision prevision{&tracker, kGraphPrevision, kUnitDist};
    PlotrexDisplay* display = prevision.CreateDisplay();
    EXPECT_FALSE(display->IsVisible());
    display->Load(stored);
    EXPECT_FALSE(display->IsVisible());
    display->SetVisible(true);
    display->Save(stored);
    EXPECT_EQ(stored.values["PLOTREX_DATA_PREVISION_visible"], "1");
    PlotrexDisplay* later = prevision.CreateDisplay();
    later->Load(stored);
    EXPECT_TRUE(later->IsVisible());
}

TEST(Prevision, WhatTheHostAnswersAndWhenItIsNotAsked) {
    struct Case {
        const char* what;
        std::function<void(Forecast&)> setUp;
        int points;      // in the forecast afterwards
        int gapAt = -1;  // a point without depth
    };
    const Case cases[] = {
        {"a depth of 0 is none",
         [](Forecast& f) { f.depths.answer = [](auto& p) { p[7].depth = 0.0; }; }, 50, 7},
        {"a depth that is not a number is none",
         [](Forecast& f) { f.depths.answer = [](auto& p) { p[9].depth = NAN; }; }, 50, 9},
        {"the host cannot answer", [](Forecast& f) { f.depths.answers = false; }, 0},
        {"the host answers fewer points",
         [](Forecast& f) { f.depths.answer = [](auto& p) { p.resize(30); }; }, 0},
        {"the display is hidden", [](Forecast& f) { f.display->SetVisible(false); }, 0},
        {"no depth source", [](Forecast& f) { f.prevision.Init(nullptr, nullptr); }, 0},
        {"a heading that is not a number", [](Forecast& f) { f.source.heading = NAN; }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Forecast forecast;
        forecast.SailTo(0.8, -0.09, 1.0);  // a first forecast stands
        ASSERT_EQ(forecast.prevision.GetSeries()->GetCount(), 50);
        c.setUp(forecast);
        forecast.source.position = PosType(0.80001, -0.09);
        forecast.tracker.AdvanceDistance();
        forecast.prevision.Update();
        const ProfileSeries& series = *forecast.prevision.GetSeries();
        ASSERT_EQ(series.GetCount(), c.points);
        for (int i = 0; i < c.points; ++i) {
            EXPECT_EQ(IsUndefined(series.At(i).value), i == c.gapAt) << i;
        }
        // An empty forecast keeps room on the right for when it comes.
        EXPECT_EQ(forecast.display->GetMargins().right, c.points == 0 ? 200 : 0);
    }
}

// The marks the module puts on a host's chart, and the two commands through
// which a chart host moves the profile view to a place of the track.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "graphdata/PlotrexDataProfile.h"
#include "hostfamily/ZXFeature.h"
#include "hostfamily/displaylist/ChartProjection.h"
#include "layout/LinearPixelProjection.h"
#include "module/GraphKeys.h"
#include "module/ModuleDisplayPlotrex.h"
#include "tests/layout/view/ViewHost.h"

using namespace viewtest;

namespace {

class ChartMarksTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host.managerReady);
        host.Sail(200);
        ASSERT_TRUE(host.Open());
        host.Sail(1);
    }

    ProfileSeries& Track() {
        return *static_cast<PlotrexDataProfile*>(host.data.GetGraphs().GetData(kGraphDepth))
                    ->GetSeries();
    }

    // One pass over a chart around the voyage at 1:10 000 (2.6 m a pixel,
    // the track's points lie 25 m apart), after what the host put in first.
    DisplayPrimitiveContainer Marks(std::optional<int> dayNight = std::nullopt,
                                    std::int16_t pass = 1) {
        DisplayPrimitiveContainer primitives;
        primitives.Add(DisplayPrimitive("HOST"));
        ZXFeature params;
        if (dayNight) {
            params.SetValue("DAY_NIGHT_MODE", *dayNight);
        }
        display.Symbolize(&primitives, pass, &kChart, 10000.0, &params, nullptr);
        return primitives;
    }

    static const DisplayPrimitive* Find(const DisplayPrimitiveContainer& marks,
                                        const char* symbol) {
        for (const DisplayPrimitive& p : marks) {
            std::string text;
            if ((symbol == nullptr && p.GetGeometry() == kGeometryLine) ||
                (symbol != nullptr && p.GetText(kAttributeSymbol, text) && text == symbol)) {
                return &p;
            }
        }
        return nullptr;
    }

    static std::string PositionText(const PosType& p) {
        char text[64];
        std::snprintf(text, sizeof text, "%.9f %.9f", p.First(), p.Second());
        return text;
    }

    const ValidGeoRect kChart{0.8280, -0.0710, 0.8310, -0.0690};
    // With the echogram, so that the echogram mode can be chosen.
    ViewHost host{true, ViewHost::kHostRect, true};
    ModuleDisplayPlotrex display{&host.data};
};

}  // namespace

TEST_F(ChartMarksTest, PassesModesAndTrackPositionsDecideWhatIsMarked) {
    host.Organizer().SetHoverPoint(POINT{400, 200});
    DisplayPrimitiveContainer marks = Marks();
    // The host's own primitive stays first; the track, then the anchor.
    ASSERT_EQ(marks.GetCount(), 3u);
    EXPECT_EQ(marks.At(0).GetGeometry(), "HOST");
    ASSERT_NE(Find(marks, nullptr), nullptr);
    EXPECT_EQ(Find(marks, nullptr)->GetPoints().size(),
              static_cast<std::size_t>(Track().GetCount()));
    const DisplayPrimitive* anchor = Find(marks, "CARRE");
    ASSERT_NE(anchor, nullptr);
    double first = 0.0, second = 0.0;
    ASSERT_TRUE(host.data.GetAnchorPosition(&first, &second));
    EXPECT_EQ(anchor->GetPoints().at(0), PosType(first, second));

    EXPECT_EQ(Marks(std::nullopt, 2).GetCount(), 1u) << "only pass 1 draws";
    EXPECT_EQ(Marks(std::nullopt, 0).GetCount(), 1u);

    // The depth graph hidden in the view: no track on the chart.
    host.Execute("PLOTREX_SHOW_HIDE", "PLOTREX_DATA_DEPTH");
    EXPECT_EQ(Find(Marks(), nullptr), nullptr);
    host.Execute("PLOTREX_SHOW_HIDE", "PLOTREX_DATA_DEPTH");

    host.data.SetMode(1);
    ASSERT_EQ(host.data.GetMode(), 1);
    EXPECT_EQ(Marks().GetCount(), 1u) << "the echogram marks nothing";
    host.data.SetMode(0);

    // All points but one without a position: no line.
    ProfileSeries& track = Track();
    const ProfilePoint kept = track.At(0);
    track.Clear();
    track.Add(kept);
    for (int i = 1; i < 5; ++i) {
        track.Add(ProfilePoint{NoPos, -20.0, kept.distance + i * 1e-5});
    }
    EXPECT_EQ(Find(Marks(), nullptr), nullptr);
}

// An earlier profile running east along 47.556 N: its reference is marked
// where the host placed it, pointing along the profile.
TEST_F(ChartMarksTest, TheHistoricReferenceIsATrianglePointingAlongTheProfile) {
    std::vector<double> points;  // (longitude, latitude, depth)
    for (int i = 0; i <= 20; ++i) {
        points.insert(points.end(), {-0.0710 + i * 1e-4, 0.8300, 30.0 + i});
    }
    host.data.SetHistoricProfile(points, 0.8300, -0.0700);
    const DisplayPrimitiveContainer marks = Marks(1);
    const DisplayPrimitive* reference = Find(marks, "TGAIS");
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->GetPoints().at(0), PosType(0.8300, -0.0700));
    double angle = 0.0;
    EXPECT_TRUE(reference->GetNumber(kAttributeAngle, angle));
    EXPECT_NEAR(angle, M_PI / 2.0, 0.01);  // east
    std::int32_t value = 0;
    EXPECT_TRUE(reference->GetInteger(kAttributeColor, value));
    EXPECT_EQ(value, 0x0C5E0C);  // dusk's (12, 94, 12)
    EXPECT_TRUE(reference->GetInteger(kAttributeFillColor, value));
    EXPECT_EQ(value, 0x0C5E0C);
    EXPECT_TRUE(reference->GetInteger(kAttributeSize, value));
    EXPECT_EQ(value, 20);

    // A profile of one point has no course: nothing to mark.
    host.data.SetHistoricProfile({-0.0700, 0.8300, 30.0}, 0.8300, -0.0700);
    EXPECT_EQ(Find(Marks(), "TGAIS"), nullptr);
}

TEST_F(ChartMarksTest, ColoursFollowTheLightModeAndAnythingElseIsDay) {
    host.Organizer().SetHoverPoint(POINT{400, 200});
    // GDI colour values (blue in the high byte) of the track, the anchor's
    // outline and fill.
    const struct {
        std::optional<int> mode;
        std::int32_t track, outline, fill;
    } cases[] = {
        {std::nullopt, 0xFF0000, 0x323232, 0xFFFFFF},
        {0, 0xFF0000, 0x323232, 0xFFFFFF},
        {1, 0x800000, 0x323232, 0x7E7E7E},
        {2, 0x400000, 0x323232, 0x484848},
        {3, 0xFF0000, 0x323232, 0xFFFFFF},
        {-1, 0xFF0000, 0x323232, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode.value_or(-99));
        const DisplayPrimitiveContainer marks = Marks(c.mode);
        const DisplayPrimitive* line = Find(marks, nullptr);
        const DisplayPrimitive* anchor = Find(marks, "CARRE");
        ASSERT_TRUE(line != nullptr && anchor != nullptr);
        std::int32_t value = 0;
        EXPECT_TRUE(line->GetInteger(kAttributeColor, value));
        EXPECT_EQ(value, c.track);
        EXPECT_TRUE(line->GetInteger(kAttributeWidth, value));
        EXPECT_EQ(value, 1);
        EXPECT_TRUE(anchor->GetInteger(kAttributeColor, value));
        EXPECT_EQ(value, c.outline);
        EXPECT_TRUE(anchor->GetInteger(kAttributeFillColor, value));
        EXPECT_EQ(value, c.fill);
        EXPECT_TRUE(anchor->GetInteger(kAttributeSize, value));
        EXPECT_EQ(value, 12);
    }
}

// The mouse over the profile view moves the anchor mark.
TEST_F(ChartMarksTest, RedrawIsAskedOnlyInHistoricModeWhenTheAnchorMoves) {
    host.desktop.MoveMouse(host.Screen(POINT{300, 200}));
    const DisplayPrimitiveContainer before = Marks();
    host.data.SetMode(2);
    EXPECT_EQ(display.NeedsRedraw(), 0) << "the anchor stayed";
    host.desktop.MoveMouse(host.Screen(POINT{350, 200}));
    EXPECT_EQ(display.NeedsRedraw(), 1);
    EXPECT_EQ(display.NeedsRedraw(), 1) << "until the next pass";
    const DisplayPrimitiveContainer after = Marks();
    EXPECT_EQ(display.NeedsRedraw(), 0);
    ASSERT_TRUE(Find(before, "CARRE") != nullptr && Find(after, "CARRE") != nullptr);
    // 50 pixels of 10 m further along the northward track.
    const double moved = Find(after, "CARRE")->GetPoints().at(0).First() -
                         Find(before, "CARRE")->GetPoints().at(0).First();
    EXPECT_NEAR(moved, Radians(500.0), Radians(10.0));
    host.data.SetMode(0);
    host.Organizer().SetHoverPoint(POINT{380, 200});
    EXPECT_EQ(display.NeedsRedraw(), 0) << "not in the profile mode";
}

// What a chart host does when the mouse is over the track: the hover point
// and the centre of the view go to the place named, and the chart's anchor
// mark follows.
TEST_F(ChartMarksTest, ATrackPositionMovesTheHoverPointAndTheCentre) {
    PlotrexOrganizer& organizer = host.Organizer();
    // Zoomed in far enough for the data to fill the view both ways.
    host.Execute("PLOTREX_SCALE_VALUE", "5");
    host.Execute("PLOTREX_SLOPE_VALUE", "64");
    const double pixel = organizer.GetHorizontalProjection().ToWorld(1.0, true);
    for (int index : {150, 20}) {  // in view, and far out of it
        SCOPED_TRACE(index);
        const ProfilePoint target = Track().At(index);
        ASSERT_EQ(host.Execute("PLOTREX_HOVER_ON_PROFILE", PositionText(target.position).c_str()),
                  1);
        const double hovered =
            organizer.GetHorizontalProjection().ToWorld(organizer.GetHoverPoint().x);
        EXPECT_NEAR(hovered, target.distance, pixel);
        const DisplayPrimitiveContainer marks = Marks();
        const DisplayPrimitive* anchor = Find(marks, "CARRE");
        ASSERT_NE(anchor, nullptr);
        // Within a pixel of the view (2.5 m) of the place named.
        const PosType at = anchor->GetPoints().at(0);
        EXPECT_NEAR(at.First(), target.position.First(), Radians(2.5));
        EXPECT_NEAR(at.Second(), target.position.Second(), Radians(2.5));
    }
    // The temperature axis far from its values: centring on a place brings
    // the temperature there into view too.
    LinearPixelProjection* degrees = organizer.GetProjection(kUnitTemp);
    ASSERT_NE(degrees, nullptr);
    degrees->origin = 80.0;
    const ProfilePoint centre = Track().At(60);
    ASSERT_EQ(host.Execute("PLOTREX_CENTER_ON_TRACK", PositionText(centre.position).c_str()), 1);
    const SIZE size = organizer.GetDeviceSize();
    EXPECT_NEAR(organizer.GetHorizontalProjection().ToWorld(size.cx * 0.5), centre.distance, pixel);
    EXPECT_NEAR(organizer.GetYProjection()->ToWorld(size.cy * 0.5), centre.value, 1.0);
    double first = 0.0;
    double second = 0.0;
    double temperature = 0.0;
    ASSERT_TRUE(host.data.GetGraphs()
                    .GetData(kGraphTemp)
                    ->GetValueAt(centre.distance, &first, &second, &temperature));
    EXPECT_TRUE(LinearPixelProjection::InWindow(degrees->ToPixel(temperature), size.cy))
        << temperature << " degrees at pixel " << degrees->ToPixel(temperature);

    // Not a position: refused, and the host hears it.
    for (const char* bad : {"", "0.83", "north west", "nan 0.1", "inf -0.07", "0.83 -0.07 x"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(host.Execute("PLOTREX_HOVER_ON_PROFILE", bad), 0);
        EXPECT_EQ(host.Execute("PLOTREX_CENTER_ON_TRACK", bad), 0);
        CommandState state;
        state.argument = bad;
        EXPECT_EQ(host.State("PLOTREX_CENTER_ON_TRACK", &state), 1);
        EXPECT_FALSE(state.enabled);
    }
    CommandState state;
    state.argument = nullptr;
    EXPECT_EQ(host.State("PLOTREX_HOVER_ON_PROFILE", &state), 1);
    EXPECT_TRUE(state.enabled);
}

#include <gtest/gtest.h>

#include <cmath>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataContainer.h"
#include "persistence/Serializater.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/MapSerializater.h"

namespace {

constexpr double kNm = M_PI / 10800.0;

int liveDisplays = 0;

class CountingDisplay : public PlotrexDisplay {
  public:
    explicit CountingDisplay(PlotrexData* data) : PlotrexDisplay(data) { ++liveDisplays; }
    ~CountingDisplay() override { --liveDisplays; }
    void Draw(short, VexanDevice*, RECT, const LinearPixelProjection&, const LinearPixelProjection&,
              StyleTable*) override {
        ClearModified();
    }
    void MarkDrawn() { ClearModified(); }
};

class TestGraph : public PlotrexData {
  public:
    TestGraph(DistanceTracker* tracker, const char* name) : PlotrexData(tracker, name, kUnitDist) {}
    PlotrexDisplay* CreateDisplay() override { return new CountingDisplay(this); }
};

}  // namespace

TEST(PlotrexData, KeepsOwnCopiesOfItsKeysAndBaseDefaults) {
    DistanceTracker tracker;
    std::string name = "PLOTREX_DATA_DEPTH";
    TestGraph graph(&tracker, name.c_str());
    name[0] = 'X';
    EXPECT_STREQ(graph.GetName(), "PLOTREX_DATA_DEPTH");
    EXPECT_STREQ(graph.GetUnit(), "DIST");
    EXPECT_EQ(graph.GetDistanceTracker(), &tracker);

    CommandState state;
    EXPECT_EQ(graph.ExecuteCommand("PLOTREX_SCALE_PLUS", nullptr), 0);
    EXPECT_EQ(graph.GetCommandState("PLOTREX_SHOW_HIDE", &state), 0);
    EXPECT_FALSE(state.checked);
    double first = 7, second = 7, value = 7;
    EXPECT_FALSE(graph.GetValueAt(1.0, &first, &second, &value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(graph.GetExtent().IsUndefined());
}

TEST(PlotrexData, OwnsItsDisplaysAndDeletesOnlyItsOwn) {
    DistanceTracker tracker;
    {
        TestGraph depth(&tracker, kGraphDepth), temp(&tracker, kGraphTemp);
        PlotrexDisplay* a = depth.CreateDisplay();
        PlotrexDisplay* b = depth.CreateDisplay();
        PlotrexDisplay* foreign = temp.CreateDisplay();
        ASSERT_EQ(depth.GetDisplays().size(), 2U);
        EXPECT_EQ(liveDisplays, 3);

        EXPECT_FALSE(depth.DeleteDisplay(foreign));
        EXPECT_EQ(liveDisplays, 3);
        EXPECT_TRUE(depth.DeleteDisplay(a));
        EXPECT_EQ(liveDisplays, 2);
        ASSERT_EQ(depth.GetDisplays().size(), 1U);
        EXPECT_EQ(depth.GetDisplays()[0], b);
        EXPECT_FALSE(depth.DeleteDisplay(a));

        static_cast<CountingDisplay*>(b)->MarkDrawn();
        EXPECT_FALSE(b->IsModified());
        depth.ModifyDisplays();
        EXPECT_TRUE(b->IsModified());
    }
    EXPECT_EQ(liveDisplays, 0);  // the rest went with their data
}

TEST(PlotrexDisplay, VisibilityPersistsUnderTheGraphsKey) {
    DistanceTracker tracker;
    TestGraph depth(&tracker, kGraphDepth);
    PlotrexDisplay* display = depth.CreateDisplay();
    MapSerializater settings;
    display->Load(settings);
    EXPECT_TRUE(display->IsVisible());  // absent

    settings.values["PLOTREX_DATA_DEPTH_visible"] = "0";
    display->Load(settings);
    EXPECT_FALSE(display->IsVisible());
    settings.values["PLOTREX_DATA_DEPTH_visible"] = "2";
    display->Load(settings);
    EXPECT_TRUE(display->IsVisible());
    display->Save(settings);
    EXPECT_EQ(settings.values["PLOTREX_DATA_DEPTH_visible"], "1");
    settings.values["PLOTREX_DATA_DEPTH_visible"] = "garbage";
    display->SetVisible(false);
    display->Load(settings);
    EXPECT_TRUE(display->IsVisible());

    EXPECT_EQ(display->GetLayerCount(), 1);
    EXPECT_EQ(display->GetMargins(), Margins());
    std::string legend = "untouched";
    EXPECT_FALSE(display->GetLegendEntry(legend));
}

TEST(PlotrexDataContainer, FirstOfTwoEqualNamesIsFoundBothAreIterated) {
    DistanceTracker tracker;
    TestGraph first(&tracker, kGraphDepth), second(&tracker, kGraphDepth);
    PlotrexDataContainer container;
    container.Add(&first);
    container.Add(&second);
    EXPECT_EQ(container.GetData(kGraphDepth), &first);
    EXPECT_EQ(container.size(), 2U);
    EXPECT_EQ(container.GetData(kGraphTemp), nullptr);
    EXPECT_EQ(container.GetData(nullptr), nullptr);
    EXPECT_EQ(container.GetData("plotrex_data_depth"), nullptr);  // case counts
    container.Clear();
    EXPECT_EQ(container.GetData(kGraphDepth), nullptr);
}

TEST(DistanceTracker, AdvancesOnlyWhenTheShipMoves) {
    FakeDataSource source;
    DistanceTracker tracker;
    EXPECT_FALSE(tracker.AdvanceDistance());  // no source
    EXPECT_EQ(tracker.GetHeading(), 0.0);
    tracker.Initialize(&source);
    EXPECT_TRUE(tracker.GetPosition().IsNoPos());

    EXPECT_FALSE(tracker.AdvanceDistance());  // no position
    source.position = PosType(0.5, 0.1);
    EXPECT_FALSE(tracker.AdvanceDistance());  // first position
    EXPECT_EQ(tracker.GetDistance(), 0.0);
    EXPECT_EQ(tracker.GetPosition(), source.position);
    EXPECT_FALSE(tracker.AdvanceDistance());  // unchanged

    source.position = PosType(0.5 + kNm, 0.1);
    EXPECT_TRUE(tracker.AdvanceDistance());
    // Single-precision positions: a mile is known to a few metres.
    EXPECT_NEAR(tracker.GetDistance() / kNm, 1.0, 5e-3);
    source.position = PosType(0.5 + kNm, 0.1 + kNm / std::cos(0.5 + kNm));
    EXPECT_TRUE(tracker.AdvanceDistance());
    EXPECT_NEAR(tracker.GetDistance() / kNm, 2.0, 1e-2);

    source.heading = 1.25;
    EXPECT_EQ(tracker.GetHeading(), 1.25);

    // A position that comes back as the undefined marker in one coordinate
    // cannot be measured: nothing changes.
    const double before = tracker.GetDistance();
    source.position = PosType(kUndefined, 0.2);
    EXPECT_FALSE(tracker.AdvanceDistance());
    EXPECT_EQ(tracker.GetDistance(), before);
}

TEST(Extent, FirstPointDefinesLaterPointsWidenUndefinedPointsAreIgnored) {
    Extent extent;
    EXPECT_TRUE(extent.IsUndefined());
    extent.Add(kUndefined, 3.0);
    EXPECT_TRUE(extent.IsUndefined());
    extent.Add(2.0, -5.0);
    EXPECT_EQ(extent, (Extent{2.0, 2.0, -5.0, -5.0}));
    extent.Add(1.0, -1.0);
    extent.Add(4.0, -9.0);
    EXPECT_EQ(extent, (Extent{1.0, 4.0, -9.0, -1.0}));
}

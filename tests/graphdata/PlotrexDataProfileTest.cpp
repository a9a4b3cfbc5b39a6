#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "drawing/PlotrexDisplayProfile.h"
#include "graphdata/PlotrexDataProfile.h"
#include "layout/LinearPixelProjection.h"
#include "module/ModuleDataPlotrex.h"
#include "resources/ModuleStrings.h"
#include "tests/support/FakeHostObjects.h"

namespace {

constexpr double kStep = 1e-4;

// Also remembers what was asked for: (kind, flag) of each sample request.
class RecordingDataSource final : public FakeDataSource {
  public:
    float GetLatestSample(const int& kind, int positive) override {
        requests.emplace_back(kind, positive);
        return FakeDataSource::GetLatestSample(kind, positive);
    }
    std::vector<std::pair<int, int>> requests;
};

// A tracker fed by a fake source, with a depth and a temperature profile on it.
class ProfileUpdate : public ::testing::Test {
  protected:
    ProfileUpdate() { tracker.Initialize(&source); }

    // Puts the ship at the next place east along the equator and advances the tracker.
    void Sail() {
        source.position = PosType(0.0, (legs++) * kStep);
        tracker.AdvanceDistance();
    }
    // One host cycle as the module runs it: the profiles update only when the ship moved.
    void Cycle() {
        Sail();
        depth.Update();
        temperature.Update();
    }
    bool Modified(PlotrexDataProfile& profile) {
        return profile.GetDisplays().front()->IsModified();
    }
    void ClearModified(PlotrexDataProfile& profile) {
        LinearPixelProjection x;
        LinearPixelProjection y(true);
        profile.GetDisplays().front()->Draw(0, nullptr, RECT{}, x, y, nullptr);
    }

    RecordingDataSource source;
    DistanceTracker tracker;
    PlotrexDataProfile depth{&tracker, kGraphDepth, kUnitDist};
    PlotrexDataProfile temperature{&tracker, kGraphTemp, kUnitTemp};
    int legs = 0;
};

}  // namespace

TEST_F(ProfileUpdate, ReadsItsKindAndStoresDepthsNegative) {
    source.samples = {{kDataKindDepth, 12.5f}, {kDataKindTemperature, 12.5f}};
    Sail();  // the first position only starts the tracker
    depth.Update();
    temperature.Update();
    ASSERT_EQ(depth.GetSeries()->GetCount(), 1);
    ASSERT_EQ(temperature.GetSeries()->GetCount(), 1);
    EXPECT_EQ(depth.GetSeries()->At(0).value, -12.5);
    EXPECT_EQ(temperature.GetSeries()->At(0).value, 12.5);
    EXPECT_EQ(depth.GetSeries()->At(0).distance, 0.0);
    EXPECT_TRUE(depth.GetSeries()->At(0).position == PosType(0.0, 0.0));
    EXPECT_EQ(source.requests,
              (std::vector<std::pair<int, int>>{{kDataKindDepth, 1}, {kDataKindTemperature, 1}}));
}

TEST_F(ProfileUpdate, AddsNothingWithoutSourceOrPositionOrSample) {
    DistanceTracker noSource;
    noSource.Initialize(nullptr);
    PlotrexDataProfile orphan(&noSource, kGraphDepth, kUnitDist);
    orphan.Update();
    EXPECT_EQ(orphan.GetSeries()->GetCount(), 0);

    // No position yet.
    source.samples[kDataKindDepth] = 10.0f;
    depth.Update();
    EXPECT_EQ(depth.GetSeries()->GetCount(), 0);

    // Undefined first samples are skipped...
    source.samples.clear();
    Cycle();
    Cycle();
    EXPECT_EQ(depth.GetSeries()->GetCount(), 0);
    EXPECT_TRUE(depth.GetExtent().IsUndefined());
    // ...and so is anything that is not a number.
    source.samples[kDataKindDepth] = std::nanf("");
    Cycle();
    EXPECT_EQ(depth.GetSeries()->GetCount(), 0);

    source.samples[kDataKindDepth] = 10.0f;
    Cycle();
    ASSERT_EQ(depth.GetSeries()->GetCount(), 1);
    EXPECT_NEAR(depth.GetSeries()->At(0).distance, 3 * kStep, 1e-9);
}

TEST_F(ProfileUpdate, SameDistanceAddsNothingAndMarksNothing) {
    depth.CreateDisplay();
    source.samples[kDataKindDepth] = 10.0f;
    Cycle();
    Cycle();
    ASSERT_EQ(depth.GetSeries()->GetCount(), 2);
    EXPECT_TRUE(Modified(depth));
    ClearModified(depth);
    EXPECT_FALSE(Modified(depth));

    depth.Update();  // the ship did not move
    EXPECT_EQ(depth.GetSeries()->GetCount(), 2);
    EXPECT_FALSE(Modified(depth));

    Cycle();
    EXPECT_EQ(depth.GetSeries()->GetCount(), 3);
    EXPECT_TRUE(Modified(depth));
}

TEST_F(ProfileUpdate, AMissingSampleAfterTheStartIsAGap) {
    source.samples[kDataKindDepth] = 10.0f;
    Cycle();
    Cycle();
    const Extent before = depth.GetExtent();
    source.samples.clear();
    Cycle();
    ASSERT_EQ(depth.GetSeries()->GetCount(), 3);
    EXPECT_EQ(depth.GetSeries()->At(2).value, kUndefined);
    EXPECT_EQ(depth.GetExtent(), before);

    double first = 0.0;
    double second = 0.0;
    double value = 0.0;
    // At the gap there is no value; at a sample there is, with its position.
    EXPECT_FALSE(depth.GetValueAt(tracker.GetDistance(), &first, &second, &value));
    EXPECT_EQ(value, 0.0);
    const double sampleDistance = depth.GetSeries()->At(1).distance;
    ASSERT_TRUE(depth.GetValueAt(sampleDistance, &first, &second, &value));
    EXPECT_EQ(value, -10.0);
    EXPECT_EQ(first, 0.0);
    EXPECT_NEAR(second, kStep, 1e-9);
    // Outside the series.
    EXPECT_FALSE(depth.GetValueAt(-1.0, &first, &second, &value));
    EXPECT_FALSE(depth.GetValueAt(1.0, &first, &second, &value));
}

TEST_F(ProfileUpdate, ProfilesKeep1100Points) {
    source.samples[kDataKindTemperature] = 8.0f;
    for (int i = 0; i < 1150; ++i) {
        Cycle();
    }
    EXPECT_EQ(temperature.GetSeries()->GetCount(), 1100);
    EXPECT_NEAR(temperature.GetExtent().minX, 50 * kStep, 1e-9);
}

TEST_F(ProfileUpdate, LegendShowsTheValueAtTheShipWithItsUnit) {
    auto* depthDisplay = depth.CreateDisplay();
    auto* temperatureDisplay = temperature.CreateDisplay();
    std::string text = "unchanged";
    // Before any sample.
    EXPECT_FALSE(depthDisplay->GetLegendEntry(text));
    EXPECT_EQ(text, "unchanged");

    source.samples = {{kDataKindDepth, 12.5f}, {kDataKindTemperature, 14.2f}};
    Cycle();
    // One point makes no segment to read a value on.
    EXPECT_FALSE(depthDisplay->GetLegendEntry(text));
    Cycle();
    ASSERT_TRUE(depthDisplay->GetLegendEntry(text));
    EXPECT_EQ(text, "12.5 m");
    ASSERT_TRUE(temperatureDisplay->GetLegendEntry(text));
    EXPECT_EQ(text,
              "14.2 \xC2\xB0"
              "C");
    EXPECT_EQ(depthDisplay->GetLayerCount(), 2);

    // A gap at the ship's distance.
    source.samples.clear();
    Cycle();
    text = "unchanged";
    EXPECT_FALSE(depthDisplay->GetLegendEntry(text));
    EXPECT_FALSE(temperatureDisplay->GetLegendEntry(text));
    EXPECT_EQ(text, "unchanged");
}

namespace {

// A profile that answers with a value the generic data cannot show.
class UnshowableProfile final : public PlotrexDataProfile {
  public:
    using PlotrexDataProfile::PlotrexDataProfile;
    bool GetValueAt(double, double* first, double* second, double* value) override {
        *first = *second = 0.0;
        *value = std::nan("");
        return true;
    }
};

}  // namespace

TEST(ProfileLegend, AnInvalidDepthTextIsAWarningAndAnInvalidTemperatureNoEntry) {
    DistanceTracker tracker;
    tracker.Initialize(nullptr);
    UnshowableProfile depth(&tracker, kGraphDepth, kUnitDist);
    UnshowableProfile temperature(&tracker, kGraphTemp, kUnitTemp);
    std::string text = "unchanged";
    EXPECT_FALSE(temperature.CreateDisplay()->GetLegendEntry(text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(depth.CreateDisplay()->GetLegendEntry(text));
    EXPECT_EQ(text, "#wNo Depth");
}

TEST(ProfileLegend, DisplayOnOtherDataDrawsAndSaysNothing) {
    DistanceTracker tracker;
    tracker.Initialize(nullptr);
    PlotrexDataProfile profile(&tracker, kGraphDepth, kUnitDist);
    PlotrexDisplayProfile display(&profile);
    EXPECT_EQ(display.GetProfile(), &profile);
    EXPECT_EQ(profile.GetDisplays().size(), 1u);
    profile.GetDisplays().clear();  // the display lives on the stack here
}

TEST(ModuleProfiles, RegisteredFirstInTheirOrder) {
    FakeDataSource source;
    ModuleDataPlotrex module;
    module.Initialize(&source, nullptr, nullptr, nullptr, 1);
    for (int mode : {0, 1}) {
        PlotrexDataContainer graphs;
        module.CollectGraphs(mode, graphs);
        ASSERT_GE(graphs.size(), 2u);
        ASSERT_NE(graphs[0], nullptr);
        ASSERT_NE(graphs[1], nullptr);
        EXPECT_STREQ(graphs[0]->GetName(), kGraphTemp) << mode;
        EXPECT_STREQ(graphs[0]->GetUnit(), kUnitTemp) << mode;
        EXPECT_STREQ(graphs[1]->GetName(), kGraphDepth) << mode;
        EXPECT_STREQ(graphs[1]->GetUnit(), kUnitDist) << mode;
        EXPECT_NE(dynamic_cast<PlotrexDataProfile*>(graphs[1]), nullptr);
    }
    EXPECT_EQ(module.GetGraphs()[0], module.GetGraphs().GetData(kGraphTemp));
    EXPECT_EQ(module.GetGraphs()[1], module.GetGraphs().GetData(kGraphDepth));

    // Echogram mode keeps no current profile; profile mode takes the depth profile.
    EXPECT_EQ(module.GetCurrentProfile(), nullptr);
    module.SetMode(0);
    EXPECT_EQ(module.GetCurrentProfile(), module.GetGraphs().GetData(kGraphDepth));

    // The host's cycles feed both profiles.
    source.samples = {{kDataKindDepth, 30.0f}, {kDataKindTemperature, 9.5f}};
    for (int i = 0; i < 3; ++i) {
        source.position = PosType(0.0, i * kStep);
        module.UpdateGraphs();
    }
    auto* depth = static_cast<PlotrexDataProfile*>(module.GetGraphs().GetData(kGraphDepth));
    auto* temp = static_cast<PlotrexDataProfile*>(module.GetGraphs().GetData(kGraphTemp));
    EXPECT_EQ(depth->GetSeries()->GetCount(), 2);
    EXPECT_EQ(depth->GetExtent().minY, -30.0);
    EXPECT_EQ(temp->GetExtent().maxY, 9.5);
    module.Terminate();
}

TEST(ModuleStrings, TheTableByResourceId) {
    const char* expected[] = {
        "No Sweep",    "No Depth",    "HF",           "LF",         "Single Freq.",  "Marker Zoom",
        "Bottom Zoom", "Bottom Lock", "Bottom Dscr.", "Dual Freq.", "No Temperature"};
    for (UINT id = 338; id <= 348; ++id) {
        EXPECT_STREQ(LoadModuleString(id), expected[id - 338]) << id;
    }
    EXPECT_STREQ(LoadModuleString(337), "");
    EXPECT_STREQ(LoadModuleString(349), "");
    EXPECT_STREQ(LoadModuleString(0), "");
}

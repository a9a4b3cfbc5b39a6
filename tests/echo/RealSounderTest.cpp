#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "echo/CEtrModeManager.h"
#include "echo/ETROGRLayer.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/PlotrexDataETR.h"
#include "module/LayerKey.h"
#include "tests/support/RealSounder.h"
#include "tests/support/TestProfile.h"
#include "units/UnitConversion.h"

namespace {

struct CountingSink : HostNotificationSink {
    void Notify(const std::int32_t*, const LayerKeyIndexed*) override { ++count; }
    int count = 0;
};

// Height of the strongest echo of a sweep, below the surface band.
double StrongestEchoHeight(const ZxEtrEcho& sweep) {
    const std::uint32_t skip = sweep.sampleCount / 10;
    const auto* strongest =
        std::max_element(sweep.samples + skip, sweep.samples + sweep.sampleCount);
    const double fraction = static_cast<double>(strongest - sweep.samples) / sweep.sampleCount;
    return sweep.windowTop + (sweep.windowBottom - sweep.windowTop) * fraction;
}

class RealSounderTest : public testing::Test {
  protected:
    RealSounderTest() : etr(&tracker, "PLOTREX_DATA_ETR", "DIST") {
        const ZXNorvaneOptions options{7, 0, 0.0, 1};
        sounder.reset(&options);
        sounder.Environment(0.0, 42.0);
        GetSweepRecorder().DiscardPending();
        GetEtrModeManager().SetSelectedFrequency(1);
    }
    ~RealSounderTest() override { etr.Terminate(); }

    void Ping(int times) {
        for (int i = 0; i < times; ++i) {
            ASSERT_GT(sounder.ping(), 0);
        }
    }
    std::pair<int, int> Modes() {
        const EtrModes modes = CEtrModeManager::ReadModes();
        return {modes.frequency, modes.zoom};
    }

    RealSounder sounder;
    DistanceTracker tracker;
    PlotrexDataETR etr;
};

}  // namespace

TEST_F(RealSounderTest, PingsReachTheStoresWithTheBottomInsideTheirWindow) {
    ASSERT_TRUE(sounder.Ready());
    ASSERT_TRUE(etr.Initialize(nullptr));
    Ping(10);
    const ZXNorvaneStatistics figures = sounder.Statistics();
    EXPECT_EQ(etr.PollSweeps(), static_cast<std::int32_t>(figures.sweeps[0] + figures.sweeps[1]));
    ASSERT_EQ(etr.GetStore(0).size(), 10U);
    EXPECT_EQ(etr.GetStore(1).size(), 10U);  // blanks beside the single pane
    for (const ZxEtrEcho& sweep : etr.GetStore(0)) {
        ASSERT_GT(sweep.sampleCount, 0U);
        EXPECT_LT(sweep.windowBottom, -42.0);
        EXPECT_GE(sweep.windowTop, -1.0);
        EXPECT_NEAR(StrongestEchoHeight(sweep), -42.0, 2.0);
    }
    ZxEtrEcho last = ZxEtrEcho::Empty();
    ASSERT_TRUE(GetLastSweep(0, &last));
    EXPECT_NEAR(last.referenceDepth, 42.0, 1.0);
    EXPECT_EQ(GetDepthWindow(0), std::make_pair(last.windowTop, last.windowBottom));
}

TEST_F(RealSounderTest, CommandsChangeTheSoundersModesAndRange) {
    CountingSink sink;
    ASSERT_TRUE(etr.Initialize(&sink));
    etr.UpdateLayers();
    OgrFeaturePtr(etr.GetPropertyLayer()->GetFeature(0));
    const int told = sink.count;

    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_DISPLAY", "PLOTREX_ETR_BOTTOMLOCK_PARAM"), 1);
    Ping(1);
    EXPECT_EQ(Modes(), std::make_pair(2, 1));
    etr.UpdateLayers();
    EXPECT_EQ(sink.count, told + 1);  // the sounder said its mode changed

    // The zoom pane's window rides on the bottom the sounder found.
    Ping(3);
    etr.PollSweeps();
    ASSERT_FALSE(etr.GetStore(1).empty());
    const ZxEtrEcho& zoom = etr.GetStore(1).back();
    EXPECT_NEAR(zoom.referenceDepth, 42.0, 1.0);
    EXPECT_DOUBLE_EQ(zoom.windowBottom, -zoom.referenceDepth);
    EXPECT_GT(zoom.windowTop, zoom.windowBottom);

    CommandState state;
    state.argument = "PLOTREX_ETR_BOTTOMLOCK_PARAM";
    ASSERT_EQ(etr.GetCommandState("PLOTREX_ETR_DISPLAY", &state), 1);
    EXPECT_TRUE(state.checked);

    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_FREQUENCY", nullptr), 1);
    Ping(1);
    EXPECT_EQ(Modes(), std::make_pair(4, 1));

    std::int32_t before = 0;
    std::int32_t shift = 0;
    sounder.Sounder()->GetRange(1, &before, &shift);
    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_RANGE_PLUS", nullptr), 1);
    Ping(1);
    std::int32_t after = 0;
    sounder.Sounder()->GetRange(1, &after, &shift);
    EXPECT_GT(after, before);
}

TEST_F(RealSounderTest, PropertiesAreWrittenThroughTheLayerAndRefusedValuesKept) {
    ASSERT_TRUE(etr.Initialize(nullptr));
    ETROGRLayer* layer = etr.GetPropertyLayer();
    OgrFeaturePtr feature(layer->GetFeature(0));
    ASSERT_NE(feature, nullptr);
    ASSERT_GE(feature->GetFieldIndex("GAIN_DB"), 0);
    feature->SetField("GAIN_DB", 6.5);
    EXPECT_EQ(layer->SetFeature(feature.get()), OGRERR_NONE);
    Ping(1);
    EXPECT_DOUBLE_EQ(OgrFeaturePtr(layer->GetFeature(0))->GetFieldAsDouble("GAIN_DB"), 6.5);

    feature->SetField("GAIN_DB", 99.0);  // beyond what the sounder takes
    EXPECT_EQ(layer->SetFeature(feature.get()), OGRERR_FAILURE);
    Ping(1);
    EXPECT_DOUBLE_EQ(OgrFeaturePtr(layer->GetFeature(0))->GetFieldAsDouble("GAIN_DB"), 6.5);
}

TEST(SounderLibraryDeathTest, MissingLibraryEndsTheProcessWithItsName) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder empty;
    const std::string folder = empty.Path().string() + "/";
    std::string message;
    EXPECT_EQ(LoadSounderLibraryFrom(folder, &message), nullptr);
    EXPECT_NE(message.find("(ZXNorvane.so)"), std::string::npos) << message;
    EXPECT_EXIT(ExitForMissingLibrary(message), testing::ExitedWithCode(1),
                "cannot be found.*\\(ZXNorvane\\.so\\)");
}

#include <gtest/gtest.h>

#include <cstring>

#include "echo/ETROGRLayer.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/PlotrexDataETR.h"
#include "module/LayerKey.h"
#include "module/ModuleDataPlotrex.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/FakeSounder.h"
#include "tests/support/TestProfile.h"

namespace {

struct RecordingSink : HostNotificationSink {
    void Notify(const std::int32_t* code, const LayerKeyIndexed* key) override {
        codes.push_back(code != nullptr ? *code : -1);
        texts.push_back(key != nullptr ? key->ToText() : "");
        indexes.push_back(key != nullptr ? key->GetIndex() : -9);
    }
    std::vector<std::int32_t> codes;
    std::vector<std::string> texts;
    std::vector<std::int32_t> indexes;
};

// Sweeps as the library would hand them over, one channel each.
void Ping(FakeSounder& sounder, std::initializer_list<std::uint16_t> channels) {
    std::uint8_t samples[100];
    std::memset(samples, 9, sizeof samples);
    for (std::uint16_t channel : channels) {
        ZXRawSweep raw{};
        raw.channel = channel;
        raw.samples = samples;
        raw.sampleCount = 100;
        raw.sampleStep = 1U << 21;
        raw.startDepth = 0;
        ASSERT_NE(sounder.sweepCallback, nullptr);
        sounder.sweepCallback(&raw);
    }
}

class EchogramDataTest : public testing::Test {
  protected:
    EchogramDataTest() : etr(&tracker, "PLOTREX_DATA_ETR", "DIST") {
        GetSweepRecorder().DiscardPending();
        GetSweepRecorder().ClearSettingsChanged();
        tracker.Initialize(&source);
    }
    ~EchogramDataTest() override { etr.Terminate(); }

    FakeSounder sounder;
    FakeDataSource source;
    DistanceTracker tracker;
    PlotrexDataETR etr;
};

}  // namespace

TEST_F(EchogramDataTest, OneFrequencyWithoutZoomPairsEverySweepWithABlank) {
    ASSERT_TRUE(etr.Initialize(nullptr));
    sounder.frequency = 1;
    sounder.zoom = 1;
    Ping(sounder, {0, 1, 0, 0});
    EXPECT_EQ(etr.PollSweeps(), 4);
    ASSERT_EQ(etr.GetStore(0).size(), 3U);
    ASSERT_EQ(etr.GetStore(1).size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        const ZxEtrEcho& blank = etr.GetStore(1)[i];
        EXPECT_EQ(blank.number, static_cast<std::int32_t>(i));
        EXPECT_EQ(blank.channel, 1);
        EXPECT_EQ(blank.sampleCount, 1024U);
        EXPECT_EQ(blank.windowBottom, 1.0);
        EXPECT_EQ(std::count(blank.samples, blank.samples + 1024, 0), 1024);
        EXPECT_EQ(etr.GetStore(0)[i].samples[99], 9);
    }
    EXPECT_EQ(etr.GetStore(1).GetDeepestBottom(), 0.0);
    EXPECT_EQ(etr.PollSweeps(), 0);
    EXPECT_EQ(etr.GetStore(0).size(), 3U);
}

TEST_F(EchogramDataTest, OtherModesFileEachSweepByItsChannel) {
    ASSERT_TRUE(etr.Initialize(nullptr));
    for (std::int16_t frequency : {2, 4, 5}) {
        sounder.frequency = frequency;
        sounder.zoom = 1;
        const std::size_t before0 = etr.GetStore(0).size();
        const std::size_t before1 = etr.GetStore(1).size();
        Ping(sounder, {0, 1, 0});
        EXPECT_EQ(etr.PollSweeps(), 3);
        EXPECT_EQ(etr.GetStore(0).size(), before0 + 2) << frequency;
        EXPECT_EQ(etr.GetStore(1).size(), before1 + 1) << frequency;
    }
}

TEST_F(EchogramDataTest, MovingShipPlacesTheNewSweepsAndWidensTheExtent) {
    ASSERT_TRUE(etr.Initialize(nullptr));
    sounder.frequency = 5;
    EXPECT_TRUE(etr.GetExtent().IsUndefined());
    Ping(sounder, {1, 1});
    etr.PollSweeps();
    // Store 0 empty: the extent is store 1's alone.
    EXPECT_EQ(etr.GetExtent(), etr.GetStore(1).GetExtent());
    EXPECT_EQ(etr.GetExtent(), (Extent{0.0, 0.0, -10.0, 0.0}));

    source.position = PosType{0.0, 0.0};
    ASSERT_FALSE(tracker.AdvanceDistance());  // the first position only starts the track
    source.position = PosType{0.001, 0.0};
    ASSERT_TRUE(tracker.AdvanceDistance());
    const double run = tracker.GetDistance();
    etr.Update();
    EXPECT_DOUBLE_EQ(etr.GetStore(1)[0].distance, run / 2);
    EXPECT_DOUBLE_EQ(etr.GetStore(1)[1].distance, run);
    EXPECT_EQ(etr.GetExtent(), (Extent{run / 2, run, -10.0, 0.0}));
    EXPECT_EQ(etr.GetStore(0).GetLastDistance(), run);
}

TEST_F(EchogramDataTest, HostIsToldOnceWhenTheSounderSettingsChange) {
    RecordingSink sink;
    ASSERT_TRUE(etr.Initialize(&sink));
    ETROGRLayer* layer = etr.GetPropertyLayer();
    ASSERT_NE(layer, nullptr);
    // A new layer is stale until the host has read it.
    etr.UpdateLayers();
    ASSERT_EQ(sink.codes.size(), 1U);
    EXPECT_EQ(sink.codes[0], 2);
    EXPECT_EQ(sink.texts[0], "PLOTREX_MODULE?ETR_PROPERTIES");
    EXPECT_EQ(sink.indexes[0], 0);
    OgrFeaturePtr(layer->GetFeature(0));
    etr.UpdateLayers();
    EXPECT_EQ(sink.codes.size(), 1U);

    ASSERT_NE(sounder.eventCallback, nullptr);
    sounder.eventCallback(1);
    etr.UpdateLayers();
    EXPECT_EQ(sink.codes.size(), 2U);
    EXPECT_TRUE(layer->IsModified());
    OgrFeaturePtr(layer->GetFeature(0));
    etr.UpdateLayers();
    EXPECT_EQ(sink.codes.size(), 2U);
}

TEST_F(EchogramDataTest, WithoutASinkChangesAreOnlyCleared) {
    ASSERT_TRUE(etr.Initialize(nullptr));
    sounder.eventCallback(4);
    EXPECT_TRUE(IsSettingsChanged());
    etr.UpdateLayers();
    EXPECT_FALSE(IsSettingsChanged());
}

TEST_F(EchogramDataTest, CallbacksAreWithdrawnByTerminateOrDeletion) {
    ASSERT_TRUE(etr.Initialize(nullptr));
    EXPECT_NE(sounder.sweepCallback, nullptr);
    Ping(sounder, {0});
    etr.Terminate();
    EXPECT_EQ(sounder.sweepCallback, nullptr);
    EXPECT_EQ(sounder.eventCallback, nullptr);
    EXPECT_EQ(etr.PollSweeps(), 0);  // what was pending went with the callbacks

    {
        PlotrexDataETR deleted(&tracker, "PLOTREX_DATA_ETR", "DIST");
        ASSERT_TRUE(deleted.Initialize(nullptr));
        EXPECT_NE(sounder.sweepCallback, nullptr);
    }
    EXPECT_EQ(sounder.sweepCallback, nullptr);
}

TEST_F(EchogramDataTest, PropertyLayerThroughTheGraphAndTheModule) {
    ASSERT_TRUE(etr.Initialize(nullptr));
    EXPECT_EQ(etr.GetLayerCount(), 1);
    EXPECT_EQ(etr.GetLayer(0), etr.GetPropertyLayer());
    EXPECT_EQ(etr.GetLayer(1), nullptr);
    EXPECT_EQ(etr.OGRableMonoDataSource::GetLayer(0), etr.GetPropertyLayer());
    EXPECT_EQ(etr.OGRableMonoDataSource::GetLayer(-1), nullptr);
    EXPECT_EQ(etr.GetLayerByName("etr_properties"), etr.GetPropertyLayer());
    EXPECT_EQ(etr.QueryLayer(0, 0), nullptr);

    TestProfile profile;
    for (int withEchogram : {0, 1}) {
        ModuleDataPlotrex module;
        module.Initialize(&source, nullptr, nullptr, nullptr, withEchogram);
        OGRLayer* layer = module.GetLayerByName("Etr_Properties");
        EXPECT_EQ(layer != nullptr, withEchogram == 1);
        if (layer != nullptr) {
            EXPECT_STREQ(layer->GetName(), "ETR_PROPERTIES");
        }
        EXPECT_EQ(module.GetLayerByName("OTHER"), nullptr);
        EXPECT_EQ(module.GetLayerCount(), 0);
        module.Terminate();
    }
}

TEST_F(EchogramDataTest, ModuleDrainsTheSweepsAtEveryCycleBeforeTheShipMoves) {
    TestProfile profile;
    ModuleDataPlotrex module;
    module.Initialize(&source, nullptr, nullptr, nullptr, 1);
    auto* echogram = dynamic_cast<PlotrexDataETR*>(module.GetGraphs().GetData("PLOTREX_DATA_ETR"));
    ASSERT_NE(echogram, nullptr);
    EXPECT_EQ(module.GetMode(), 1);
    sounder.frequency = 5;
    Ping(sounder, {0, 1, 1});
    module.UpdateGraphs();  // no position yet: nothing moves, the sweeps still arrive
    EXPECT_EQ(echogram->GetStore(0).size(), 1U);
    EXPECT_EQ(echogram->GetStore(1).size(), 2U);
    module.Terminate();
    EXPECT_EQ(sounder.sweepCallback, nullptr);
}

// The sounder may signal again while the host is busy with the last notice.
TEST_F(EchogramDataTest, ChangeSignalledDuringANoticeIsToldNextTime) {
    struct ReRaisingSink : HostNotificationSink {
        void Notify(const std::int32_t*, const LayerKeyIndexed*) override {
            ++count;
            OgrFeaturePtr(echogram->GetPropertyLayer()->GetFeature(0));
            if (count == 1) {
                raise(1);
            }
        }
        PlotrexDataETR* echogram = nullptr;
        ZXEventCallback raise = nullptr;
        int count = 0;
    } sink;
    sink.echogram = &etr;
    ASSERT_TRUE(etr.Initialize(&sink));
    sink.raise = sounder.eventCallback;
    etr.UpdateLayers();
    EXPECT_EQ(sink.count, 1);
    etr.UpdateLayers();
    EXPECT_EQ(sink.count, 2);
    etr.UpdateLayers();
    EXPECT_EQ(sink.count, 2);
}

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <cmath>

#include "drawing/EchoLook.h"
#include "drawing/Palette.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "module/ModuleDataPlotrex.h"
#include "module/ModuleDisplayPlotrex.h"
#include "module/ModuleWideValues.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/TestProfile.h"

namespace {

constexpr double kNm = M_PI / 10800.0;

class ModuleDataPlotrexTest : public testing::Test {
  protected:
    void SetUp() override {
        gLabelFontSizeMultiplier = 1;
        gDayNightMode = 0;
    }
    void TearDown() override { data.Terminate(); }

    TestProfile profile;
    FakeDataSource source;
    ModuleDataPlotrex data;
};

}  // namespace

TEST_F(ModuleDataPlotrexTest, IdentityAndSections) {
    EXPECT_STREQ(data.GetModuleName(), "PLOTREX_MODULE");
    EXPECT_EQ(data.GetRegistrySections(),
              std::make_pair(std::string("ModuleData\\PlotrexData"),
                             std::string("ModuleDisplay\\PlotrexDisplay")));
    EXPECT_TRUE(data.GetFileTypes().empty());
    EXPECT_EQ(data.GetMode(), -1);
    EXPECT_EQ(data.GetLayerCount(), 0);
    EXPECT_EQ(data.GetLayer(0), nullptr);
    EXPECT_EQ(data.GetLayerByName("ETR_PROPERTIES"), nullptr);
    EXPECT_EQ(data.QueryLayer(1, 2), nullptr);
}

TEST_F(ModuleDataPlotrexTest, InitializeSetsModeAndFillsTheStyles) {
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(data.GetMode(), 0);
    COLORREF colour = 0;
    BYTE opacity = 0;
    ASSERT_TRUE(data.GetStyleTable().Lookup("DIST_BRUSH", &colour, &opacity));
    EXPECT_EQ(colour, RGB(255, 0, 0));
    EXPECT_EQ(opacity, 150);
    EXPECT_EQ(data.GetStyleTable().Entries().size(), 7U);

    ModuleDataPlotrex withEcho;
    // Only the low byte of the flag counts.
    withEcho.Initialize(&source, nullptr, nullptr, nullptr, 0x100);
    EXPECT_EQ(withEcho.GetMode(), 0);
    withEcho.Terminate();
    withEcho.Initialize(&source, nullptr, nullptr, nullptr, 0x101);
    EXPECT_EQ(withEcho.GetMode(), 1);
    withEcho.Terminate();
}

TEST_F(ModuleDataPlotrexTest, EchogramRequestedKeepsItsModeOnLoadAndAbsentFallsBack) {
    data.Initialize(&source, nullptr, nullptr, nullptr, 1);
    EXPECT_EQ(data.GetMode(), 1);
    PlotrexDataContainer graphs;
    data.CollectGraphs(1, graphs);
    ASSERT_EQ(graphs.size(), 5U);
    ASSERT_NE(graphs[2], nullptr);
    EXPECT_STREQ(graphs[2]->GetName(), "PLOTREX_DATA_ETR");
    // The A-scope comes with the echogram, right after it.
    ASSERT_NE(graphs[3], nullptr);
    EXPECT_STREQ(graphs[3]->GetName(), "PLOTREX_DATA_ASCOPE");
    EXPECT_EQ(data.GetGraphs().GetData("PLOTREX_DATA_ASCOPE"), graphs[3]);
    data.LoadSettings();  // no stored mode: the echogram's
    EXPECT_EQ(data.GetMode(), 1);
    data.Terminate();

    ModuleDataPlotrex without;
    without.Initialize(&source, nullptr, nullptr, nullptr, 0);
    without.SetMode(1);
    without.LoadSettings();
    EXPECT_EQ(without.GetMode(), 0);
    without.Terminate();
}

TEST_F(ModuleDataPlotrexTest, SettingsRoundTripThroughTheProfile) {
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    data.SetMode(2);
    data.SetLabelSize(3);
    data.SaveSettings();
    profile.Reload();
    const std::string text = profile.FileText();
    EXPECT_NE(text.find("[ModuleData\\PlotrexData]"), std::string::npos) << text;
    EXPECT_NE(text.find("NorvaneMode"), std::string::npos);

    gLabelFontSizeMultiplier = 1;
    ModuleDataPlotrex restored;
    restored.Initialize(&source, nullptr, nullptr, nullptr, 0);
    restored.LoadSettings();
    EXPECT_EQ(restored.GetMode(), 2);
    EXPECT_EQ(gLabelFontSizeMultiplier, 2);
    restored.Terminate();

    // A stored multiplier outside 1..3 is not used (more in StoredSettingsTest).
    profile.App().WriteProfileInt("ModuleData\\PlotrexData", "LabelFontSizeMultiplier", 7);
    testing::internal::CaptureStderr();
    restored.LoadSettings();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(gLabelFontSizeMultiplier, 1);
}

TEST_F(ModuleDataPlotrexTest, DeleteSettingsAlsoRemovesTheDisplaySection) {
    CWinApp& app = profile.App();
    app.WriteProfileInt("ModuleData\\PlotrexData", "NorvaneMode", 0);
    app.WriteProfileString("ModuleDisplay\\PlotrexDisplay", "ORGANIZER_LEVEL", "7");
    app.WriteProfileInt("ModuleDisplay\\PlotrexDisplay_2", "Visible", 1);
    data.DeleteSettings();
    EXPECT_EQ(app.GetProfileString("ModuleDisplay\\PlotrexDisplay", "ORGANIZER_LEVEL", "gone"),
              "gone");
    EXPECT_EQ(app.GetProfileInt("ModuleData\\PlotrexData", "NorvaneMode", 9), 9U);
    EXPECT_EQ(app.GetProfileInt("ModuleDisplay\\PlotrexDisplay_2", "Visible", 9), 9U);
}

TEST_F(ModuleDataPlotrexTest, LabelSizeLevelsAndDayNightMode) {
    const std::pair<short, short> cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {9, 3}};
    for (auto [level, multiplier] : cases) {
        data.SetLabelSize(level);
        EXPECT_EQ(gLabelFontSizeMultiplier, multiplier) << level;
    }
    data.SetDayNightMode(2);
    EXPECT_EQ(gDayNightMode, 2);
    EXPECT_EQ(data.GetStyleTable().GetLightMode(), 2);
    EXPECT_EQ(*data.GetStyleTable().ViewLightModeField(), 2);
}

TEST_F(ModuleDataPlotrexTest, CollectGraphsListsEveryNameOfTheMode) {
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    for (auto [mode, count] : {std::pair{0, 8U}, {1, 5U}, {2, 1U}, {3, 0U}, {-1, 0U}}) {
        PlotrexDataContainer graphs;
        data.CollectGraphs(mode, graphs);
        EXPECT_EQ(graphs.size(), count) << mode;
        for (PlotrexData* graph : graphs) {
            if (graph != nullptr) {
                EXPECT_NE(data.GetGraphs().GetData(graph->GetName()), nullptr);
            }
        }
    }
    EXPECT_EQ(data.GetDistanceTracker(0)->GetDistance(), 0.0);
    EXPECT_EQ(data.GetDistanceTracker(1), nullptr);
}

TEST_F(ModuleDataPlotrexTest, EveryGraphOfTheProfileViewIsCreatedInItsOrder) {
    // Without a depth or vessel source the forecast and the vessel are kept all the same.
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    std::vector<std::string> names;
    for (PlotrexData* graph : data.GetGraphs()) {
        names.push_back(graph->GetName());
        EXPECT_STREQ(graph->GetUnit(), names.back() == kGraphTemp ? kUnitTemp : kUnitDist);
    }
    EXPECT_EQ(names, (std::vector<std::string>{kGraphTemp, kGraphDepth, kGraphHistoric,
                                               kGraphPrevision, kGraphMobile, kGraphDReckChalut}));
    // Each view puts the historic profile in its own setting.
    auto* historic =
        dynamic_cast<PlotrexDataProfileHistoric*>(data.GetGraphs().GetData(kGraphHistoric));
    ASSERT_NE(historic, nullptr);
    EXPECT_EQ(historic->GetMode(), -1);
    for (const int mode : {2, 0}) {
        PlotrexDataContainer graphs;
        data.CollectGraphs(mode, graphs);
        EXPECT_EQ(historic->GetMode(), mode);
    }
}

TEST_F(ModuleDataPlotrexTest, UpdateGraphsAccumulatesTheDistanceRun) {
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    data.UpdateGraphs();  // no position yet
    source.position = PosType(0.8, -0.1);
    data.UpdateGraphs();  // the first position only starts the track
    EXPECT_EQ(data.GetDistanceTracker(0)->GetDistance(), 0.0);
    source.position = PosType(0.8 + 2 * kNm, -0.1);
    data.UpdateGraphs();
    data.UpdateGraphs();  // same position again
    EXPECT_NEAR(data.GetDistanceTracker(0)->GetDistance() / kNm, 2.0, 1e-3);
}

TEST_F(ModuleDataPlotrexTest, WithoutAViewAnchorQueriesFailAndCloseViewHidesDisplays) {
    double a = 1, b = 1, immersion = 1, depth = 1;
    EXPECT_FALSE(data.GetAnchorDepthAndImmersion(&a, &b, &immersion, &depth));
    EXPECT_EQ(a, kUndefined);
    EXPECT_EQ(depth, kUndefined);
    EXPECT_FALSE(data.GetAnchorPosition(&a, &b));

    data.SetMode(-1);
    data.CreateViewForMode();
    EXPECT_FALSE(data.OpenView(nullptr, 1.0, 0));
    EXPECT_FALSE(data.HasView());

    std::unique_ptr<ModuleDisplay> display(data.CreateDisplay());
    EXPECT_FALSE(display->IsVisible());
    EXPECT_EQ(display->GetModuleData(), &data);
    display->SetVisible(true);
    data.CloseView();
    EXPECT_FALSE(display->IsVisible());
    EXPECT_EQ(display->NeedsRedraw(), 0);
}

TEST_F(ModuleDataPlotrexTest, TerminateTwiceIsHarmless) {
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    data.Terminate();
    data.Terminate();
    data.UpdateGraphs();
    EXPECT_TRUE(data.GetGraphs().empty());
    EXPECT_EQ(data.GetCurrentProfile(), nullptr);
}

TEST(ModuleEntry, TheModuleExportsItsFactoryAndNothingElseOfOurs) {
    const std::string path = std::string(PLOTREX_BIN_DIR) + "/Plotrex.so";
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto create = reinterpret_cast<CreateModuleDataFunction>(dlsym(module, "CreateModuleData"));
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(dlsym(module,
                    "_ZN17ModuleDataPlotrex10InitializeEP14HostDataSourceP20HostNotificationSinkP15"
                    "HostDepthSourceP16HostVesselSourcei"),
              nullptr);
    ModuleData* created = create();
    ASSERT_NE(created, nullptr);
    EXPECT_STREQ(created->GetModuleName(), "PLOTREX_MODULE");
    delete created;
    dlclose(module);
}

// The echogram's look goes to the profile and comes back; a stored value that
// cannot be used is passed over with a warning and changes nothing.
TEST_F(ModuleDataPlotrexTest, TheEchogramLookRoundTripsAndBadValuesAreIgnored) {
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    data.GetStyleTable().SetEchoLook(EchoLook{EchoScale::kInvertedGrey, -4, 9});
    data.GetStyleTable().ShowColourBar(true);
    data.SaveSettings();
    profile.Reload();
    EXPECT_NE(profile.FileText().find("EchoColours = inverted-grey"), std::string::npos)
        << profile.FileText();

    ModuleDataPlotrex restored;
    restored.Initialize(&source, nullptr, nullptr, nullptr, 0);
    restored.LoadSettings();
    EXPECT_EQ(restored.GetStyleTable().GetEchoLook(), (EchoLook{EchoScale::kInvertedGrey, -4, 9}));
    EXPECT_TRUE(restored.GetStyleTable().IsColourBarShown());
    restored.Terminate();

    CWinApp& app = profile.App();
    app.WriteProfileString("ModuleData\\PlotrexData", "EchoColours", "rainbow");
    app.WriteProfileString("ModuleData\\PlotrexData", "EchoGain", "16");
    app.WriteProfileString("ModuleData\\PlotrexData", "EchoThreshold", "-1");
    app.WriteProfileString("ModuleData\\PlotrexData", "EchoColourBar", "yes");
    ModuleDataPlotrex damaged;
    damaged.Initialize(&source, nullptr, nullptr, nullptr, 0);
    testing::internal::CaptureStderr();
    damaged.LoadSettings();
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(damaged.GetStyleTable().GetEchoLook(), EchoLook{});
    EXPECT_FALSE(damaged.GetStyleTable().IsColourBarShown());
    for (const char* key : {"EchoColours", "EchoGain", "EchoThreshold", "EchoColourBar"}) {
        EXPECT_NE(warnings.find(key), std::string::npos) << key << "\n" << warnings;
    }
    damaged.Terminate();
}

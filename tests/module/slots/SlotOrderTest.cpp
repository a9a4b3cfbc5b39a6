// Every virtual operation a host calls on the module, and every one the
// module calls on the host's objects, reached through the host's own copy of
// the declarations with the module loaded as a host loads it. Each call is
// judged by an effect only that operation has.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/CWnd.h"
#include "platform/HeadlessDesktop.h"
#include "platform/WinApp.h"
#include "platform/WinUser.h"
#include "platform/WindowMessages.h"
#include "tests/module/slots/HostSideDeclarations.h"

namespace {

constexpr const char* kData = "ModuleData\\PlotrexData";
constexpr const char* kDisplay0 = "ModuleDisplay\\PlotrexDisplay_0";
constexpr double kMarker = -666666.6875;

// The host's objects, each telling which of its operations the module called.
struct CallLog {
    std::vector<std::string> calls;
    bool Saw(const std::string& name) const {
        return std::find(calls.begin(), calls.end(), name) != calls.end();
    }
};

class LoggingDataSource final : public HostDataSource {
  public:
    explicit LoggingDataSource(CallLog& log) : log_(log) {}
    bool IsAvailable() override { return Log("IsAvailable"), true; }
    double GetTime() override { return Log("GetTime"), 0.0; }
    void GetPosition(PosType* position) override {
        Log("GetPosition");
        *position = position_;
    }
    double GetHeading() override { return Log("GetHeading"), 0.0; }
    double GetSpeed() override { return Log("GetSpeed"), 5.0; }
    float GetLatestSample(const int& kind, int) override {
        Log("GetLatestSample");
        return kind == 8 ? 50.0f : 12.0f;
    }
    PosType position_ = PosType(0.8, -0.05);

  private:
    void Log(const char* name) { log_.calls.push_back(name); }
    CallLog& log_;
};

class LoggingSink final : public HostNotificationSink {
  public:
    void Notify(const std::int32_t*, const LayerKeyIndexed*) override {}
};

class LoggingDepthSource final : public HostDepthSource {
  public:
    explicit LoggingDepthSource(CallLog& log) : log_(log) {}
    bool IsAvailable() override { return log_.calls.push_back("Depth.IsAvailable"), false; }
    double GetMaximumDepth() override { return log_.calls.push_back("GetMaximumDepth"), kMarker; }
    bool QueryDepths(std::vector<DepthQueryPoint>&, double, double, double, double,
                     const int&) override {
        return log_.calls.push_back("QueryDepths"), false;
    }

  private:
    CallLog& log_;
};

class LoggingVesselSource final : public HostVesselSource {
  public:
    explicit LoggingVesselSource(CallLog& log) : log_(log) {}
    double GetLength() override { return log_.calls.push_back("GetLength"), 24.0; }
    float GetCorrection() override { return log_.calls.push_back("GetCorrection"), 0.0f; }
    double GetDraught() override { return log_.calls.push_back("GetDraught"), 4.5; }

  private:
    CallLog& log_;
};

// The host's device manager, telling which of its operations the module's
// views called.
class LoggingDeviceManager final : public DXDesktopDeviceManager {
  public:
    explicit LoggingDeviceManager(CallLog& log) : log_(log) {}
    AdapterDevice* GetAdapterDevice(short adapter) override {
        log_.calls.push_back("GetAdapterDevice");
        return DXDesktopDeviceManager::GetAdapterDevice(adapter);
    }
    short GetAdapterForWindow(HWND window) override {
        log_.calls.push_back("GetAdapterForWindow");
        return DXDesktopDeviceManager::GetAdapterForWindow(window);
    }

  private:
    CallLog& log_;
};

using Factory = ModuleData* (*)();

Factory LoadFactory() {
    static void* library = dlopen(PLOTREX_BIN_DIR "/Plotrex.so", RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<Factory>(dlsym(library, "CreateModuleData")) : nullptr;
}

LayerKey Key(const char* module, const char* layer) {
    LayerKey key;
    key.SetModuleName(module);
    key.SetLayerName(layer);
    return key;
}

// One host with the module loaded: a profile, a desktop, a main window and
// the devices, as a navigation host has them before it creates the module.
class HostSide : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/plotrex-slots-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        app_ = std::make_unique<CWinApp>((folder_ / "profile.ini").string());
        frame_.Create(nullptr, "Host", WS_OVERLAPPED | WS_VISIBLE, RECT{0, 0, 640, 480}, nullptr,
                      0);
        app_->m_pMainWnd = &frame_;
        ASSERT_TRUE(devices_.Init());
        const Factory create = LoadFactory();
        ASSERT_NE(create, nullptr) << dlerror();
        ModuleData* created = create();
        data_ = dynamic_cast<ModuleDataPlotrexInterface*>(created);
        ASSERT_NE(data_, nullptr);
        data_->Initialize(&source_, &sink_, &depths_, &vessel_, 0);
    }

    void TearDown() override {
        if (data_ != nullptr) {
            if (!terminated_) {
                data_->Terminate();
            }
            delete data_;
        }
        app_->m_pMainWnd = nullptr;
        frame_.DestroyWindow();
        std::filesystem::remove_all(folder_);
    }

    int ProfileInt(const char* section, const char* entry) {
        return static_cast<int>(app_->GetProfileInt(section, entry, -1));
    }
    std::size_t ViewWindows() { return desktop_.GetChildren(frame_.GetSafeHwnd()).size(); }

    std::filesystem::path folder_;
    HeadlessDesktop desktop_;
    std::unique_ptr<CWinApp> app_;
    CWnd frame_;
    CallLog log_;
    LoggingDeviceManager devices_{log_};
    LoggingDataSource source_{log_};
    LoggingSink sink_;
    LoggingDepthSource depths_{log_};
    LoggingVesselSource vessel_{log_};
    ModuleDataPlotrexInterface* data_ = nullptr;
    bool terminated_ = false;
};

TEST_F(HostSide, FrameworkOperationsOfTheDataObject) {
    EXPECT_TRUE(data_->GetFileTypes().empty());
    EXPECT_STREQ(data_->GetModuleName(), "PLOTREX_MODULE");
    EXPECT_EQ(data_->GetRegistrySections(),
              std::make_pair(std::string(kData), std::string("ModuleDisplay\\PlotrexDisplay")));
    EXPECT_TRUE(data_->IsReady());

    data_->SetLabelSize(4);
    data_->SaveSettings();
    EXPECT_EQ(ProfileInt(kData, "LabelFontSizeMultiplier"), 3);
    EXPECT_EQ(ProfileInt(kData, "NorvaneMode"), 0);
    app_->WriteProfileInt(kData, "NorvaneMode", 2);
    data_->LoadSettings();
    EXPECT_EQ(data_->GetMode(), 2);
    data_->DeleteSettings();
    EXPECT_EQ(ProfileInt(kData, "NorvaneMode"), -1);

    const OpenResult opened = data_->OpenFiles({"a.xyz"}, true);
    EXPECT_EQ(opened.count, 0);
    EXPECT_TRUE(opened.dates.empty());
    EXPECT_FALSE(data_->CanOpen("x.abc"));
    EXPECT_TRUE(data_->GetOpenedFiles().empty());
    EXPECT_TRUE(data_->GetLayers().keys.empty());
    EXPECT_TRUE(data_->GetLayersEx().keys.empty());
    data_->UpdateLayers();
    data_->Notify(ModuleNotification{1});
}

TEST_F(HostSide, DisplayOperationsAndLayerRemoval) {
    ModuleDisplay* display = data_->CreateDisplay();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->GetModuleData(), data_);
    EXPECT_FALSE(display->IsVisible());
    display->SetVisible(true);
    EXPECT_TRUE(display->IsVisible());

    LayerList layers;
    layers.keys = {Key("PLOTREX_MODULE", "ONE"), Key("PLOTREX_MODULE", "TWO")};
    display->SetLayers(layers);
    EXPECT_EQ(display->GetLayers().keys.size(), 2U);
    EXPECT_FALSE(display->LacksLayer(Key("PLOTREX_MODULE", "ONE")));
    EXPECT_TRUE(display->LacksLayer(Key("PLOTREX_MODULE", "THREE")));
    EXPECT_EQ(display->NeedsRedraw(), 0);
    display->Update();

    display->SaveSettings(0);
    EXPECT_EQ(ProfileInt(kDisplay0, "Visible"), 1);
    EXPECT_EQ(ProfileInt(kDisplay0, "NbLayer"), 2);
    app_->WriteProfileInt(kDisplay0, "Visible", 0);
    display->LoadSettings(0);
    EXPECT_FALSE(display->IsVisible());

    // Only the keys of this module are taken from its displays.
    LayerList removed;
    removed.keys = {Key("PLOTREX_MODULE", "ONE"), Key("OTHER_MODULE", "TWO")};
    EXPECT_TRUE(data_->RemoveLayers(removed));
    const LayerList left = display->GetLayers();
    ASSERT_EQ(left.keys.size(), 1U);
    EXPECT_EQ(left.keys[0].layerName, "TWO");

    ModuleDisplay* other = data_->CreateDisplay();
    other->SetVisible(true);
    ModuleDisplayList displays;
    displays.push_back(other);
    display->CopyFrom(displays);
    EXPECT_TRUE(display->IsVisible());
    EXPECT_TRUE(display->GetLayers().keys.empty());
    delete other;
    delete display;
}

TEST_F(HostSide, OwnOperationsOfTheDataObject) {
    EXPECT_EQ(data_->GetMode(), 0);
    data_->SetMode(2);
    EXPECT_EQ(data_->GetMode(), 2);
    data_->SetMode(0);

    log_.calls.clear();
    data_->UpdateGraphs();
    EXPECT_TRUE(log_.Saw("GetPosition"));
    source_.position_ = PosType(0.8001, -0.05);
    data_->UpdateGraphs();
    EXPECT_TRUE(log_.Saw("GetLatestSample"));
    EXPECT_NE(data_->GetDistanceTracker(0), nullptr);
    EXPECT_EQ(data_->GetDistanceTracker(1), nullptr);

    PlotrexDataContainer profileGraphs;
    data_->CollectGraphs(0, profileGraphs);
    EXPECT_EQ(profileGraphs.size(), 8U);
    EXPECT_NE(profileGraphs[1], nullptr);  // the depth profile
    PlotrexDataContainer echogramGraphs;
    data_->CollectGraphs(1, echogramGraphs);
    EXPECT_EQ(echogramGraphs.size(), 5U);

    double a = 1.0, b = 1.0, immersion = 1.0, depth = 1.0;
    EXPECT_FALSE(data_->GetAnchorDepthAndImmersion(&a, &b, &immersion, &depth));
    EXPECT_EQ(std::vector<double>({a, b, immersion, depth}), std::vector<double>(4, kMarker));
    a = b = 1.0;
    EXPECT_FALSE(data_->GetAnchorPosition(&a, &b));

    ModuleDisplay* display = data_->CreateDisplay();
    EXPECT_FALSE(data_->OpenView(&devices_, 1e-7, 7));  // nothing created yet
    data_->CreateViewForMode();
    EXPECT_EQ(ViewWindows(), 1U);
    log_.calls.clear();
    ASSERT_TRUE(data_->OpenView(&devices_, 1e-7, 7));
    EXPECT_TRUE(log_.Saw("GetAdapterDevice"));
    EXPECT_TRUE(display->IsVisible());
    // The opened view answers the host's command messages.
    HWND view = desktop_.GetChildren(frame_.GetSafeHwnd()).front();
    ::MoveWindow(view, 0, 0, 600, 400, TRUE);  // a resized view looks for its monitor
    EXPECT_TRUE(log_.Saw("GetAdapterForWindow"));
    CommandState state;
    state.argument = "PLOTREX_DATA_DEPTH";
    EXPECT_NE(::SendMessageA(view, RegisterWindowMessageA("WM_PLOTREX_COMMAND_STATE"),
                             reinterpret_cast<WPARAM>("PLOTREX_SHOW_HIDE"),
                             reinterpret_cast<LPARAM>(&state)),
              0);
    EXPECT_TRUE(state.enabled);
    data_->SetDayNightMode(2);
    data_->SetTrawlValue(TrawlParameters{800.0, 60.0, 0.7, 1});
    data_->SetHistoricProfile({0.8, -0.05, 30.0, 0.8001, -0.05, 31.0}, 0.8, -0.05);
    data_->CloseView();
    EXPECT_EQ(ViewWindows(), 0U);
    EXPECT_FALSE(display->IsVisible());

    data_->CreateView();
    EXPECT_EQ(ViewWindows(), 1U);
    data_->CloseView();
    data_->CreatePixelView();
    data_->CloseView();
    EXPECT_EQ(ViewWindows(), 0U);
    // No sweep came: both stores are empty, and there is no third channel.
    double top = 1.0, bottom = 1.0;
    EXPECT_EQ(data_->GetEchogramSweep(0, 0, &top, &bottom, nullptr, 0), -1);
    EXPECT_EQ(data_->GetEchogramSweep(2, 0, &top, &bottom, nullptr, 0), -1);
    // The sailed state comes back as given; an unsettled one is refused.
    PlotrexSailedState sailed;
    sailed.distance = 0.25;
    sailed.first = 0.8;
    sailed.second = -0.05;
    sailed.settled = 1;
    EXPECT_TRUE(data_->SetSailedState(sailed));
    PlotrexSailedState back;
    ASSERT_TRUE(data_->GetSailedState(&back));
    EXPECT_EQ(back.distance, 0.25);
    EXPECT_FLOAT_EQ(static_cast<float>(back.second), -0.05f);
    EXPECT_EQ(back.settled, 1);
    sailed.settled = 0;
    EXPECT_FALSE(data_->SetSailedState(sailed));
    delete display;

    data_->Terminate();
    terminated_ = true;
    PlotrexDataContainer afterTerminate;
    data_->CollectGraphs(0, afterTerminate);
    EXPECT_EQ(std::count(afterTerminate.begin(), afterTerminate.end(), nullptr), 8);
}

TEST_F(HostSide, OgrOperationsOfTheDataObject) {
    auto* layers = dynamic_cast<OGRable*>(static_cast<ModuleData*>(data_));
    ASSERT_NE(layers, nullptr);
    EXPECT_EQ(layers->GetLayerCount(), 0);
    EXPECT_EQ(layers->GetLayer(0), nullptr);
    EXPECT_EQ(layers->GetLayerByName("ETR_PROPERTIES"), nullptr);
    EXPECT_EQ(layers->QueryLayer(0, 0), nullptr);
    // Still the same object behind it.
    EXPECT_STREQ(data_->GetModuleName(), "PLOTREX_MODULE");
}

}  // namespace

#include "host/app/ModuleHost.h"

#include "host/app/TellUser.h"
#include "host/app/ViewCommands.h"
#include "module/ModuleDataPlotrexInterface.h"
#include "module/ModuleDisplay.h"
#include "module/StoredSettings.h"
#include "units/UnitConversion.h"

namespace {

// A screen pixel of 0.2646 mm (96 dots per inch) at the ladder's scale of
// level 7, 1:2 500.
constexpr double kMetresPerPixelAtLevel7 = 0.0002646 * 2500.0;
constexpr short kReferenceLevel = 7;
// The host has the echo-sounder: the module records its sweeps.
constexpr int kWithEchogram = 1;
// Headless, the chart is a window of its own beside the frame.
constexpr RECT kHeadlessChartRect{ModuleHost::kFrameWidth, 0, ModuleHost::kFrameWidth + 960,
                                  ModuleHost::kFrameHeight};

}  // namespace

ModuleHost::ModuleHost(const std::string& profilePath)
    : profilePath_(profilePath), app_(profilePath) {}

ModuleHost::~ModuleHost() = default;

bool ModuleHost::HadLayout() const {
    return data_->GetMode() == 2 ? hadHistoricLayout_ : hadLayout_;
}

ErrorOr<void> ModuleHost::Load() {
    if (const std::optional<Error>& refusal = app_.ProfileRefusal()) {
        return Error::Refused("profile " + profilePath_ + " " + refusal->Message() +
                              "; nothing was changed");
    }
    if (const std::optional<Error>& unread = app_.ProfileLoadError()) {
        WarnUser(unread->Message());
    }
    hadLayout_ = plotrex_settings::HoldsStoredLayout(app_, 0);
    hadHistoricLayout_ = plotrex_settings::HoldsStoredLayout(app_, 2);
    hadEchoLook_ = plotrex_settings::HoldsStoredEchoLook(app_);
    if (ErrorOr<void> loaded = library_.Load(ExecutableFolder()); !loaded) {
        return loaded;
    }
    data_ = library_.Data();
    frame_.Create(nullptr, "Plotrex", WS_OVERLAPPED | WS_VISIBLE,
                  RECT{0, 0, kFrameWidth, kFrameHeight}, nullptr, 0);
    app_.m_pMainWnd = &frame_;
    devices_.Init();
    return {};
}

void ModuleHost::MakeHostObjects(const VoyageSources& sources) {
    dataSource_ = std::make_unique<FeedDataSource>(now_);
    // Charted depths come from the raster, else from the built-in voyage's
    // modelled floor, or from a replayed log's own soundings read ahead.
    if (sources.raster != nullptr) {
        depthSource_ = std::make_unique<ModelDepthSource>(sources.raster.get(),
                                                          sources.raster->DeepestDepth());
    } else {
        depthSource_ = std::make_unique<ModelDepthSource>(&sources.feed->Depths());
    }
    vesselSource_ = std::make_unique<FeedVesselSource>(now_, sources.feed->DraughtMetres());
    sounder_ = std::make_unique<SounderFeed>(ExecutableFolder());
    if (sources.sonar != nullptr) {
        sounder_->Play(*sources.sonar);
    }
}

void ModuleHost::Initialize(const VoyageSources& sources, int displayMode) {
    MakeHostObjects(sources);
    data_->Initialize(dataSource_.get(), &sink_, depthSource_.get(), vesselSource_.get(),
                      kWithEchogram);
    const bool modeStored = plotrex_settings::HoldsStoredDisplayMode(app_);
    data_->LoadSettings();
    SetDisplayMode(displayMode, modeStored);
    if (!sources.historic.empty()) {
        // Triples of longitude, latitude and depth: the module makes each
        // position from the second and the first number.
        std::vector<double> triples;
        triples.reserve(sources.historic.size() * 3);
        for (const HistoricPoint& point : sources.historic) {
            triples.insert(triples.end(), {point.longitude, point.latitude, point.depth});
        }
        data_->SetHistoricProfile(triples, sources.historic.front().latitude,
                                  sources.historic.front().longitude);
    }
    chartDisplay_ = data_->CreateDisplay();
    chartDisplay_->LoadSettings(0);
}

void ModuleHost::SetDisplayMode(int displayMode, bool modeStored) {
    // A first run opens on the profile with the echogram under it; later runs
    // keep the mode the user left.
    const int mode = displayMode >= 0 ? displayMode : modeStored ? -1 : 0;
    if (mode < 0) {
        return;
    }
    // The module falls back on the profile view when it cannot show the mode.
    data_->SetMode(mode);
    if (data_->GetMode() != mode) {
        TellUser("the module cannot show display mode " + std::to_string(mode) +
                 "; it shows mode " + std::to_string(data_->GetMode()));
    }
}

bool ModuleHost::OpenView() {
    const double unitsPerPixel = Convert(kMetresPerPixelAtLevel7, kUnitMetre, kUnitRadianOfArc);
    if (!data_->OpenView(&devices_, unitsPerPixel, kReferenceLevel)) {
        return false;
    }
    RECT frame{};
    frame_.GetClientRect(&frame);
    frame_.SendMessage(WM_SIZE, 0, MAKELPARAM(frame.right, frame.bottom));
    return true;
}

ErrorOr<void> ModuleHost::OpenFirstView() {
    data_->CreateViewForMode();
    viewOpen_ = OpenView();
    if (!viewOpen_) {
        // Nothing to show: the module is taken down unsaved, the profile as it was.
        const int mode = data_->GetMode();
        TakeDown();
        return Error::Failed("the module opened no view (display mode " + std::to_string(mode) +
                             ")");
    }
    frame_.SendMessage(WM_SIZE, 0, MAKELPARAM(kFrameWidth, kFrameHeight));
    return {};
}

void ModuleHost::NextMode() {
    // The other kind of view cannot take over the open one: closed (its
    // layout saved), the mode set, a view of the new mode made and opened.
    const int next = (data_->GetMode() + 1) % 3;
    data_->CloseView();
    data_->SetMode(next);
    data_->CreateViewForMode();
    viewOpen_ = OpenView();
}

void ModuleHost::ReopenView() {
    if (!viewOpen_) {
        return;
    }
    data_->CloseView();  // saves its layout, which the new view loads
    data_->CreateViewForMode();
    viewOpen_ = OpenView();
}

void ModuleHost::OpenChart(const BathymetryRaster* raster, bool inFrame, const ViewCommands& view) {
    raster_ = raster;
    chart_ = std::make_unique<HostChart>(
        chartDisplay_,
        [&view](const char* name, const char* argument) { return view.Send(name, argument); });
    if (raster != nullptr) {
        chart_->SetFloor([raster](const GeoBox& box, int columns,
                                  int rows) { return raster->SampleGrid(box, columns, rows); },
                         raster->Bounds());
    }
    if (inFrame) {
        chart_->Create(nullptr, "Chart", WS_CHILD | WS_VISIBLE, RECT{0, 0, 1, 1}, &frame_, 0);
        frame_.SetChartWindow(chart_->GetSafeHwnd());
    } else {
        chart_->Create(nullptr, "Chart", WS_POPUP | WS_VISIBLE, kHeadlessChartRect, nullptr, 0);
    }
}

void ModuleHost::SetLight(short mode) {
    light_ = mode;
    data_->SetDayNightMode(light_);
    if (chart_ != nullptr) {
        chart_->SetLightMode(light_);
    }
}

void ModuleHost::NextLabelSize() {
    // Label sizes 1, 2 and 3 come from levels 1, 2 and 4.
    labelLevel_ = labelLevel_ == 1 ? 2 : labelLevel_ == 2 ? 4 : 1;
    data_->SetLabelSize(labelLevel_);
}

void ModuleHost::SaveSettings() {
    mode_ = data_->GetMode();
    chartDisplay_->SaveSettings(0);
    data_->SaveSettings();
}

void ModuleHost::Retire() {
    SaveSettings();
    if (chart_ != nullptr) {
        frame_.SetChartWindow(nullptr);
        chart_->DestroyWindow();
        chart_.reset();
    }
    data_->Terminate();  // closes the view, which saves its layout
    delete chartDisplay_;
    chartDisplay_ = nullptr;
    library_.DestroyData();
    data_ = nullptr;
    viewOpen_ = false;
    // Gone after the module, which let go of the sounder's callbacks.
    sounder_.reset();
}

ErrorOr<void> ModuleHost::Renew(const VoyageSources& sources, const ViewCommands& view,
                                bool chartInFrame) {
    const int mode = mode_;
    if (ErrorOr<void> made = library_.CreateData(); !made) {
        return made;
    }
    data_ = library_.Data();
    Initialize(sources, mode);
    if (ErrorOr<void> opened = OpenFirstView(); !opened) {
        return opened;
    }
    OpenChart(raster_, chartInFrame, view);
    SetLight(light_);
    if (labelLevel_ != 1) {
        data_->SetLabelSize(labelLevel_);
    }
    return {};
}

void ModuleHost::TakeDown() {
    if (chart_ != nullptr) {
        // It symbolizes through the display object: gone before it.
        frame_.SetChartWindow(nullptr);
        chart_->DestroyWindow();
        chart_.reset();
    }
    data_->Terminate();    // closes the view, which saves its layout
    delete chartDisplay_;  // displays go before their data object
    chartDisplay_ = nullptr;
    library_.DestroyData();
    data_ = nullptr;
    app_.m_pMainWnd = nullptr;
    frame_.DestroyWindow();
}

#pragma once
// The module as a navigation host sets it up and takes it down: its library
// loaded and its data object made, the host objects it reads, its settings
// kept in the profile, its views in the host's frame, the display object of
// the host's chart and the chart window beside the view.
#include <memory>
#include <string>

#include "desktop/DXDesktopDeviceManager.h"
#include "host/app/HostFrame.h"
#include "host/app/HostObjectsImpl.h"
#include "host/app/ModuleLibrary.h"
#include "host/app/VoyageSources.h"
#include "host/chart/HostChart.h"
#include "host/replay/SounderFeed.h"
#include "platform/Error.h"
#include "platform/WinApp.h"

class ModuleDataPlotrexInterface;
class ModuleDisplay;
class ViewCommands;

class ModuleHost {
  public:
    // The size of the host's frame, and of the pictures.
    static constexpr int kFrameWidth = 1280;
    static constexpr int kFrameHeight = 720;

    explicit ModuleHost(const std::string& profilePath);
    ~ModuleHost();
    ModuleHost(const ModuleHost&) = delete;
    ModuleHost& operator=(const ModuleHost&) = delete;

    // The profile read, the library loaded and the frame made. Refused when
    // the profile cannot be used, failed when the module cannot be loaded.
    ErrorOr<void> Load();
    // The host objects made over the voyage, the module initialised with
    // them, its settings loaded, the display mode set (-1: as stored), the
    // historic profile handed over and the chart's display object made.
    void Initialize(const VoyageSources& sources, int displayMode);
    // The view of the module's mode, filling the frame. Failed, the module
    // taken down unsaved, when the module opens none.
    ErrorOr<void> OpenFirstView();
    // The next display mode, in a view made afresh.
    void NextMode();
    // The view of the same mode made afresh on the layout it had: nothing of
    // how it followed the ship from frame to frame is left.
    void ReopenView();
    // The chart window beside the view (in the frame), or on its own
    // headless, shading the raster's floor when there is one.
    void OpenChart(const BathymetryRaster* raster, bool inFrame, const ViewCommands& view);
    // 0 day, 1 dusk, 2 night, for the module and the chart.
    void SetLight(short mode);
    void NextLight() { SetLight(static_cast<short>((light_ + 1) % 3)); }
    // Label sizes 1, 2 and 3 in turn.
    void NextLabelSize();

    // Going back in a replay: the module's data object, its view, the chart
    // and the sounder retired (their settings kept in the profile held in
    // memory), so that the feed can be opened afresh; then made anew over it,
    // the view, chart and light as they were.
    void Retire();
    ErrorOr<void> Renew(const VoyageSources& sources, const ViewCommands& view, bool chartInFrame);

    void SaveSettings();
    // Terminates and destroys the module's objects, the chart and the
    // displays first.
    void TakeDown();
    ErrorOr<CWinApp::ProfileSaved> SaveProfile() { return app_.SaveProfile(); }

    ModuleDataPlotrexInterface& Data() { return *data_; }
    HostFrame& Frame() { return frame_; }
    // The ship as the host objects give it to the module at this cycle.
    ShipSnapshot& Now() { return now_; }
    SounderFeed& Sounder() { return *sounder_; }
    const ModelDepthSource& DepthSource() const { return *depthSource_; }
    double Draught() const { return vesselSource_->Draught(); }
    // Null without one.
    HostChart* Chart() { return chart_.get(); }
    bool ViewOpen() const { return viewOpen_; }
    // Whether the profile held, before this run, a layout of the view of the
    // mode now shown.
    bool HadLayout() const;
    // Whether the profile held the echogram's look before this run.
    bool HadEchoLook() const { return hadEchoLook_; }

  private:
    bool OpenView();
    void MakeHostObjects(const VoyageSources& sources);
    void SetDisplayMode(int displayMode, bool modeStored);

    // In the order a host builds them, and the reverse of their destruction.
    std::string profilePath_;
    CWinApp app_;
    ModuleLibrary library_;
    HostFrame frame_;
    DXDesktopDeviceManager devices_;
    ShipSnapshot now_;
    std::unique_ptr<FeedDataSource> dataSource_;
    CountingNotificationSink sink_;
    std::unique_ptr<ModelDepthSource> depthSource_;
    std::unique_ptr<FeedVesselSource> vesselSource_;
    std::unique_ptr<SounderFeed> sounder_;
    ModuleDataPlotrexInterface* data_ = nullptr;
    ModuleDisplay* chartDisplay_ = nullptr;
    std::unique_ptr<HostChart> chart_;
    const BathymetryRaster* raster_ = nullptr;
    bool viewOpen_ = false;
    bool hadLayout_ = false;
    bool hadHistoricLayout_ = false;
    bool hadEchoLook_ = false;
    int mode_ = 0;  // the display mode at the last save
    short light_ = 0;
    short labelLevel_ = 1;
};

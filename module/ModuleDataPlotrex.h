#pragma once
// The module's data object: creates, owns and feeds the graph data objects,
// keeps the distance run and the drawing styles, owns the view, and keeps its
// own settings. What the host calls is virtual, in the order its published
// interface fixes.
#include <memory>
#include <vector>

#include "drawing/StyleTable.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/PlotrexDataContainer.h"
#include "module/ModuleDataPlotrexInterface.h"
#include "module/OGRable.h"

class CWnd;
class DXDesktopDeviceManager;
class PlotrexData;
class PlotrexOrganizer;
class PlotrexView;
class PlotrexViewPixel;

class ModuleDataPlotrex : public ModuleDataPlotrexInterface, public OGRable {
  public:
    ModuleDataPlotrex();

    ModuleDisplay* CreateDisplay() override;
    std::vector<FileType> GetFileTypes() override;
    const char* GetModuleName() override;
    std::pair<std::string, std::string> GetRegistrySections() override;
    ~ModuleDataPlotrex() override;
    void Terminate() override;
    void SaveSettings() override;
    void LoadSettings() override;
    void DeleteSettings() override;
    void UpdateLayers() override;

    // Starts the tracker and creates the graphs; withEchogram counts by its low byte.
    void Initialize(HostDataSource* dataSource, HostNotificationSink* notificationSink,
                    HostDepthSource* depthSource, HostVesselSource* vesselSource,
                    int withEchogram) override;
    // One host cycle: the graphs read new values when the ship moved.
    void UpdateGraphs() override;
    void SetMode(int mode) override;
    int GetMode() override;
    bool GetAnchorDepthAndImmersion(double* a, double* b, double* immersion,
                                    double* depth) override;
    bool GetAnchorPosition(double* a, double* b) override;
    void CreateViewForMode() override;
    bool OpenView(DXDesktopDeviceManager* deviceManager, double unitsPerPixel,
                  short referenceLevel) override;
    void CloseView() override;
    void SetDayNightMode(short mode) override;
    void SetLabelSize(short level) override;
    // The host's historic profile as (longitude, latitude, depth) triples.
    void SetHistoricProfile(const std::vector<double>& points, double first,
                            double second) override;
    void SetTrawlValue(const TrawlParameters& value) override;
    // Appends the graphs of a display mode in their fixed order; null for
    // graphs that are not registered.
    void CollectGraphs(int mode, PlotrexDataContainer& container) override;
    // The tracker for index 0, else null.
    DistanceTracker* GetDistanceTracker(short index) override;
    void CreateView() override;
    void CreatePixelView() override;
    int GetEchogramSweep(short channel, int index, double* top, double* bottom,
                         unsigned char* levels, int capacity) override;
    bool GetSailedState(PlotrexSailedState* state) override;
    bool SetSailedState(const PlotrexSailedState& state) override;

    OGRLayer* GetLayer(std::int32_t index) override;
    OGRLayer* GetLayerByName(const std::string& name) override;
    std::int32_t GetLayerCount() override;
    OGRLayer* QueryLayer(std::int32_t first, std::int32_t second) override;

    // For the display objects, the view and the tests.
    bool HasView() const { return view_ != nullptr; }
    // The view's window, to which the host sends the command messages; null
    // without a view.
    HWND GetViewWindow() const;
    // The organizer of a profile view, null without one.
    PlotrexOrganizer* GetViewOrganizer() const;
    // The pixel view, null without one.
    PlotrexViewPixel* GetPixelView() const { return PixelView(); }
    PlotrexData* GetCurrentProfile() const { return currentProfile_; }
    const PlotrexDataContainer& GetGraphs() const { return graphs_; }
    StyleTable& GetStyleTable() { return styles_; }

  private:
    void Register(std::unique_ptr<PlotrexData> data);
    void SetAllDisplaysVisible(bool visible);
    // The view when it is a profile view, else null.
    PlotrexView* ProfileView() const;
    // The view when it is a pixel view, else null.
    PlotrexViewPixel* PixelView() const;
    // A view window of the run-time class, child of the host's main window
    // when there is one; none when it cannot be made.
    void CreateViewWindow(const char* className);

    PlotrexDataContainer graphs_;
    DistanceTracker tracker_;
    StyleTable styles_;
    std::unique_ptr<CWnd> view_;  // a profile view or a pixel view
    PlotrexData* currentProfile_ = nullptr;
    int mode_ = -1;
    // The view was set up by OpenView: only then has it a layout worth saving.
    bool viewOpened_ = false;
    // Where the open profile or historic view keeps its layout.
    const char* layoutSection_ = kDisplaySection;
};

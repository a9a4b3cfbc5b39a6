#pragma once
// The module's data object: creates, owns and feeds the graph data objects,
// keeps the distance run and the drawing styles, owns the view, and keeps its
// own settings. What the host calls is virtual, in a fixed order.
#include <memory>
#include <vector>

#include "drawing/StyleTable.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/PlotrexDataContainer.h"
#include "module/ModuleData.h"
#include "module/OGRable.h"

class CWnd;
class DXDesktopDeviceManager;
class PlotrexData;

inline constexpr const char* kModuleName = "PLOTREX_MODULE";
inline constexpr const char* kDataSection = "ModuleData\\PlotrexData";
inline constexpr const char* kDisplaySection = "ModuleDisplay\\PlotrexDisplay";

class ModuleDataPlotrex : public ModuleData, public OGRable {
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
    virtual void Initialize(HostDataSource* dataSource, HostNotificationSink* notificationSink,
                            HostDepthSource* depthSource, HostVesselSource* vesselSource,
                            int withEchogram);
    // One host cycle: the graphs read new values when the ship moved.
    virtual void UpdateGraphs();
    virtual void SetMode(int mode);
    virtual int GetMode();
    virtual bool GetAnchorDepthAndImmersion(double* a, double* b, double* immersion, double* depth);
    virtual bool GetAnchorPosition(double* a, double* b);
    virtual void CreateViewForMode();
    virtual bool OpenView(DXDesktopDeviceManager* deviceManager, double unitsPerPixel,
                          short referenceLevel);
    virtual void CloseView();
    virtual void SetDayNightMode(short mode);
    virtual void SetLabelSize(short level);
    // The host's historic profile as (first, second, depth) triples.
    virtual void SetHistoricProfile(const std::vector<double>& points, double first, double second);
    virtual void SetTrawlValue(double value);
    // Appends the graphs of a display mode in their fixed order; null for
    // graphs that are not registered.
    virtual void CollectGraphs(int mode, PlotrexDataContainer& container);
    // The tracker for index 0, else null.
    virtual DistanceTracker* GetDistanceTracker(short index);
    virtual void CreateView();
    virtual void CreatePixelView();

    OGRLayer* GetLayer(std::int32_t index) override;
    OGRLayer* GetLayerByName(const std::string& name) override;
    std::int32_t GetLayerCount() override;
    OGRLayer* QueryLayer(std::int32_t first, std::int32_t second) override;

    // For the display objects and the host's summary.
    bool HasView() const { return view_ != nullptr; }
    PlotrexData* GetCurrentProfile() const { return currentProfile_; }
    const PlotrexDataContainer& GetGraphs() const { return graphs_; }
    StyleTable& GetStyleTable() { return styles_; }

  private:
    void Register(std::unique_ptr<PlotrexData> data);
    void SetAllDisplaysVisible(bool visible);

    PlotrexDataContainer graphs_;
    DistanceTracker tracker_;
    StyleTable styles_;
    CWnd* view_ = nullptr;  // owned; a profile view or a pixel view
    PlotrexData* currentProfile_ = nullptr;
    int mode_ = -1;
};

extern "C" {
using CreateModuleDataFunction = ModuleData* (*)();
}

#pragma once
// What a navigation host knows of the Plotrex module's data object beyond the
// framework's ModuleData: its own operations, declared in the order of their
// slots, which is the contract. Declarations only; the object behind them is
// the one CreateModuleData returns.
#include <vector>

#include "module/ModuleData.h"
#include "module/SailedState.h"
#include "module/StoredSettings.h"
#include "module/TrawlParameters.h"

class DistanceTracker;
class DXDesktopDeviceManager;
class HostDataSource;
class HostDepthSource;
class HostNotificationSink;
class HostVesselSource;
class PlotrexDataContainer;

inline constexpr const char* kModuleName = "PLOTREX_MODULE";
using plotrex_settings::kDataSection;
using plotrex_settings::kDisplaySection;
using plotrex_settings::kHistoricDisplaySection;

class ModuleDataPlotrexInterface : public ModuleData {
  public:
    // Starts the distance run and creates the graphs; withEchogram counts by its low byte.
    virtual void Initialize(HostDataSource* dataSource, HostNotificationSink* notificationSink,
                            HostDepthSource* depthSource, HostVesselSource* vesselSource,
                            int withEchogram) = 0;
    // One host cycle.
    virtual void UpdateGraphs() = 0;
    virtual void SetMode(int mode) = 0;
    virtual int GetMode() = 0;
    // Depth and immersion under the view's anchor point, with the position
    // there in (a, b); every output is the undefined marker when it fails.
    virtual bool GetAnchorDepthAndImmersion(double* a, double* b, double* immersion,
                                            double* depth) = 0;
    virtual bool GetAnchorPosition(double* a, double* b) = 0;
    virtual void CreateViewForMode() = 0;
    // The host's device manager, initialised; false when no view was created.
    virtual bool OpenView(DXDesktopDeviceManager* deviceManager, double unitsPerPixel,
                          short referenceLevel) = 0;
    virtual void CloseView() = 0;
    // 0 day, 1 dusk, 2 night.
    virtual void SetDayNightMode(short mode) = 0;
    virtual void SetLabelSize(short level) = 0;
    // A profile recorded earlier: (longitude, latitude, depth) triples in
    // radians and metres (depths positive), in the order sailed; (first,
    // second) = (latitude, longitude) of the place to mark on it. A list whose
    // length is not a multiple of 3 is ignored.
    virtual void SetHistoricProfile(const std::vector<double>& points, double first,
                                    double second) = 0;
    // The trawl's cable, depth and visibility; the profile view redraws.
    virtual void SetTrawlValue(const TrawlParameters& value) = 0;
    virtual void CollectGraphs(int mode, PlotrexDataContainer& container) = 0;
    virtual DistanceTracker* GetDistanceTracker(short index) = 0;
    virtual void CreateView() = 0;
    virtual void CreatePixelView() = 0;
    // One sweep of a channel's echogram store (0 HF, 1 LF), index 0 the
    // oldest held: its window (top and bottom heights in metres, the surface
    // at 0 and depths negative) and up to capacity echo levels 0 to 15 from
    // the window's top. The number of levels; -1 past the newest sweep or
    // without an echogram.
    virtual int GetEchogramSweep(short channel, int index, double* top, double* bottom,
                                 unsigned char* levels, int capacity) = 0;
    // What the data object learned from the cycles sailed; false without a
    // distance tracker.
    virtual bool GetSailedState(PlotrexSailedState* state) = 0;
    // Puts a new data object where the one that gave the state was, before
    // the next cycle: its graphs and stores stay empty. False, with nothing
    // changed, for a state that is not settled or not a number.
    virtual bool SetSailedState(const PlotrexSailedState& state) = 0;
};

extern "C" {
// The module's one exported function, "CreateModuleData": a new data object
// owned by the caller, or null.
using CreateModuleDataFunction = ModuleData* (*)();
}

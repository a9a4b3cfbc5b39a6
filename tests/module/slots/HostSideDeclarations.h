#pragma once
// The module's classes as a host compiled against them sees them: its own
// copy of their declarations, frozen here. Only the order of the virtual
// operations and the layout of the records passed by value matter; nothing of
// the module's sources is included. When the module's slots move, calls
// through these declarations land on the wrong operations.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "direct3d/d3d9.h"
#include "hostfamily/PosType.h"
#include "hostfamily/ValidGeoRect.h"
#include "platform/Time.h"
#include "platform/WinTypes.h"

class AdapterDevice;
class OGRLayer;
class ModuleDisplay;
class PlotrexData;
class DistanceTracker;

// Records passed by value or by address.
struct CommandState {
    const char* argument = nullptr;
    bool checked = false;
    bool enabled = false;
};

struct ModuleNotification {
    int code = 0;
};

struct PlotrexSailedState {
    double distance = 0.0;
    double first = 0.0;
    double second = 0.0;
    std::int32_t historicReversed = 0;
    std::int32_t settled = 0;
    std::uint64_t taken[4] = {};
    std::uint64_t holds[4] = {};
};

class DateList : public std::vector<CTime> {
  public:
    virtual ~DateList() = default;
};

struct OpenResult {
    std::int32_t count = 0;
    DateList dates;
    PosType position;
    std::vector<ValidGeoRect> extents;
};

struct FileType {
    std::vector<std::string> extensions;
    std::string description;
};

struct TrawlParameters {
    double cableLength = 1500.0;
    double depth = 500.0;
    double cableFactor = 0.7;
    std::int32_t visible = 0;
};

// The framework's layer key; its setters come from the framework library.
class LayerKey {
  public:
    void SetModuleName(const std::string& name);
    void SetLayerName(const std::string& name);

    std::string text;
    std::string moduleName;
    std::string layerName;
    std::int32_t layerHash = -1;
    std::int32_t moduleHash = -1;
};

struct LayerList {
    std::vector<LayerKey> keys;
    std::size_t cursor = 0;
};

class ModuleDisplayList : public std::vector<ModuleDisplay*> {
  public:
    virtual ~ModuleDisplayList() = default;
};

class PlotrexDataContainer : public std::vector<PlotrexData*> {
  public:
    virtual ~PlotrexDataContainer() = default;

  private:
    std::map<std::string, PlotrexData*> byName_;
};

// The framework's bases, as the host calls them.
template <typename Notification>
class Observer;

template <typename Notification>
class Subject {
  private:
    std::vector<Observer<Notification>*> observers_;
};

template <typename Notification>
class Observer {
  private:
    Subject<Notification>* subject_ = nullptr;
};

class ModuleData : public Subject<ModuleNotification> {
  public:
    virtual ModuleDisplay* CreateDisplay() = 0;
    virtual std::vector<FileType> GetFileTypes() = 0;
    virtual const char* GetModuleName() = 0;
    virtual std::pair<std::string, std::string> GetRegistrySections() = 0;
    virtual ~ModuleData();
    virtual bool IsReady();
    virtual void Terminate();
    virtual void SaveSettings();
    virtual void LoadSettings();
    virtual void DeleteSettings();
    virtual OpenResult OpenFiles(const std::vector<std::string>& paths, bool flag);
    virtual bool RemoveLayers(const LayerList& layers);
    virtual void UpdateLayers();
    virtual void Notify(ModuleNotification notification);
    virtual bool CanOpen(const std::string& fileName);
    virtual std::vector<std::string> GetOpenedFiles();
    virtual LayerList GetLayers();
    virtual LayerList GetLayersEx();
};

class ModuleDisplay : public Observer<ModuleNotification> {
  public:
    virtual ModuleData* GetModuleData() = 0;
    virtual ~ModuleDisplay();
    virtual void SaveSettings(short index);
    virtual void LoadSettings(short index);
    virtual void CopyFrom(const ModuleDisplayList& displays);
    virtual void Update();
    virtual void SetVisible(const bool& visible);
    virtual bool IsVisible();
    virtual LayerList GetLayers();
    virtual void SetLayers(const LayerList& layers);
    virtual bool LacksLayer(LayerKey key);
    virtual short NeedsRedraw();
};

class OGRable {
  public:
    virtual OGRLayer* GetLayer(std::int32_t index) = 0;
    virtual OGRLayer* GetLayerByName(const std::string& name) = 0;
    virtual std::int32_t GetLayerCount() = 0;
    virtual OGRLayer* QueryLayer(std::int32_t first, std::int32_t second) = 0;

  protected:
    ~OGRable() = default;
};

// The host objects the module reads, as the host implements them.
class LayerKeyIndexed;

class HostDataSource {
  public:
    virtual bool IsAvailable() = 0;
    virtual double GetTime() = 0;
    virtual void GetPosition(PosType* position) = 0;
    virtual double GetHeading() = 0;
    virtual double GetSpeed() = 0;
    virtual float GetLatestSample(const int& kind, int positive) = 0;
    virtual ~HostDataSource() = default;
};

class HostNotificationSink {
  public:
    virtual void Notify(const std::int32_t* code, const LayerKeyIndexed* key) = 0;
    virtual ~HostNotificationSink() = default;
};

struct DepthQueryPoint {
    double first = 0.0;
    double second = 0.0;
    double depth = 0.0;
};

class HostDepthSource {
  public:
    virtual bool IsAvailable() = 0;
    virtual double GetMaximumDepth() = 0;
    virtual bool QueryDepths(std::vector<DepthQueryPoint>& points, double south, double west,
                             double north, double east, const int& kind) = 0;
    virtual ~HostDepthSource() = default;
};

class HostVesselSource {
  public:
    virtual double GetLength() = 0;
    virtual float GetCorrection() = 0;
    virtual double GetDraught() = 0;
    virtual ~HostVesselSource() = default;
};

// The desktop device manager the host owns and hands to the module; its
// operations come from the host family's library.
class DXDesktopDeviceManager {
  public:
    struct AdapterInfo {
        short ordinal = -1;
        HMONITOR monitor = nullptr;
        bool hasCaps = false;
        D3DCAPS9 caps{};
    };
    DXDesktopDeviceManager() = default;
    virtual ~DXDesktopDeviceManager();
    virtual bool Init();
    virtual IDirect3D9* GetD3D();
    virtual AdapterDevice* GetAdapterDevice(short adapter);
    virtual short GetAdapterForWindow(HWND window);
    virtual void RestoreDevices();
    virtual int GetDevicesState();

  private:
    IDirect3D9* d3d_ = nullptr;
    std::map<short, AdapterDevice*> adapters_;  // owned; laid out as the library's owning map
    std::vector<AdapterInfo> enumeration_;
};

// The module data object's own operations, after those of ModuleData.
class ModuleDataPlotrexInterface : public ModuleData {
  public:
    virtual void Initialize(HostDataSource* dataSource, HostNotificationSink* notificationSink,
                            HostDepthSource* depthSource, HostVesselSource* vesselSource,
                            int withEchogram) = 0;
    virtual void UpdateGraphs() = 0;
    virtual void SetMode(int mode) = 0;
    virtual int GetMode() = 0;
    virtual bool GetAnchorDepthAndImmersion(double* a, double* b, double* immersion,
                                            double* depth) = 0;
    virtual bool GetAnchorPosition(double* a, double* b) = 0;
    virtual void CreateViewForMode() = 0;
    virtual bool OpenView(DXDesktopDeviceManager* deviceManager, double unitsPerPixel,
                          short referenceLevel) = 0;
    virtual void CloseView() = 0;
    virtual void SetDayNightMode(short mode) = 0;
    virtual void SetLabelSize(short level) = 0;
    virtual void SetHistoricProfile(const std::vector<double>& points, double first,
                                    double second) = 0;
    virtual void SetTrawlValue(const TrawlParameters& value) = 0;
    virtual void CollectGraphs(int mode, PlotrexDataContainer& container) = 0;
    virtual DistanceTracker* GetDistanceTracker(short index) = 0;
    virtual void CreateView() = 0;
    virtual void CreatePixelView() = 0;
    virtual int GetEchogramSweep(short channel, int index, double* top, double* bottom,
                                 unsigned char* levels, int capacity) = 0;
    virtual bool GetSailedState(PlotrexSailedState* state) = 0;
    virtual bool SetSailedState(const PlotrexSailedState& state) = 0;
};

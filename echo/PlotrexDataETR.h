#pragma once
// The echogram's graph data: drains the sweep recorder once per host cycle
// into one sweep store per channel, places the new sweeps along the track when
// the ship has moved, carries the echo-sounder commands, and offers the
// sounder's property record as an OGR layer, telling the host when it changed.
#include <cstdint>
#include <utility>
#include <vector>

#include "echo/EtrReadingCommands.h"
#include "echo/EtrSweepRecorderClient.h"
#include "echo/ZxEtrEchoContainer.h"
#include "graphdata/PlotrexData.h"
#include "persistence/OGRableMonoDataSource.h"

class HostNotificationSink;
class ETROGRLayer;
class StyleTable;

class PlotrexDataETR : public PlotrexData,
                       public EtrSweepRecorderClient,
                       public OGRableMonoDataSource {
  public:
    PlotrexDataETR(DistanceTracker* tracker, const char* nameKey, const char* unitKey);

    std::int32_t ExecuteCommand(const char* command, const char* argument) override;
    std::int32_t GetCommandState(const char* command, CommandState* state) override;
    // Withdraws the callbacks if Terminate did not.
    ~PlotrexDataETR() override;
    PlotrexDisplay* CreateDisplay() override;
    void Update() override;
    void UpdateLayers() override;
    void Terminate() override;
    Extent GetExtent() override;
    // Creates the property layer and registers the callbacks with the sounder
    // library; a failure withdraws them again.
    virtual bool Initialize(HostNotificationSink* notificationSink);
    // What the data source holds at the index, without the catalogue lookup.
    OGRLayer* GetLayer(std::int32_t index) override;
    // Drains the sweeps queued since the last cycle; their number.
    virtual std::int32_t PollSweeps();

    void DeliverSweeps(std::vector<ZxEtrEcho>& sweeps, double x) override;

    // Store 0 holds channel 0, store 1 channel 1.
    ZxEtrEchoContainer& GetStore(int channel) { return stores_[channel == 0 ? 0 : 1]; }
    // The channel's window as (bottom, top), the lower height first.
    std::pair<double, double> GetDepthRange(std::int16_t channel) const;
    // The store's sweep at index (0 the oldest): its window and up to
    // capacity levels; the number of levels, -1 past the newest.
    int CopySweep(int channel, int index, double* top, double* bottom, std::uint8_t* levels,
                  int capacity) const;
    ETROGRLayer* GetPropertyLayer();

    // The style table the reading commands (scale, gain, threshold, colour
    // bar) change; without it they are refused.
    void SetStyleTable(StyleTable* styles) { reading_.SetStyleTable(styles); }
    const EtrReadingCommands& GetReading() const { return reading_; }

  private:
    void WithdrawCallbacks();

    ZxEtrEchoContainer stores_[2];
    HostNotificationSink* notificationSink_ = nullptr;
    bool registered_ = false;
    EtrReadingCommands reading_;
};

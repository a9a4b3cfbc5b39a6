#pragma once
// One graph's data: what it shows, read from the host when the ship moved,
// and the display objects that draw it (owned). Slot order is fixed: the
// module data object, the views and the organizers call graphs through it.
#include <string>

#include "graphdata/Commandable.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/Extent.h"
#include "graphdata/PlotrexDisplayContainer.h"
#include "module/GraphKeys.h"

class PlotrexDisplay;

class PlotrexData : public Commandable {
  public:
    PlotrexData(DistanceTracker* tracker, const char* nameKey, const char* unitKey);
    PlotrexData(const PlotrexData&) = delete;
    PlotrexData& operator=(const PlotrexData&) = delete;

    const char* GetName() const { return name_.c_str(); }
    const char* GetUnit() const { return unit_.c_str(); }
    DistanceTracker* GetDistanceTracker() const { return tracker_; }
    PlotrexDisplayContainer& GetDisplays() { return displays_; }
    // Marks every display for drawing again.
    void ModifyDisplays();

    std::int32_t ExecuteCommand(const char* command, const char* argument) override;
    std::int32_t GetCommandState(const char* command, CommandState* state) override;
    // Deletes the displays.
    virtual ~PlotrexData();
    virtual PlotrexDisplay* CreateDisplay() = 0;
    // Deletes one of this graph's displays; false when it is not one of them.
    virtual bool DeleteDisplay(PlotrexDisplay* display);
    virtual void Update();
    virtual void UpdateLayers();
    virtual void Terminate();
    // Position (two coordinates) and value at a distance along the track.
    virtual bool GetValueAt(double distance, double* first, double* second, double* value);
    virtual Extent GetExtent();

  private:
    std::string name_;
    std::string unit_;
    PlotrexDisplayContainer displays_;
    DistanceTracker* tracker_;
};

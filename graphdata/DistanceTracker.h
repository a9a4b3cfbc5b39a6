#pragma once
// The distance run along the own ship's track since the module started (an
// arc in radians), the last position and the host's data source. One per
// module data object, shared by every graph.
#include "hostfamily/HostObjects.h"
#include "hostfamily/PosType.h"

class DistanceTracker {
  public:
    // Distance 0, no last position, the given source (may be null).
    void Initialize(HostDataSource* source);

    double GetDistance() const { return distance_; }
    PosType GetPosition() const { return lastPosition_; }
    HostDataSource* GetDataSource() const { return dataSource_; }
    // The source's heading, 0.0 without a source.
    double GetHeading() const;

    // Adds the rhumb-line distance from the last position to the current one;
    // true when the ship moved.
    bool AdvanceDistance();
    // Where another tracker was: its distance run and last position.
    void Resume(double distance, PosType position) {
        distance_ = distance;
        lastPosition_ = position;
    }

  private:
    double distance_ = 0.0;
    PosType lastPosition_ = NoPos;
    HostDataSource* dataSource_ = nullptr;
};

#pragma once
// The own vessel in the profile view: a hull at the ship's distance with its
// keel at the vessel's draught, read from the host's vessel source.
#include "graphdata/PlotrexData.h"
#include "hostfamily/HostObjects.h"

class PlotrexDataMobile : public PlotrexData {
  public:
    PlotrexDataMobile(DistanceTracker* tracker, const char* nameKey, const char* unitKey);

    PlotrexDisplay* CreateDisplay() override;
    // The symbol follows the ship.
    void Update() override;
    Extent GetExtent() override;
    // Keeps the vessel source (may be null); the graph is always kept.
    virtual bool Init(HostVesselSource* vesselSource);

    HostVesselSource* GetVesselSource() const { return vesselSource_; }
    // The vessel's draught in metres; 0.0 without a vessel source or a usable value.
    double GetDraught() const;

  private:
    HostVesselSource* vesselSource_ = nullptr;
};

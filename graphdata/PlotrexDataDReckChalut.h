#pragma once
// The trawl net, dead-reckoned from the cable paid out and the net's depth:
// on the own track, behind the ship by the cable's horizontal length, at its
// depth. The host sets the parameters; no history is kept.
#include "graphdata/PlotrexData.h"
#include "module/TrawlParameters.h"

class PlotrexDataDReckChalut : public PlotrexData {
  public:
    PlotrexDataDReckChalut(DistanceTracker* tracker, const char* nameKey, const char* unitKey);

    PlotrexDisplay* CreateDisplay() override;
    void Update() override;
    Extent GetExtent() override;
    // Takes the host's parameters; every display is shown or hidden by them.
    virtual void SetParameters(const TrawlParameters& parameters);

    const TrawlParameters& GetParameters() const { return parameters_; }
    // The net's horizontal distance behind the ship (radians of arc); the
    // undefined marker when the cable does not reach below the net's depth.
    double GetTrawlDistance() const;

  private:
    TrawlParameters parameters_;
};

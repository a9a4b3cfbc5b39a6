#pragma once
// A value of the sea against the distance run: the depth profile (unit key
// "DIST", depths stored negative) or the temperature profile (unit key
// "TEMP"). Each time the ship moved it appends the host's latest sample.
#include "graphdata/PlotrexData.h"
#include "graphdata/ProfileSeries.h"

class PlotrexDataProfile : public PlotrexData {
  public:
    // Points kept: kCountLimit + kCountLimit / 10.
    static constexpr unsigned kCountLimit = 1000;

    PlotrexDataProfile(DistanceTracker* tracker, const char* nameKey, const char* unitKey);

    PlotrexDisplay* CreateDisplay() override;
    void Update() override;
    bool GetValueAt(double distance, double* first, double* second, double* value) override;
    Extent GetExtent() override;
    virtual ProfileSeries* GetSeries();

    // The host's data kind read for this profile: 14 temperature, 8 depth.
    int GetDataKind() const { return dataKind_; }

  private:
    ProfileSeries series_;
    int dataKind_;
    float sign_;
};

#pragma once
// Draws a depth or temperature profile: in layer 0 the area under the curve
// filled with the profile's brush, in layer 1 the curve with its pen. Its
// legend entry is the profile's value at the ship's distance.
#include "drawing/PlotrexDisplay.h"

class PlotrexDataProfile;

class PlotrexDisplayProfile : public PlotrexDisplay {
  public:
    explicit PlotrexDisplayProfile(PlotrexData* data);

    // Null when built on data that is not a profile.
    PlotrexDataProfile* GetProfile() const;

    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* pens) override;
    short GetLayerCount() override;
    bool GetLegendEntry(std::string& text) override;
};

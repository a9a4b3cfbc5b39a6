#pragma once
// Draws the historic profile as a line over the fills of the live profiles,
// shifted to the own track, with a triangle at the point nearest to the
// position the host gave with it. Shown alone and empty, its legend says
// "No Data".
#include "drawing/PlotrexDisplay.h"

class PlotrexDataProfileHistoric;

class PlotrexDisplayProfileHistoric : public PlotrexDisplay {
  public:
    explicit PlotrexDisplayProfileHistoric(PlotrexData* data);

    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* pens) override;
    short GetLayerCount() override;
    Margins GetMargins() override;
    bool GetLegendEntry(std::string& text) override;

    static constexpr int kMarkerSize = 20;

  private:
    PlotrexDataProfileHistoric* Historic() const;
};

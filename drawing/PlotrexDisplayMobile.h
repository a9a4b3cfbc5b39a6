#pragma once
// Draws the own vessel at the ship's distance: the sea surface across the
// window, a hull on it with its bow toward increasing distance, a keel bar
// down to the draught, the draught line ahead and a line down from the hull.
#include "drawing/PlotrexDisplay.h"

class PlotrexDataMobile;

class PlotrexDisplayMobile : public PlotrexDisplay {
  public:
    explicit PlotrexDisplayMobile(PlotrexData* data);

    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* pens) override;
    Margins GetMargins() override;

  private:
    PlotrexDataMobile* Mobile() const;
};

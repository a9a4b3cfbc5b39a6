#pragma once
// Draws the depth forecast ahead of the ship: a fill in layer 0, shifted by
// the vessel's correction of charted depths, and, when the host gives that
// correction, the uncorrected line in layer 1. Hidden until the user shows
// it; while the forecast is empty it keeps room on the right of the graph.
#include "drawing/PlotrexDisplay.h"

class PlotrexDataPrevision;

class PlotrexDisplayPrevision : public PlotrexDisplay {
  public:
    explicit PlotrexDisplayPrevision(PlotrexData* data);

    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* pens) override;
    // Hidden when nothing was stored.
    void Load(Serializater& s) override;
    short GetLayerCount() override;
    Margins GetMargins() override;
    // The shallow-water warning while there is one, shown as the legend's
    // warnings are.
    bool GetLegendEntry(std::string& text) override;

    static constexpr int kRoomWhileEmpty = 200;

  private:
    PlotrexDataPrevision* Prevision() const;
};

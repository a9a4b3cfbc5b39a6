#pragma once
// Draws the dead-reckoned trawl net behind the ship: a hatched net at its
// depth, opening toward the ship, and the cable from the ship to it. Its
// visibility follows the trawl's parameters and is not kept in the settings.
#include "drawing/PlotrexDisplay.h"

class PlotrexDataDReckChalut;

class PlotrexDisplayDReckChalut : public PlotrexDisplay {
  public:
    explicit PlotrexDisplayDReckChalut(PlotrexData* data);

    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* pens) override;
    void Load(Serializater& s) override;
    void Save(Serializater& s) override;
    Margins GetMargins() override;

  private:
    PlotrexDataDReckChalut* Trawl() const;
};

#pragma once
// The A-scope's graph data: it holds nothing of its own (the last sweeps and
// their windows are the sweep recorder's) and exists so that the A-scope is
// laid out, shown and hidden like any other graph. Created only together
// with the echogram data.
#include "graphdata/PlotrexData.h"

class PlotrexDataAScope : public PlotrexData {
  public:
    using PlotrexData::PlotrexData;

    PlotrexDisplay* CreateDisplay() override;
    // At the ship's distance, from the lower to the higher edge of the two
    // channels' last windows; undefined before the first sweep.
    Extent GetExtent() override;
};

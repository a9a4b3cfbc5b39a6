#pragma once
// Drawing of the visible displays of one area, layer by layer, so that every
// fill (layer 0) of the area lies under every line (layer 1).
#include <map>
#include <string>
#include <vector>

#include "layout/LinearPixelProjection.h"
#include "platform/WinTypes.h"

class PlotrexDisplay;
class StyleTable;
class VexanDevice;

// The vertical projections of an area by unit key ("DIST", "TEMP").
using VerticalProjections = std::map<std::string, LinearPixelProjection>;

// The largest layer count among the visible displays, at least 1.
short CountLayers(const std::vector<PlotrexDisplay*>& displays);

// For each layer, each visible display in order draws with the horizontal
// projection and the vertical projection of its data's unit key; a display
// whose unit has no projection (or that has no data) is skipped.
void DrawLayered(const std::vector<PlotrexDisplay*>& displays, VexanDevice* device, RECT area,
                 const LinearPixelProjection& x, const VerticalProjections& verticals,
                 StyleTable* styles);

#include "drawing/LayeredDrawing.h"

#include <algorithm>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexData.h"

namespace {

std::vector<PlotrexDisplay*> VisibleDisplays(const std::vector<PlotrexDisplay*>& displays) {
    std::vector<PlotrexDisplay*> visible;
    for (PlotrexDisplay* display : displays) {
        if (display != nullptr && display->IsVisible()) {
            visible.push_back(display);
        }
    }
    return visible;
}

short LargestLayerCount(const std::vector<PlotrexDisplay*>& visible) {
    short layers = 1;
    for (PlotrexDisplay* display : visible) {
        layers = std::max(layers, display->GetLayerCount());
    }
    return layers;
}

}  // namespace

short CountLayers(const std::vector<PlotrexDisplay*>& displays) {
    return LargestLayerCount(VisibleDisplays(displays));
}

void DrawLayered(const std::vector<PlotrexDisplay*>& displays, VexanDevice* device, RECT area,
                 const LinearPixelProjection& x, const VerticalProjections& verticals,
                 StyleTable* styles) {
    const std::vector<PlotrexDisplay*> visible = VisibleDisplays(displays);
    const short layers = LargestLayerCount(visible);
    for (short layer = 0; layer < layers; ++layer) {
        for (PlotrexDisplay* display : visible) {
            const PlotrexData* data = display->GetData();
            if (data == nullptr) {
                continue;
            }
            auto y = verticals.find(data->GetUnit());
            if (y != verticals.end()) {
                display->Draw(layer, device, area, x, y->second, styles);
            }
        }
    }
}

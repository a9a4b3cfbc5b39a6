#pragma once
// A graph whose extent, margins, legend and command answers the test sets,
// with a display that only records the layers it is asked to draw.
#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexData.h"

class FixedDisplay : public PlotrexDisplay {
  public:
    using PlotrexDisplay::PlotrexDisplay;
    void Draw(short layer, VexanDevice*, RECT, const LinearPixelProjection&,
              const LinearPixelProjection&, StyleTable*) override {
        layers.push_back(layer);
        ClearModified();
    }
    short GetLayerCount() override { return layerCount; }
    Margins GetMargins() override { return margins; }
    bool GetLegendEntry(std::string& text) override {
        if (legend.empty()) {
            return false;
        }
        text = legend;
        return true;
    }

    std::vector<short> layers;
    short layerCount = 1;
    Margins margins;
    std::string legend;
};

class FixedGraph : public PlotrexData {
  public:
    explicit FixedGraph(const char* name, const char* unit = kUnitDist)
        : PlotrexData(nullptr, name, unit) {}

    PlotrexDisplay* CreateDisplay() override { return new FixedDisplay(this); }
    Extent GetExtent() override { return extent; }
    std::int32_t ExecuteCommand(const char* command, const char*) override {
        asked.push_back(command);
        if (throws) {
            throw std::runtime_error("the graph failed");
        }
        return answer;
    }
    std::int32_t GetCommandState(const char* command, CommandState* state) override {
        asked.push_back(command);
        if (throws) {
            throw std::runtime_error("the graph failed");
        }
        if (answer != 0) {
            state->checked = true;
            state->enabled = true;
        }
        return answer;
    }
    FixedDisplay* Display() { return static_cast<FixedDisplay*>(GetDisplays().front()); }

    Extent extent;
    std::int32_t answer = 0;
    bool throws = false;
    std::vector<std::string> asked;
};

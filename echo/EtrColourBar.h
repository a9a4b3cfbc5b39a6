#pragma once
// The echogram's colour bar: its 16 shown levels, strongest on top, each with
// its colour in the current scale and light and what it stands for (the level,
// or for a recording the strengths it covers under the gain and threshold),
// on a dark plate so that it reads over the echoes.
#include <string>
#include <vector>

#include "platform/WinTypes.h"

class StyleTable;
class VexanDevice;

class EtrColourBar {
  public:
    // labels: 16, level 0 first.
    EtrColourBar(const StyleTable& styles, std::vector<std::string> labels);

    // The plate's size for the labels, in pixels.
    SIZE Measure(VexanDevice* device) const;
    // Draws the plate with its top left corner at (left, top), clipped to area.
    void Draw(VexanDevice* device, RECT area, int left, int top) const;

  private:
    int BoxHeight() const;
    double FontSize() const;

    const StyleTable& styles_;
    std::vector<std::string> labels_;
};

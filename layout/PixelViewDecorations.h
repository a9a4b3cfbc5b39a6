#pragma once
// The furniture of the pixel view's areas: a value scale along one side of
// an area, the area's legend with its warnings, and the line between the two
// areas. Stateless; every call draws through the caller's context.
#include <string>
#include <vector>

#include "layout/LabelBatch.h"
#include "platform/WinTypes.h"

class DeviceGraphics;
class LinearPixelProjection;

class PixelViewDecorations {
  public:
    struct ScaleStyle {
        int kind = 0;                // generic-data kind: 8 depth, 14 temperature
        COLORREF gridColour = 0;     // grid lines, on the right side only
        bool blankNegative = false;  // ticks whose text reads negative keep no label
        bool rightSide = true;       // labels right-aligned at edgeX, with a grid
    };

    struct AreaScale {
        RECT box{};  // empty when fewer than two ticks fit
        std::vector<LabelBox> texts;
    };

    // A scale over the area's height: ticks from y's values at the area's
    // bottom and top, each at y.ToPixel(value). Labels at edgeX, thinned
    // where they would overlap and left out where they would run into
    // keepClearOf; on the right side a grid line from the area's left edge to
    // the scale's box at every tick.
    static AreaScale DrawAreaScale(DeviceGraphics& graphics, RECT area,
                                   const LinearPixelProjection& y, const ScaleStyle& style,
                                   int edgeX, const std::vector<LabelBox>& keepClearOf = {});
    // The box DrawAreaScale would return, nothing drawn.
    static RECT AreaScaleBox(DeviceGraphics& graphics, RECT area, const LinearPixelProjection& y,
                             const ScaleStyle& style, int edgeX);
    // The box of the entries DrawAreaLegend would draw; empty when it would
    // draw none.
    static LabelBox AreaLegendBox(DeviceGraphics& graphics, RECT area,
                                  const std::vector<std::string>& entries, int left, int right);
    // Warnings at the top left of the area, the other entries at the bottom
    // left, from left; the entries only when they fit left of right and in
    // half the area's height.
    static void DrawAreaLegend(DeviceGraphics& graphics, RECT area,
                               const std::vector<std::string>& entries, int left, int right);
    // Vertical at the first area's left edge when side by side, else
    // horizontal along the second area's top.
    static void DrawSeparator(DeviceGraphics& graphics, RECT first, RECT second, bool sideBySide);
};

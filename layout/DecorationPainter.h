#pragma once
// The furniture of the profile view around the graphs: the background split
// at the surface, the vertical scales, the distance scale, the set-square
// under the mouse, the data-info markers and the legend. Reads the
// organizer's device, projections and points; keeps the texts of the scale
// ticks between frames, as long as the axes do not move.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hostfamily/GenDataUnits.h"
#include "layout/LabelBatch.h"
#include "layout/TickLabels.h"
#include "platform/WinTypes.h"

class DeviceGraphics;
class LinearPixelProjection;
class PlotrexOrganizer;

// A value found under the hover point: the graph's unit key, the distance
// and the value there.
struct DataInfoEntry {
    std::string unit;
    double x = 0.0;
    double value = 0.0;
};

class DecorationPainter {
  public:
    explicit DecorationPainter(PlotrexOrganizer* organizer);

    // Above the zero level of the axis in use "BACKGROUND_BRUSH", below it
    // "SKY_BRUSH". Nothing without an axis in use.
    void DrawBackground();
    // Whether DrawBackground paints every pixel of the device: then nothing
    // drawn before it shows.
    bool BackgroundCoversFrame() const;
    struct ScaleBoxes {
        RECT values{};     // the scale of the unit in use
        RECT distances{};  // the distance scale
    };
    // The vertical scales, then the distance scale, whose labels the vertical
    // scales' texts keep clear of.
    ScaleBoxes DrawScales(DeviceGraphics& graphics, const std::set<std::string>& units,
                          double vesselDistance);
    // One scale per unit key with an axis. The unit in use reads at the right
    // edge over its grid; the others stack from the left edge. Texts that
    // would overlap are thinned, and those that would run into keepClearOf
    // left out. Returns the box of the scale of the unit in use, empty without
    // one.
    RECT DrawVerticalScales(DeviceGraphics& graphics, const std::set<std::string>& units,
                            const std::vector<LabelBox>& keepClearOf = {});
    // Distances from the vessel along the bottom edge, thinned where they
    // would overlap. Returns its box, empty when it is not drawn.
    RECT DrawDistanceScale(DeviceGraphics& graphics, double vesselDistance);
    // Lines from the hover point to the right and bottom edges, the distance
    // from the vessel above the distance scale and the value left of the
    // vertical scale.
    void DrawSetSquare(DeviceGraphics& graphics, int valueScaleWidth, int distanceScaleHeight,
                       double vesselDistance);
    // A square and the value at each point found under the hover point.
    void DrawDataInfo(DeviceGraphics& graphics, const std::vector<DataInfoEntry>& entries);
    // The warnings at the top, the entries and the scale line above the
    // distance scale.
    void DrawLegend(DeviceGraphics& graphics, const std::vector<std::string>& entries,
                    int leftOffset, int distanceScaleHeight);
    // Right of the scales on the left edge, and clear of the set-square's
    // labels of this frame when the legend fits there.
    int ChooseLegendOffset(DeviceGraphics& graphics, const std::vector<std::string>& entries,
                           int distanceScaleHeight);

    struct LegendTexts {
        std::string warnings;
        std::string legend;
    };
    // Entries split into warnings ("#w" or "#W" codes) and the rest, each
    // line ended by "\n", the scale line last.
    static LegendTexts ComposeLegend(const std::vector<std::string>& entries,
                                     const std::string& scaleLine);
    // "1:<scale> - <slope>", e.g. "1:2 500 - x 4".
    std::string ScaleLine();
    // The boxes of the set-square's labels of the last frame, distance first.
    const std::vector<LabelBox>& SetSquareLabels() const { return squareLabels_; }
    // The boxes of the texts the scales drew last: the vertical scales', then
    // the distance scale's.
    std::vector<LabelBox> ScaleTexts() const;
    const std::vector<LabelBox>& DistanceTexts() const { return distanceTexts_; }

  private:
    // The texts of a scale's ticks for one set of sampler arguments.
    struct TickTexts {
        double from = 0.0;
        double to = 0.0;
        double hint = 0.0;
        int kind = -1;
        int maxCount = 0;
        GenData::UserUnits units;
        std::vector<std::pair<double, std::string>> ticks;  // value, text
    };
    const TickTexts& Ticks(TickTexts& cache, double from, double to, double hint, int kind,
                           int maxCount, bool absolute);
    // The scale of one unit; nothing without two ticks.
    std::optional<RECT> DrawValueScale(DeviceGraphics& graphics, const std::string& unit,
                                       const LinearPixelProjection& y, bool main,
                                       const std::vector<LabelBox>& keepClearOf);
    static LabelStyle DistanceStyle();
    // The distance scale's labels as they will be drawn, thinned; none when
    // the scale is not drawn.
    std::vector<TickLabel> DistanceLabels(DeviceGraphics& graphics, double vesselDistance);

    PlotrexOrganizer* organizer_;
    std::map<std::string, TickTexts> valueTicks_;
    TickTexts distanceTicks_;
    // Right edge of the scales stacked at the left edge in this frame.
    int leftScalesRight_ = 0;
    // Boxes of the set-square's labels in this frame.
    std::vector<LabelBox> squareLabels_;
    std::vector<LabelBox> valueTexts_;
    std::vector<LabelBox> distanceTexts_;
};

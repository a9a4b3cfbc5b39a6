#pragma once
// Paints one frame of the profile view into the organizer's device, in the
// axes as they stand: an empty back buffer, the background, every visible
// display layer by layer, then the scales, the set-square, the values under
// the hover point and the legend over them.
#include <memory>
#include <set>
#include <string>
#include <vector>

class DecorationPainter;
class PlotrexDisplay;
class PlotrexOrganizer;
struct DataInfoEntry;

class FramePainter {
  public:
    explicit FramePainter(PlotrexOrganizer& organizer);
    ~FramePainter();
    FramePainter(const FramePainter&) = delete;
    FramePainter& operator=(const FramePainter&) = delete;

    // Nothing without a device.
    void Paint();

  private:
    void ClearFrame();
    // What the displays shown bring to the decorations.
    static std::set<std::string> UnitsOf(const std::vector<PlotrexDisplay*>& displays);
    std::vector<DataInfoEntry> FoundUnderHover(const std::vector<PlotrexDisplay*>& displays);
    static std::vector<std::string> LegendEntries(const std::vector<PlotrexDisplay*>& displays);

    PlotrexOrganizer& organizer_;
    // Keeps the texts of the scale ticks between frames.
    std::unique_ptr<DecorationPainter> decorations_;
};

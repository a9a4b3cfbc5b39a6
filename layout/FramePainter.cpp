#include "layout/FramePainter.h"

#include "drawing/ClearFrame.h"
#include "drawing/DeviceGraphics.h"
#include "drawing/LayeredDrawing.h"
#include "drawing/PlotrexDisplay.h"
#include "drawing/VexanDevice.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/PlotrexData.h"
#include "hostfamily/Undefined.h"
#include "layout/DecorationPainter.h"
#include "layout/PlotrexOrganizer.h"

namespace {

// Palette colour of the empty back buffer, as in the pixel view.
constexpr unsigned kClearColour = 33;

}  // namespace

FramePainter::FramePainter(PlotrexOrganizer& organizer)
    : organizer_(organizer), decorations_(std::make_unique<DecorationPainter>(&organizer)) {}

FramePainter::~FramePainter() = default;

void FramePainter::Paint() {
    VexanDevice* device = organizer_.GetDevice();
    if (device == nullptr) {
        return;
    }
    const DistanceTracker* tracker = organizer_.GetTracker();
    const double vessel = tracker ? tracker->GetDistance() : 0.0;

    // The last frame goes: under the background, or cleared where the
    // background would leave some of it.
    if (!decorations_->BackgroundCoversFrame()) {
        ClearFrame();
    }
    decorations_->DrawBackground();

    const std::vector<PlotrexDisplay*> visible = organizer_.VisibleDisplays();
    const SIZE size = device->GetSize();
    DrawLayered(visible, device, RECT{0, 0, size.cx, size.cy}, organizer_.GetHorizontalProjection(),
                organizer_.GetVerticalProjections(), organizer_.GetStyles());

    DeviceGraphics graphics(device);
    const auto [valueScale, distanceScale] =
        decorations_->DrawScales(graphics, UnitsOf(visible), vessel);
    const int distanceScaleHeight = distanceScale.bottom - distanceScale.top;
    decorations_->DrawSetSquare(graphics, valueScale.right - valueScale.left, distanceScaleHeight,
                                vessel);
    if (!IsNoPoint(organizer_.GetHoverPoint())) {
        decorations_->DrawDataInfo(graphics, FoundUnderHover(visible));
    }
    const std::vector<std::string> legend = LegendEntries(visible);
    // Placed after the set-square, whose labels it keeps clear of.
    const int legendLeft = decorations_->ChooseLegendOffset(graphics, legend, distanceScaleHeight);
    decorations_->DrawLegend(graphics, legend, legendLeft, distanceScaleHeight);
}

void FramePainter::ClearFrame() {
    ::ClearFrame(*organizer_.GetDevice(), kClearColour);
}

std::set<std::string> FramePainter::UnitsOf(const std::vector<PlotrexDisplay*>& displays) {
    std::set<std::string> units;
    for (PlotrexDisplay* display : displays) {
        if (const PlotrexData* data = display->GetData()) {
            units.insert(data->GetUnit());
        }
    }
    return units;
}

std::vector<DataInfoEntry> FramePainter::FoundUnderHover(
    const std::vector<PlotrexDisplay*>& displays) {
    const double x = organizer_.GetHorizontalProjection().ToWorld(organizer_.GetHoverPoint().x);
    std::vector<DataInfoEntry> found;
    for (PlotrexDisplay* display : displays) {
        PlotrexData* data = display->GetData();
        double first = kUndefined;
        double second = kUndefined;
        double value = kUndefined;
        if (data != nullptr && data->GetValueAt(x, &first, &second, &value) &&
            !IsUndefined(value)) {
            found.push_back(DataInfoEntry{data->GetUnit(), x, value});
        }
    }
    return found;
}

std::vector<std::string> FramePainter::LegendEntries(const std::vector<PlotrexDisplay*>& displays) {
    std::vector<std::string> legend;
    for (PlotrexDisplay* display : displays) {
        std::string entry;
        if (display->GetLegendEntry(entry)) {
            legend.push_back(std::move(entry));
        }
    }
    return legend;
}

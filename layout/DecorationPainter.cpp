#include "layout/DecorationPainter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "drawing/VexanDevice.h"
#include "graphdata/PlotrexData.h"
#include "hostfamily/GenData.h"
#include "hostfamily/GenDataSampler.h"
#include "layout/FormatSlope.h"
#include "layout/GenDataText.h"
#include "layout/PlotrexOrganizer.h"
#include "layout/TickLabels.h"
#include "layout/TrimNumberText.h"
#include "module/ModuleWideValues.h"
#include "platform/CDC.h"

namespace {

constexpr short kScaleFontSize = 11;
constexpr short kLegendFontSize = 20;
constexpr short kWarningFontSize = 40;
constexpr int kValueScaleTicks = 15;
constexpr int kDistanceScaleTicks = 10;
// Pixels between two value ticks at the least.
constexpr double kValueTickPixels = 20.0;
constexpr unsigned kGridColour = 23;
constexpr BYTE kGridOpacity = 50;
constexpr unsigned kSetSquareColour = 15;
constexpr unsigned kMarkerFill = 17;
constexpr unsigned kMarkerOutline = 15;
constexpr int kMarkerHalf = 4;
// Room between the legend and what it keeps clear of.
constexpr int kLegendGap = 4;

int ValueKind(const std::string& unit) {
    return unit == kUnitTemp ? GenData::kKindTemperature : GenData::kKindDepth;
}

// Truncated toward zero and held in the range of a pixel coordinate.
LONG PixelOf(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<LONG>(std::clamp(value, double(INT_MIN / 2), double(INT_MAX / 2)));
}

}  // namespace

DecorationPainter::DecorationPainter(PlotrexOrganizer* organizer) : organizer_(organizer) {}

const DecorationPainter::TickTexts& DecorationPainter::Ticks(TickTexts& cache, double from,
                                                             double to, double hint, int kind,
                                                             int maxCount, bool absolute) {
    const GenData::UserUnits units = GenData::GetUserUnits();
    if (cache.from == from && cache.to == to && cache.hint == hint && cache.kind == kind &&
        cache.maxCount == maxCount && cache.units == units) {
        return cache;
    }
    cache = TickTexts{from, to, hint, kind, maxCount, units, {}};
    const GenData::CTableEchantillonnee table =
        GenData::CEchantillonneur(from, to, hint, kind, maxCount).CreerTableEchantillonnee();
    for (int i = 0; i < table.GetCount(); ++i) {
        const double value = table.GetValeurUniteCodage(i);
        cache.ticks.emplace_back(
            value, TrimNumberText(GenDataText(kind, absolute ? std::fabs(value) : value,
                                              GenData::CFormat::kUserUnit)));
    }
    return cache;
}

void DecorationPainter::DrawBackground() {
    VexanDevice* device = organizer_->GetDevice();
    const LinearPixelProjection* vertical = device ? organizer_->GetYProjection() : nullptr;
    CDC* dc = vertical ? device->GetDC() : nullptr;
    const StyleTable* styles = organizer_->GetStyles();
    if (dc == nullptr || styles == nullptr) {
        return;
    }
    const SIZE size = device->GetSize();
    // The sea surface: above it the background, below it the water.
    const LONG surface = std::clamp<LONG>(PixelOf(vertical->ToPixel(0.0)), 0, size.cy);
    COLORREF colour = 0;
    if (styles->Lookup("BACKGROUND_BRUSH", &colour, nullptr)) {
        dc->FillSolidRect(RECT{0, 0, size.cx, surface}, colour);
    }
    if (styles->Lookup("SKY_BRUSH", &colour, nullptr)) {
        dc->FillSolidRect(RECT{0, surface, size.cx, size.cy}, colour);
    }
}

bool DecorationPainter::BackgroundCoversFrame() const {
    VexanDevice* device = organizer_->GetDevice();
    const StyleTable* styles = organizer_->GetStyles();
    COLORREF colour = 0;
    return device != nullptr && styles != nullptr && organizer_->GetYProjection() != nullptr &&
           device->GetDC() != nullptr && styles->Lookup("BACKGROUND_BRUSH", &colour, nullptr) &&
           styles->Lookup("SKY_BRUSH", &colour, nullptr);
}

DecorationPainter::ScaleBoxes DecorationPainter::DrawScales(DeviceGraphics& graphics,
                                                            const std::set<std::string>& units,
                                                            double vesselDistance) {
    // The texts of the vertical scales give way where they reach the band of
    // distances, whose labels are the ship's.
    std::vector<LabelBox> distances;
    for (const TickLabel& label : DistanceLabels(graphics, vesselDistance)) {
        distances.push_back(label.box);
    }
    ScaleBoxes boxes;
    boxes.values = DrawVerticalScales(graphics, units, distances);
    boxes.distances = DrawDistanceScale(graphics, vesselDistance);
    return boxes;
}

RECT DecorationPainter::DrawVerticalScales(DeviceGraphics& graphics,
                                           const std::set<std::string>& units,
                                           const std::vector<LabelBox>& keepClearOf) {
    leftScalesRight_ = 0;
    valueTexts_.clear();
    RECT inUse{};
    if (organizer_->GetDevice() == nullptr) {
        return inUse;
    }
    const std::string unitInUse = organizer_->GetYUnit();
    const auto& verticals = organizer_->GetVerticalProjections();
    for (const std::string& unit : units) {
        const auto found = verticals.find(unit);
        if (found == verticals.end()) {
            continue;
        }
        const bool main = unit == unitInUse;
        const std::optional<RECT> box =
            DrawValueScale(graphics, unit, found->second, main, keepClearOf);
        if (!box) {
            continue;
        }
        if (main) {
            inUse = *box;
        } else {
            leftScalesRight_ = std::max<int>(leftScalesRight_, box->right);
        }
    }
    return inUse;
}

std::optional<RECT> DecorationPainter::DrawValueScale(DeviceGraphics& graphics,
                                                      const std::string& unit,
                                                      const LinearPixelProjection& y, bool main,
                                                      const std::vector<LabelBox>& keepClearOf) {
    const SIZE size = organizer_->GetDevice()->GetSize();
    const double perPixel = y.scale * y.multiplier;
    const TickTexts& ticks =
        Ticks(valueTicks_[unit], y.origin - size.cy * perPixel, y.origin,
              kValueTickPixels * perPixel, ValueKind(unit), kValueScaleTicks, false);
    if (ticks.ticks.size() < 2) {
        return std::nullopt;
    }
    LabelBatch batch(graphics, LabelStyle::Aligned(main ? kAlignFar : kAlignNear, kAlignCenter,
                                                   kScaleFontSize * gLabelFontSizeMultiplier));
    const float x = static_cast<float>(main ? size.cx : leftScalesRight_);
    std::vector<TickLabel> labels;
    for (const auto& [value, text] : ticks.ticks) {
        const auto pixel = static_cast<float>(y.ToPixel(value));
        labels.push_back(TickLabel{value, text, x, pixel, batch.MeasureLabel(text, x, pixel)});
    }
    labels = ThinTickLabels(labels);
    DropTicksOver(labels, keepClearOf);
    for (const TickLabel& label : labels) {
        batch.Add(label.text, label.x, label.y);
    }
    batch.Draw();
    const std::vector<LabelBox> texts = batch.TextBoxes();
    valueTexts_.insert(valueTexts_.end(), texts.begin(), texts.end());
    const RECT box = batch.Measure().Truncated();
    if (main) {
        // Every tick keeps its grid line, labelled or not.
        const COLORREF grid = PaletteColorRef(kGridColour);
        for (const auto& tick : ticks.ticks) {
            const double pixel = y.ToPixel(tick.first);
            const double line[4] = {0.0, pixel, static_cast<double>(box.right), pixel};
            graphics.DrawPolyline(line, 2, grid, 1.0, kGridOpacity);
        }
    }
    return box;
}

std::vector<LabelBox> DecorationPainter::ScaleTexts() const {
    std::vector<LabelBox> texts = valueTexts_;
    texts.insert(texts.end(), distanceTexts_.begin(), distanceTexts_.end());
    return texts;
}

LabelStyle DecorationPainter::DistanceStyle() {
    return LabelStyle::Aligned(kAlignCenter, kAlignFar, kScaleFontSize * gLabelFontSizeMultiplier);
}

std::vector<TickLabel> DecorationPainter::DistanceLabels(DeviceGraphics& graphics,
                                                         double vesselDistance) {
    VexanDevice* device = organizer_->GetDevice();
    if (device == nullptr) {
        return {};
    }
    const SIZE size = device->GetSize();
    const LinearPixelProjectionLeveled& x = organizer_->GetHorizontalProjection();
    const double shown = size.cx * x.multiplier * x.scale;
    if (!(shown > 0.0)) {
        return {};
    }
    const TickTexts& ticks =
        Ticks(distanceTicks_, x.origin - vesselDistance, x.origin + shown - vesselDistance,
              shown * 0.1, GenData::kKindHorizontalDistance, kDistanceScaleTicks, true);
    if (ticks.ticks.size() < 3) {
        return {};
    }
    const LabelBatch measure(graphics, DistanceStyle());
    const auto bottom = static_cast<float>(size.cy);
    std::vector<TickLabel> labels;
    for (const auto& [value, text] : ticks.ticks) {
        const auto pixel = static_cast<float>(PixelOf(x.ToPixel(value + vesselDistance)));
        labels.push_back(
            TickLabel{value, text, pixel, bottom, measure.MeasureLabel(text, pixel, bottom)});
    }
    return ThinTickLabels(labels);
}

RECT DecorationPainter::DrawDistanceScale(DeviceGraphics& graphics, double vesselDistance) {
    distanceTexts_.clear();
    const std::vector<TickLabel> labels = DistanceLabels(graphics, vesselDistance);
    if (labels.empty()) {
        return RECT{};
    }
    const SIZE size = organizer_->GetDevice()->GetSize();
    LabelBatch batch(graphics, DistanceStyle());
    for (const TickLabel& label : labels) {
        batch.Add(label.text, label.x, label.y);
    }
    // The band runs along the whole bottom edge.
    const auto bottom = static_cast<float>(size.cy);
    batch.Add(std::string(), 0.0f, bottom);
    batch.Add(std::string(), static_cast<float>(size.cx), bottom);
    batch.Draw();
    distanceTexts_ = batch.TextBoxes();
    return batch.Measure().Truncated();
}

void DecorationPainter::DrawSetSquare(DeviceGraphics& graphics, int valueScaleWidth,
                                      int distanceScaleHeight, double vesselDistance) {
    squareLabels_.clear();
    VexanDevice* device = organizer_->GetDevice();
    const POINT hover = organizer_->GetHoverPoint();
    if (device == nullptr || IsNoPoint(hover)) {
        return;
    }
    const SIZE size = device->GetSize();
    const bool across = hover.x < size.cx;
    const bool down = hover.y < size.cy;
    std::vector<double> lines;
    if (across) {
        lines.insert(lines.end(), {double(size.cx), double(hover.y)});
    }
    lines.insert(lines.end(), {double(hover.x), double(hover.y)});
    if (down) {
        lines.insert(lines.end(), {double(hover.x), double(size.cy)});
    }
    graphics.DrawPolyline(lines.data(), static_cast<int>(lines.size() / 2),
                          PaletteColorRef(kSetSquareColour), 1.0, 255);

    const short fontSize = kScaleFontSize * gLabelFontSizeMultiplier;
    if (across) {
        const double distance =
            std::fabs(vesselDistance - organizer_->GetHorizontalProjection().ToWorld(hover.x));
        LabelBatch label(graphics, LabelStyle::Aligned(kAlignNear, kAlignFar, fontSize));
        label.Add(ToDrawingCodePage(GenData::ToString("Distance", distance)),
                  static_cast<float>(hover.x), static_cast<float>(size.cy - distanceScaleHeight));
        label.Draw();
        squareLabels_.push_back(label.Measure());
    }
    const LinearPixelProjection* vertical = down ? organizer_->GetYProjection() : nullptr;
    if (vertical != nullptr) {
        LabelBatch label(graphics, LabelStyle::Aligned(kAlignFar, kAlignFar, fontSize));
        label.Add(GenDataText(ValueKind(organizer_->GetYUnit()), vertical->ToWorld(hover.y)),
                  static_cast<float>(size.cx - valueScaleWidth), static_cast<float>(hover.y));
        label.Draw();
        squareLabels_.push_back(label.Measure());
    }
}

void DecorationPainter::DrawDataInfo(DeviceGraphics& graphics,
                                     const std::vector<DataInfoEntry>& entries) {
    const auto& verticals = organizer_->GetVerticalProjections();
    const LinearPixelProjectionLeveled& x = organizer_->GetHorizontalProjection();
    for (const DataInfoEntry& entry : entries) {
        const auto found = verticals.find(entry.unit);
        if (found == verticals.end()) {
            continue;
        }
        const double px = x.ToPixel(entry.x);
        const double py = found->second.ToPixel(entry.value);
        const RECT square{PixelOf(px - kMarkerHalf), PixelOf(py - kMarkerHalf),
                          PixelOf(px + kMarkerHalf), PixelOf(py + kMarkerHalf)};
        graphics.FillRect(square, PaletteColorRef(kMarkerFill), 255);
        graphics.DrawRectangle(square, PaletteColorRef(kMarkerOutline), 255, 1.0);
        LabelBatch label(graphics, LabelStyle::Aligned(kAlignNear, kAlignCenter,
                                                       kScaleFontSize * gLabelFontSizeMultiplier));
        label.Add(GenDataText(ValueKind(entry.unit), entry.value),
                  static_cast<float>(square.right + 2), static_cast<float>(py));
        label.Draw();
    }
}

DecorationPainter::LegendTexts DecorationPainter::ComposeLegend(
    const std::vector<std::string>& entries, const std::string& scaleLine) {
    LegendTexts texts;
    for (const std::string& entry : entries) {
        if (entry.empty()) {
            continue;
        }
        std::string text = ToDrawingCodePage(entry);
        bool warning = false;
        while (text.size() >= 4 && text[0] == '#') {
            warning = warning || text[1] == 'W' || text[1] == 'w';
            text.erase(0, 2);
        }
        const std::string line = text + "\n";
        if (!warning) {
            texts.legend += line;
        } else if (texts.warnings != line) {
            texts.warnings += line;
        }
    }
    texts.legend += scaleLine;
    return texts;
}

std::string DecorationPainter::ScaleLine() {
    LinearPixelProjectionLeveled& x = organizer_->GetHorizontalProjection();
    const std::string scale = x.GetScaleLabel();
    const LinearPixelProjection* vertical = organizer_->GetYProjection();
    const std::string slope = vertical ? FormatSlope(*vertical, x) : std::string();
    if (scale.empty() && slope.empty()) {
        return std::string();
    }
    return "1:" + scale + " - " + slope;
}

int DecorationPainter::ChooseLegendOffset(DeviceGraphics& graphics,
                                          const std::vector<std::string>& entries,
                                          int distanceScaleHeight) {
    const int base = leftScalesRight_ + kLegendGap;
    VexanDevice* device = organizer_->GetDevice();
    if (device == nullptr || squareLabels_.empty()) {
        return base;
    }
    const SIZE size = device->GetSize();
    const std::string text = ComposeLegend(entries, ScaleLine()).legend;
    // Past each set-square label that it would cover, while it still fits.
    int offset = base;
    for (std::size_t tries = 0; tries <= squareLabels_.size(); ++tries) {
        LabelBatch legend(
            graphics,
            LabelStyle::Aligned(kAlignNear, kAlignFar, kLegendFontSize * gLabelFontSizeMultiplier));
        legend.Add(text, static_cast<float>(offset),
                   static_cast<float>(size.cy - distanceScaleHeight));
        const LabelBox box = legend.Measure();
        if (box.right > size.cx) {
            return base;
        }
        const auto covered = std::find_if(squareLabels_.begin(), squareLabels_.end(),
                                          [&](const LabelBox& l) { return box.Overlaps(l); });
        if (covered == squareLabels_.end()) {
            return offset;
        }
        offset = PixelOf(covered->right) + kLegendGap;
    }
    return base;
}

void DecorationPainter::DrawLegend(DeviceGraphics& graphics,
                                   const std::vector<std::string>& entries, int leftOffset,
                                   int distanceScaleHeight) {
    VexanDevice* device = organizer_->GetDevice();
    if (device == nullptr) {
        return;
    }
    const SIZE size = device->GetSize();
    const LegendTexts texts = ComposeLegend(entries, ScaleLine());
    if (!texts.warnings.empty()) {
        LabelStyle style = LabelStyle::Aligned(kAlignNear, kAlignNear, kWarningFontSize);
        style.boxColour = RGB(255, 0, 0);
        style.boxOpacity = 100;
        LabelBatch warnings(graphics, style);
        warnings.Add(texts.warnings, static_cast<float>(leftOffset), 0.0f);
        warnings.Draw();
    }
    LabelBatch legend(graphics, LabelStyle::Aligned(kAlignNear, kAlignFar,
                                                    kLegendFontSize * gLabelFontSizeMultiplier));
    legend.Add(texts.legend, static_cast<float>(leftOffset),
               static_cast<float>(size.cy - distanceScaleHeight));
    const LabelBox box = legend.Measure();
    // Only where it leaves room for the graphs and stays inside the window.
    if (2.0 * box.Height() < size.cy && box.right <= size.cx) {
        legend.Draw();
    }
}

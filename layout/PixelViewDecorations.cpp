#include "layout/PixelViewDecorations.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "drawing/DeviceGraphics.h"
#include "hostfamily/GenData.h"
#include "hostfamily/GenDataSampler.h"
#include "layout/DecorationPainter.h"
#include "layout/GenDataText.h"
#include "layout/LabelBatch.h"
#include "layout/LinearPixelProjection.h"
#include "layout/TickLabels.h"
#include "layout/TrimNumberText.h"
#include "module/ModuleWideValues.h"

namespace {

constexpr short kScaleFontSize = 11;
constexpr short kLegendFontSize = 20;
constexpr short kWarningFontSize = 40;
constexpr int kScaleTicks = 15;
constexpr double kTickPixels = 20.0;
constexpr BYTE kGridOpacity = 50;

}  // namespace

namespace {

// A scale's labels, thinned, and the pixels of all its ticks.
struct AreaScaleLayout {
    LabelStyle style;
    float x = 0.0f;
    std::vector<TickLabel> labels;
    std::vector<double> pixels;
};

std::optional<AreaScaleLayout> LayOutAreaScale(DeviceGraphics& graphics, RECT area,
                                               const LinearPixelProjection& y,
                                               const PixelViewDecorations::ScaleStyle& style,
                                               int edgeX) {
    const int height = area.bottom - area.top;
    const double low = y.ToWorld(area.bottom);
    const double high = y.ToWorld(area.top);
    if (height < 2 || !std::isfinite(low) || !std::isfinite(high) || low == high) {
        return std::nullopt;
    }
    const double hint = std::fabs(high - low) * kTickPixels / height;
    const GenData::CTableEchantillonnee table =
        GenData::CEchantillonneur(std::min(low, high), std::max(low, high), hint, style.kind,
                                  kScaleTicks)
            .CreerTableEchantillonnee();
    if (table.GetCount() < 2) {
        return std::nullopt;
    }
    const short fontSize = kScaleFontSize * gLabelFontSizeMultiplier;
    AreaScaleLayout layout;
    layout.style =
        LabelStyle::Aligned(style.rightSide ? kAlignFar : kAlignNear, kAlignCenter, fontSize);
    layout.x = static_cast<float>(edgeX);
    const LabelBatch measure(graphics, layout.style);
    // A tick on the area's edge keeps its label whole inside the area.
    const double inset = std::min(fontSize * 0.5 + 1.0, height * 0.5);
    for (int i = 0; i < table.GetCount(); ++i) {
        const double value = table.GetValeurUniteCodage(i);
        const double pixel = y.ToPixel(value);
        if (pixel < area.top || pixel > area.bottom) {
            continue;
        }
        std::string text =
            TrimNumberText(GenDataText(style.kind, value, GenData::CFormat::kUserUnit));
        if (style.blankNegative && text.starts_with('-')) {
            text.clear();
        }
        const auto labelY =
            static_cast<float>(std::clamp(pixel, area.top + inset, area.bottom - inset));
        const LabelBox box = measure.MeasureLabel(text, layout.x, labelY);
        layout.labels.push_back(TickLabel{value, std::move(text), layout.x, labelY, box});
        layout.pixels.push_back(pixel);
    }
    layout.labels = ThinTickLabels(layout.labels);
    return layout;
}

// The labels in a batch whose box spans the area's height, whatever the
// ticks cover.
void FillScaleBatch(LabelBatch& batch, const AreaScaleLayout& layout, RECT area) {
    for (const TickLabel& label : layout.labels) {
        batch.Add(label.text, label.x, label.y);
    }
    batch.Add(std::string(), layout.x, static_cast<float>(area.top));
    batch.Add(std::string(), layout.x, static_cast<float>(area.bottom));
}

LabelStyle LegendStyle() {
    return LabelStyle::Aligned(kAlignNear, kAlignFar, kLegendFontSize * gLabelFontSizeMultiplier);
}

// No scale line here: the entries end with a line break of their own.
std::string LegendText(DecorationPainter::LegendTexts& texts) {
    while (!texts.legend.empty() && texts.legend.back() == '\n') {
        texts.legend.pop_back();
    }
    return texts.legend;
}

}  // namespace

PixelViewDecorations::AreaScale PixelViewDecorations::DrawAreaScale(
    DeviceGraphics& graphics, RECT area, const LinearPixelProjection& y, const ScaleStyle& style,
    int edgeX, const std::vector<LabelBox>& keepClearOf) {
    std::optional<AreaScaleLayout> layout = LayOutAreaScale(graphics, area, y, style, edgeX);
    if (!layout) {
        return AreaScale{};
    }
    DropTicksOver(layout->labels, keepClearOf);
    LabelBatch batch(graphics, layout->style);
    FillScaleBatch(batch, *layout, area);
    batch.Draw();
    AreaScale scale{batch.Measure().Truncated(), batch.TextBoxes()};
    if (style.rightSide) {
        // Every tick keeps its grid line, labelled or not.
        for (const double pixel : layout->pixels) {
            const double line[4] = {double(area.left), pixel, double(scale.box.right), pixel};
            graphics.DrawPolyline(line, 2, style.gridColour, 1.0, kGridOpacity);
        }
    }
    return scale;
}

RECT PixelViewDecorations::AreaScaleBox(DeviceGraphics& graphics, RECT area,
                                        const LinearPixelProjection& y, const ScaleStyle& style,
                                        int edgeX) {
    const std::optional<AreaScaleLayout> layout = LayOutAreaScale(graphics, area, y, style, edgeX);
    if (!layout) {
        return RECT{};
    }
    LabelBatch batch(graphics, layout->style);
    FillScaleBatch(batch, *layout, area);
    return batch.Measure().Truncated();
}

LabelBox PixelViewDecorations::AreaLegendBox(DeviceGraphics& graphics, RECT area,
                                             const std::vector<std::string>& entries, int left,
                                             int right) {
    DecorationPainter::LegendTexts texts = DecorationPainter::ComposeLegend(entries, std::string());
    const std::string text = LegendText(texts);
    if (text.empty()) {
        return LabelBox{};
    }
    LabelBatch legend(graphics, LegendStyle());
    legend.Add(text, static_cast<float>(left), static_cast<float>(area.bottom));
    const LabelBox box = legend.Measure();
    return 2.0 * box.Height() < area.bottom - area.top && box.right <= right ? box : LabelBox{};
}

void PixelViewDecorations::DrawAreaLegend(DeviceGraphics& graphics, RECT area,
                                          const std::vector<std::string>& entries, int left,
                                          int right) {
    DecorationPainter::LegendTexts texts = DecorationPainter::ComposeLegend(entries, std::string());
    if (!texts.warnings.empty()) {
        LabelStyle style = LabelStyle::Aligned(kAlignNear, kAlignNear, kWarningFontSize);
        style.boxColour = RGB(255, 0, 0);
        style.boxOpacity = 100;
        LabelBatch warnings(graphics, style);
        warnings.Add(texts.warnings, static_cast<float>(left), static_cast<float>(area.top));
        warnings.Draw();
    }
    const std::string text = LegendText(texts);
    if (text.empty()) {
        return;
    }
    LabelBatch legend(graphics, LegendStyle());
    legend.Add(text, static_cast<float>(left), static_cast<float>(area.bottom));
    const LabelBox box = legend.Measure();
    if (2.0 * box.Height() < area.bottom - area.top && box.right <= right) {
        legend.Draw();
    }
}

void PixelViewDecorations::DrawSeparator(DeviceGraphics& graphics, RECT first, RECT second,
                                         bool sideBySide) {
    if (sideBySide) {
        const double line[4] = {double(first.left), double(first.top), double(first.left),
                                double(first.bottom)};
        graphics.DrawPolyline(line, 2, RGB(0, 0, 0), 1.0, 255);
    } else {
        const double line[4] = {0.0, double(second.top), double(second.right), double(second.top)};
        graphics.DrawPolyline(line, 2, RGB(0, 0, 0), 1.0, 255);
    }
}

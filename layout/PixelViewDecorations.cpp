#include "layout/PixelViewDecorations.h"

#include <algorithm>
#include <cmath>

#include "drawing/DeviceGraphics.h"
#include "hostfamily/GenData.h"
#include "hostfamily/GenDataSampler.h"
#include "layout/DecorationPainter.h"
#include "layout/GenDataText.h"
#include "layout/LabelBatch.h"
#include "layout/LinearPixelProjection.h"
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

RECT PixelViewDecorations::DrawAreaScale(DeviceGraphics& graphics, RECT area,
                                         const LinearPixelProjection& y, const ScaleStyle& style,
                                         int edgeX) {
    const int height = area.bottom - area.top;
    const double low = y.ToWorld(area.bottom);
    const double high = y.ToWorld(area.top);
    if (height < 2 || !std::isfinite(low) || !std::isfinite(high) || low == high) {
        return RECT{};
    }
    const double hint = std::fabs(high - low) * kTickPixels / height;
    const GenData::CTableEchantillonnee table =
        GenData::CEchantillonneur(std::min(low, high), std::max(low, high), hint, style.kind,
                                  kScaleTicks)
            .CreerTableEchantillonnee();
    if (table.GetCount() < 2) {
        return RECT{};
    }
    const short fontSize = kScaleFontSize * gLabelFontSizeMultiplier;
    LabelBatch batch(graphics, LabelStyle::Aligned(style.rightSide ? kAlignFar : kAlignNear,
                                                   kAlignCenter, fontSize));
    // A tick on the area's edge keeps its label whole inside the area.
    const double inset = std::min(fontSize * 0.5 + 1.0, height * 0.5);
    const auto x = static_cast<float>(edgeX);
    std::vector<double> pixels;
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
        const double labelY = std::clamp(pixel, area.top + inset, area.bottom - inset);
        batch.Add(std::move(text), x, static_cast<float>(labelY));
        pixels.push_back(pixel);
    }
    // The box spans the area's height, whatever the ticks cover.
    batch.Add(std::string(), x, static_cast<float>(area.top));
    batch.Add(std::string(), x, static_cast<float>(area.bottom));
    batch.Draw();
    const RECT box = batch.Measure().Truncated();
    if (style.rightSide) {
        for (const double pixel : pixels) {
            const double line[4] = {double(area.left), pixel, double(box.right), pixel};
            graphics.DrawPolyline(line, 2, style.gridColour, 1.0, kGridOpacity);
        }
    }
    return box;
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
    // No scale line here: the entries end with a line break of their own.
    while (!texts.legend.empty() && texts.legend.back() == '\n') {
        texts.legend.pop_back();
    }
    if (texts.legend.empty()) {
        return;
    }
    LabelBatch legend(graphics, LabelStyle::Aligned(kAlignNear, kAlignFar,
                                                    kLegendFontSize * gLabelFontSizeMultiplier));
    legend.Add(texts.legend, static_cast<float>(left), static_cast<float>(area.bottom));
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

#include "echo/EtrColourBar.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "module/ModuleWideValues.h"

namespace {

constexpr const char* kFont = "Arial";
constexpr int kLevels = 16;
constexpr int kBoxWidth = 14;
constexpr int kPadding = 4;
constexpr int kGap = 4;
// The plate and the boxes' outlines, in palette colours.
constexpr BYTE kPlateOpacity = 110;
constexpr unsigned kOutlineColour = 23;
constexpr unsigned kTextColour = 17;

COLORREF ToColorRef(const EchoColour& c) {
    return RGB(c.r, c.g, c.b);
}

}  // namespace

EtrColourBar::EtrColourBar(const StyleTable& styles, std::vector<std::string> labels)
    : styles_(styles), labels_(std::move(labels)) {
    labels_.resize(kLevels);
}

int EtrColourBar::BoxHeight() const {
    return 12 * std::clamp<int>(gLabelFontSizeMultiplier, 1, 3);
}

double EtrColourBar::FontSize() const {
    return 10.0 * std::clamp<int>(gLabelFontSizeMultiplier, 1, 3);
}

SIZE EtrColourBar::Measure(VexanDevice* device) const {
    DeviceGraphics graphics(device);
    double widest = 0.0;
    for (const std::string& label : labels_) {
        double box[4] = {0, 0, 0, 0};
        graphics.MeasureText(0.0, 0.0, box, label.c_str(), kFont, FontSize(), kAlignNear,
                             kAlignCenter);
        widest = std::max(widest, box[2] - box[0]);
    }
    const int width = kPadding + kBoxWidth + kGap + static_cast<int>(std::ceil(widest)) + kPadding;
    return SIZE{width, kPadding * 2 + BoxHeight() * kLevels};
}

void EtrColourBar::Draw(VexanDevice* device, RECT area, int left, int top) const {
    const SIZE size = Measure(device);
    DeviceGraphics graphics(device);
    if (!graphics.CanDraw()) {
        return;
    }
    graphics.SetClip(area);
    graphics.FillRect(RECT{left, top, left + size.cx, top + size.cy}, RGB(0, 0, 0), kPlateOpacity);
    COLORREF outline = 0;
    styles_.GetColour(kOutlineColour, &outline);
    COLORREF text = 0;
    styles_.GetColour(kTextColour, &text);
    const int boxHeight = BoxHeight();
    for (int level = 0; level < kLevels; ++level) {
        const int y = top + kPadding + (kLevels - 1 - level) * boxHeight;
        const RECT box{left + kPadding, y, left + kPadding + kBoxWidth, y + boxHeight};
        const EchoColour colour = styles_.EchoShownColour(level);
        // Level 0 is water: the plate shows through, as the background does.
        if (colour.a != 0) {
            graphics.FillRect(box, ToColorRef(colour), colour.a);
        }
        graphics.DrawRectangle(box, outline, 255, 1.0);
        graphics.DrawText(box.right + kGap, y + boxHeight * 0.5, labels_[level].c_str(), kFont,
                          FontSize(), text, kAlignNear, kAlignCenter);
    }
}

#include "layout/LabelBatch.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "drawing/Palette.h"
#include "module/ModuleWideValues.h"

namespace {

constexpr BYTE kBorderOpacity = 150;

LONG Truncate(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<LONG>(std::clamp(value, double(INT_MIN), double(INT_MAX)));
}

}  // namespace

RECT LabelBox::Truncated() const {
    return RECT{Truncate(left), Truncate(top), Truncate(right), Truncate(bottom)};
}

COLORREF PaletteColorRef(unsigned index) {
    const std::uint32_t argb = PaletteColour(index, gDayNightMode);
    return RGB(static_cast<BYTE>(argb >> 16), static_cast<BYTE>(argb >> 8),
               static_cast<BYTE>(argb));
}

LabelBatch::LabelBatch(DeviceGraphics& graphics, const LabelStyle& style)
    : graphics_(graphics), style_(style) {}

void LabelBatch::Add(std::string text, float x, float y) {
    labels_.push_back(Label{std::move(text), x, y});
    measured_ = false;
}

LabelBox LabelBatch::Measure() {
    if (measured_) {
        return box_;
    }
    box_ = LabelBox{};
    bool first = true;
    for (const Label& label : labels_) {
        const LabelBox one = MeasureLabel(label.text, label.x, label.y);
        if (first) {
            box_ = one;
            first = false;
        } else {
            box_.left = std::min(box_.left, one.left);
            box_.top = std::min(box_.top, one.top);
            box_.right = std::max(box_.right, one.right);
            box_.bottom = std::max(box_.bottom, one.bottom);
        }
    }
    measured_ = true;
    return box_;
}

LabelBox LabelBatch::MeasureLabel(const std::string& text, float x, float y) const {
    if (text.empty()) {
        return LabelBox{x, y, x + 1.0, y + 1.0};
    }
    double rect[4] = {};
    graphics_.MeasureText(x, y, rect, text.c_str(), kFontName, style_.fontSize,
                          style_.horizontalAlignment, style_.verticalAlignment);
    return LabelBox{rect[0] - 1.0, rect[1] - 1.0, rect[2] + 1.0, rect[3] + 1.0};
}

std::vector<LabelBox> LabelBatch::TextBoxes() const {
    std::vector<LabelBox> boxes;
    for (const Label& label : labels_) {
        if (!label.text.empty()) {
            boxes.push_back(MeasureLabel(label.text, label.x, label.y));
        }
    }
    return boxes;
}

void LabelBatch::Draw() {
    const LabelBox box = Measure();
    if (!(box.Width() > 1.0 && box.Height() > 1.0)) {
        return;
    }
    const RECT r = box.Truncated();
    graphics_.FillRect(r, style_.boxColour, style_.boxOpacity);
    if (style_.border) {
        graphics_.DrawRectangle(r, RGB(0, 0, 0), kBorderOpacity, 1.0);
    }
    const COLORREF colour = PaletteColorRef(static_cast<unsigned>(style_.textColourIndex));
    for (const Label& label : labels_) {
        if (!label.text.empty()) {
            graphics_.DrawText(label.x, label.y, label.text.c_str(), kFontName, style_.fontSize,
                               colour, style_.horizontalAlignment, style_.verticalAlignment);
        }
    }
}

#include "layout/PlotrexOrganizerPixel.h"

#include <algorithm>

#include "drawing/DeviceGraphics.h"
#include "drawing/PlotrexDisplay.h"
#include "layout/LinearPixelProjection.h"

PlotrexOrganizerPixel::PlotrexOrganizerPixel(VexanDevice* device, CWnd* view, std::int16_t id)
    : device_(device), id_(id), view_(view) {}

PlotrexOrganizerPixel::~PlotrexOrganizerPixel() = default;

void PlotrexOrganizerPixel::SetArea(int left, int top, int right, int bottom) {
    area_ = RECT{left, top, right, bottom};
}

int PlotrexOrganizerPixel::StripWidth(PlotrexDisplay* side) {
    if (side == nullptr || !side->IsVisible()) {
        return 0;
    }
    const Margins margins = side->GetMargins();
    return std::max(margins.right - margins.left, 0);
}

void PlotrexOrganizerPixel::Draw(PlotrexDisplay* main, PlotrexDisplay* side, StyleTable* styles) {
    if (device_ == nullptr) {
        return;
    }
    // Both work in pixels of the area: no data axes.
    const LinearPixelProjection none;
    const int strip = std::min<int>(StripWidth(side), std::max<int>(area_.right - area_.left, 0));
    if (main != nullptr) {
        RECT pane = area_;
        pane.right -= strip;
        main->Draw(0, device_, pane, none, none, styles);
    }
    if (side == nullptr || !side->IsVisible()) {
        return;
    }
    side->Draw(0, device_, area_, none, none, styles);
    const double edge = area_.right - strip;
    const double line[4] = {edge, double(area_.top), edge, double(area_.bottom)};
    DeviceGraphics graphics(device_);
    graphics.DrawPolyline(line, 2, RGB(0, 0, 0), 1.0, 255);
}

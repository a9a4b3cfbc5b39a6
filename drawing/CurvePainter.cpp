#include "drawing/CurvePainter.h"

#include "drawing/DeviceGraphics.h"
#include "graphdata/ProfileSeries.h"
#include "layout/LinearPixelProjection.h"

Curve CurvePainter::BuildCurve(double from, double to, RECT area, const LinearPixelProjection& x,
                               const LinearPixelProjection& y, double distanceOffset,
                               float valueOffset, int maxSamples) const {
    Curve curve;
    if (series_ == nullptr) {
        return curve;
    }
    const double offset = valueOffset == kUndefinedFloat ? 0.0 : valueOffset;
    int first = 0;
    int last = 0;
    series_->GetIndexRange(from - distanceOffset, to - distanceOffset, &first, &last);

    int step = 1;
    if (maxSamples > 0 && last - first > maxSamples) {
        while ((last - first) / step > maxSamples) {
            step *= 2;
        }
        // On multiples of the step: the samples taken do not depend on the window.
        first = (first / step) * step;
        last = (last / step + 1) * step;
        if (last >= series_->GetCount()) {
            last = series_->GetCount() - 1;
        }
    }
    if (last - first + 1 < 2) {
        return curve;
    }
    // A gap can add a second point to a sample.
    curve.xy.reserve(4 * static_cast<std::size_t>((last - first) / step + 1));
    const double bottom = area.bottom;
    auto add = [&curve](double px, double py) {
        curve.xy.push_back(px);
        curve.xy.push_back(py);
    };
    for (int i = first; i <= last; i += step) {
        const ProfilePoint& p = series_->At(i);
        if (IsUndefined(p.distance)) {
            continue;
        }
        const double px = x.ToPixel(p.distance + distanceOffset);
        // The neighbour decides whether the curve leaves or rejoins the bottom.
        const ProfilePoint* next = i + 1 < last ? &series_->At(i + 1) : nullptr;
        if (!IsUndefined(p.value)) {
            add(px, y.ToPixel(p.value - offset));
            if (next != nullptr && IsUndefined(next->value)) {
                add(px, bottom);
            }
        } else {
            add(px, bottom);
            if (next != nullptr && !IsUndefined(next->value)) {
                add(px, y.ToPixel(next->value - offset));
            }
        }
    }
    return curve;
}

void CurvePainter::Paint(RECT area, double from, double to, const LinearPixelProjection& x,
                         const LinearPixelProjection& y, int mode, COLORREF colour, BYTE opacity,
                         double distanceOffset, float valueOffset) const {
    if (series_ == nullptr || graphics_ == nullptr) {
        return;
    }
    const Curve curve = BuildCurve(from, to, area, x, y, distanceOffset, valueOffset, kMaxSamples);
    if (curve.Count() < 2) {
        return;
    }
    if (mode == kLine) {
        graphics_->DrawPolyline(curve.xy.data(), curve.Count(), colour, 2.0, 255);
    } else if (mode == kFill) {
        graphics_->FillUnderCurve(curve.xy.data(), area.bottom, curve.Count(), colour, opacity);
    }
}

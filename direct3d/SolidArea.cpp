#include "direct3d/SolidArea.h"

#include <algorithm>
#include <cstdint>

namespace d3d9soft {

namespace {

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

std::int64_t Area(const RECT& r) {
    return IsEmpty(r) ? 0 : std::int64_t{r.right - r.left} * (r.bottom - r.top);
}

}  // namespace

void SolidArea::Filled(const RECT& rect, std::uint32_t colour) {
    rect_ = IsEmpty(rect) ? RECT{0, 0, 0, 0} : rect;
    colour_ = colour;
}

void SolidArea::Touched(const RECT& t) {
    const RECT& k = rect_;
    if (IsEmpty(t) || t.right <= k.left || t.left >= k.right || t.bottom <= k.top ||
        t.top >= k.bottom) {
        return;
    }
    // What is left of the known rectangle is not one rectangle in general:
    // keep its largest side, so that strips drawn across it one after the
    // other leave the rest known.
    const RECT pieces[4] = {
        RECT{k.left, k.top, t.left, k.bottom}, RECT{t.right, k.top, k.right, k.bottom},
        RECT{k.left, k.top, k.right, t.top}, RECT{k.left, t.bottom, k.right, k.bottom}};
    RECT best{0, 0, 0, 0};
    for (const RECT& p : pieces) {
        if (Area(p) > Area(best)) {
            best = p;
        }
    }
    rect_ = best;
}

bool SolidArea::Covers(const RECT& r) const {
    return !IsEmpty(rect_) && !IsEmpty(r) && r.left >= rect_.left && r.right <= rect_.right &&
           r.top >= rect_.top && r.bottom <= rect_.bottom;
}

}  // namespace d3d9soft

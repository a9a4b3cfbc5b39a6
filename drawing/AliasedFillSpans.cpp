#include "drawing/AliasedFillSpans.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr std::int64_t kOne = 256;  // 24.8 fixed point

// Floor of a fixed value in pixels.
std::int64_t Pixel(std::int64_t fixed) {
    return fixed >= 0 ? fixed / kOne : -((-fixed - 1) / kOne) - 1;
}

// The pixel whose centre is nearest, halves going down: Cairo's sampling.
std::int64_t NearestPixel(std::int64_t fixed) {
    return Pixel(fixed + kOne / 2 - 1);
}

std::int64_t CeilPixel(std::int64_t fixed) {
    return -Pixel(-fixed);
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

// On the line through (a1, b1) and (a2, b2), the b where a reaches at;
// Cairo truncates here.
std::int32_t Along(std::int32_t a1, std::int32_t b1, std::int32_t a2, std::int32_t b2,
                   std::int32_t at) {
    if (at == a1) {
        return b1;
    }
    if (at == a2) {
        return b2;
    }
    return static_cast<std::int32_t>(b1 + (std::int64_t{at} - a1) * (std::int64_t{b2} - b1) /
                                              (std::int64_t{a2} - a1));
}

std::int32_t XForY(AliasedFillSpans::FixedPoint p1, AliasedFillSpans::FixedPoint p2,
                   std::int32_t y) {
    return Along(p1.y, p1.x, p2.y, p2.x, y);
}

std::int32_t YForX(AliasedFillSpans::FixedPoint p1, AliasedFillSpans::FixedPoint p2,
                   std::int32_t x) {
    return Along(p1.x, p1.y, p2.x, p2.y, x);
}

// A side of the clip, and whether an edge reaches beyond it.
struct Side {
    std::int32_t x;
    int outward;  // -1 for the left side, 1 for the right
    bool crossed;
    AliasedFillSpans::FixedPoint from;
    AliasedFillSpans::FixedPoint to;
};

// The y where the edge meets the side, moved by step while the edge there
// still lies beyond it.
std::int32_t Crossing(AliasedFillSpans::FixedPoint p1, AliasedFillSpans::FixedPoint p2,
                      const Side& side, int step) {
    const std::int32_t y = YForX(p1, p2, side.x);
    const std::int32_t x = XForY(p1, p2, y);
    const bool beyond = side.outward < 0 ? x < side.x : x > side.x;
    return beyond ? y + step : y;
}

}  // namespace

std::int32_t AliasedFillSpans::ToFixed(double device) {
    return static_cast<std::int32_t>(std::nearbyint(device * static_cast<double>(kOne)));
}

void AliasedFillSpans::AddEdge(FixedPoint p1, FixedPoint p2, std::int32_t top,
                               std::int32_t bottom) {
    edges_.push_back(Edge{p1, p2, top, bottom});
}

// Parts of the edge beyond the clip's sides become pieces of those sides, so
// that every crossing of a row lies within the clip.
void AliasedFillSpans::AddClippedEdge(FixedPoint p1, FixedPoint p2, const RECT& limits) {
    const std::int32_t left = static_cast<std::int32_t>(limits.left * kOne);
    const std::int32_t right = static_cast<std::int32_t>(limits.right * kOne);
    const std::int32_t upper = static_cast<std::int32_t>(limits.top * kOne);
    const std::int32_t lower = static_cast<std::int32_t>(limits.bottom * kOne);
    if (p2.y <= upper || p1.y >= lower) {
        return;
    }
    std::int32_t top = std::max(p1.y, upper);
    std::int32_t bottom = std::min(p2.y, lower);
    const FixedPoint leftTop{left, upper};
    const FixedPoint leftBottom{left, lower};
    const FixedPoint rightTop{right, upper};
    const FixedPoint rightBottom{right, lower};
    const std::int32_t low = std::min(p1.x, p2.x);
    const std::int32_t high = std::max(p1.x, p2.x);
    if (left <= low && high <= right) {
        AddEdge(p1, p2, top, bottom);
        return;
    }
    if (high <= left) {
        AddEdge(leftTop, leftBottom, top, bottom);
        return;
    }
    if (right <= low) {
        AddEdge(rightTop, rightBottom, top, bottom);
        return;
    }
    // The edge leaves through one side above and the other below: the
    // pieces beyond become pieces of those sides.
    const bool rightward = p1.x <= p2.x;
    const Side leftSide{left, -1, low < left, leftTop, leftBottom};
    const Side rightSide{right, 1, high > right, rightTop, rightBottom};
    const Side& sideAbove = rightward ? leftSide : rightSide;
    const Side& sideBelow = rightward ? rightSide : leftSide;
    const std::int32_t upperY =
        std::min(sideAbove.crossed ? Crossing(p1, p2, sideAbove, 1) : top, bottom);
    if (top < upperY) {
        AddEdge(sideAbove.from, sideAbove.to, top, upperY);
        top = upperY;
    }
    const std::int32_t lowerY =
        std::max(sideBelow.crossed ? Crossing(p1, p2, sideBelow, -1) : bottom, top);
    if (bottom > lowerY) {
        AddEdge(sideBelow.from, sideBelow.to, lowerY, bottom);
        bottom = lowerY;
    }
    if (top != bottom) {
        AddEdge(p1, p2, top, bottom);
    }
}

bool AliasedFillSpans::Build(const std::vector<FixedPoint>& points, RECT clip) {
    spans_.clear();
    edges_.clear();
    const std::size_t n = points.size();
    bool sloped = false;
    std::int64_t minX = INT64_MAX;
    std::int64_t maxX = INT64_MIN;
    std::int64_t minY = INT64_MAX;
    std::int64_t maxY = INT64_MIN;
    for (std::size_t i = 0; i < n; ++i) {
        const FixedPoint p = points[i];
        const FixedPoint q = points[(i + 1) % n];
        sloped = sloped || (p.x != q.x && p.y != q.y);
        minX = std::min<std::int64_t>(minX, p.x);
        maxX = std::max<std::int64_t>(maxX, p.x);
        minY = std::min<std::int64_t>(minY, p.y);
        maxY = std::max<std::int64_t>(maxY, p.y);
    }
    if (!sloped) {
        return false;
    }
    if (clip.right <= clip.left || clip.bottom <= clip.top) {
        return true;
    }
    // The edges are cut only where the shape reaches beyond the area.
    const bool inside = (Pixel(minX) >= clip.left && CeilPixel(maxX) <= clip.right &&
                         Pixel(minY) >= clip.top && CeilPixel(maxY) <= clip.bottom);
    for (std::size_t i = 0; i < n; ++i) {
        FixedPoint p = points[i];
        FixedPoint q = points[(i + 1) % n];
        if (p.y == q.y) {
            continue;
        }
        if (p.y > q.y) {
            std::swap(p, q);
        }
        if (inside) {
            AddEdge(p, q, p.y, q.y);
        } else {
            AddClippedEdge(p, q, clip);
        }
    }
    if (edges_.empty()) {
        return true;
    }
    // Spans stay within the extent of the edges as cut.
    std::int64_t left = INT64_MAX;
    std::int64_t right = INT64_MIN;
    std::int64_t upper = INT64_MAX;
    std::int64_t lower = INT64_MIN;
    for (const Edge& e : edges_) {
        for (const std::int32_t x : {XForY(e.p1, e.p2, e.top), XForY(e.p1, e.p2, e.bottom)}) {
            left = std::min<std::int64_t>(left, x);
            right = std::max<std::int64_t>(right, x);
        }
        upper = std::min<std::int64_t>(upper, e.top);
        lower = std::max<std::int64_t>(lower, e.bottom);
    }
    RECT area{static_cast<LONG>(std::max<std::int64_t>(Pixel(left), clip.left)),
              static_cast<LONG>(std::max<std::int64_t>(Pixel(upper), clip.top)),
              static_cast<LONG>(std::min<std::int64_t>(CeilPixel(right), clip.right)),
              static_cast<LONG>(std::min<std::int64_t>(CeilPixel(lower), clip.bottom))};
    if (area.right > area.left && area.bottom > area.top) {
        ScanRows(area);
    }
    return true;
}

void AliasedFillSpans::ScanRows(RECT area) {
    // Each edge serves the rows from the one nearest its top to the one
    // nearest its bottom, sampled just above their centres. Its crossings go
    // to their rows' places in one array, counted first; an edge visits only
    // its own rows, and a row's crossings lie together.
    const int rows = area.bottom - area.top;
    // One more place than rows + 1, for the ends at the last row.
    rowEnds_.assign(static_cast<std::size_t>(rows) + 2, 0);
    for (Edge& e : edges_) {
        e.firstRow =
            static_cast<int>(std::clamp<std::int64_t>(NearestPixel(e.top), area.top, area.bottom));
        e.endRow = static_cast<int>(
            std::clamp<std::int64_t>(NearestPixel(e.bottom), area.top, area.bottom));
        if (e.firstRow < e.endRow) {
            ++rowEnds_[static_cast<std::size_t>(e.firstRow - area.top) + 1];
            --rowEnds_[static_cast<std::size_t>(e.endRow - area.top) + 1];
        }
    }
    // Edges starting minus edges ended, summed: the crossings of each row,
    // then summed again: where each row's crossings end.
    std::int32_t live = 0;
    std::int32_t total = 0;
    for (std::size_t r = 1; r < rowEnds_.size(); ++r) {
        live += rowEnds_[r];
        total += live;
        rowEnds_[r] = total;
    }
    rowEnds_.pop_back();
    crossings_.resize(static_cast<std::size_t>(total));
    cursor_.assign(rowEnds_.begin(), rowEnds_.end() - 1);
    for (const Edge& e : edges_) {
        if (e.firstRow >= e.endRow) {
            continue;
        }
        // Where it crosses each row, exactly: x + (remainder + dy) / dy, with
        // remainder in [-dy, 0), stepping from row to row.
        const std::int64_t dy = std::int64_t{e.p2.y} - e.p1.y;
        const std::int64_t dx = std::int64_t{e.p2.x} - e.p1.x;
        const std::int64_t along = (std::int64_t{e.firstRow} * kOne + kOne / 2 - 1 - e.p1.y) * dx;
        std::int64_t x = e.p1.x + FloorDiv(along, dy);
        std::int64_t remainder = along - FloorDiv(along, dy) * dy - dy;
        const std::int64_t stepX = FloorDiv(dx * kOne, dy);
        const std::int64_t stepRemainder = dx * kOne - stepX * dy;
        std::int32_t* at = cursor_.data() + (e.firstRow - area.top);
        for (int y = e.firstRow; y < e.endRow; ++y, ++at) {
            crossings_[static_cast<std::size_t>((*at)++)] =
                static_cast<std::int32_t>(NearestPixel(x));
            x += stepX;
            remainder += stepRemainder;
            if (remainder >= 0) {
                ++x;
                remainder -= dy;
            }
        }
    }
    for (int y = area.top; y < area.bottom; ++y) {
        std::int32_t* const first =
            crossings_.data() + rowEnds_[static_cast<std::size_t>(y - area.top)];
        std::int32_t* const last =
            crossings_.data() + rowEnds_[static_cast<std::size_t>(y - area.top) + 1];
        // In the polygon's order, a row's crossings are nearly sorted: a
        // curve's run left to right, the sides closing it out of place.
        for (std::int32_t* i = first + 1; i < last; ++i) {
            const std::int32_t x = *i;
            std::int32_t* j = i;
            for (; j > first && *(j - 1) > x; --j) {
                *j = *(j - 1);
            }
            *j = x;
        }
        std::int64_t start = INT64_MIN;
        bool insideShape = false;
        for (const std::int32_t* k = first; k < last; ++k) {
            const std::int64_t x = *k;
            insideShape = !insideShape;
            if (!insideShape) {
                const std::int64_t next = k + 1 < last ? *(k + 1) : INT64_MAX;
                // A gap of one pixel is closed.
                if (next > x + 1) {
                    const std::int64_t x0 = std::max<std::int64_t>(start, area.left);
                    const std::int64_t x1 = std::min<std::int64_t>(x, area.right);
                    if (x1 > x0) {
                        if (!spans_.empty() && spans_.back().y == y && spans_.back().x1 == x0) {
                            spans_.back().x1 = static_cast<int>(x1);
                        } else {
                            spans_.push_back(Span{y, static_cast<int>(x0), static_cast<int>(x1)});
                        }
                    }
                    start = INT64_MIN;
                }
            } else if (start == INT64_MIN) {
                start = x;
            }
        }
    }
}

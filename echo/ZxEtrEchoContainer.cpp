#include "echo/ZxEtrEchoContainer.h"

namespace {

constexpr double kNotPlaced = -1.0;

}  // namespace

void ZxEtrEchoContainer::AddSweep(ZxEtrEcho& sweep) {
    sweep.distance = kNotPlaced;
    sweep.number = static_cast<std::int32_t>(nextNumber_);
    // The depth range follows the sweeps still held: once the deepest one
    // drops out, a search far below the bottom no longer stretches the view.
    const bool dropsDeepest =
        size() >= GetCapacity() && !empty() && front().windowBottom <= deepestBottom_;
    Push(sweep);
    ++nextNumber_;
    if (dropsDeepest) {
        deepestBottom_ = 0.0;
        for (const ZxEtrEcho& held : *this) {
            if (held.windowBottom < deepestBottom_) {
                deepestBottom_ = held.windowBottom;
            }
        }
    } else if (sweep.windowBottom < deepestBottom_) {
        // A bottom that is not a number compares false and changes nothing.
        deepestBottom_ = sweep.windowBottom;
    }
    if (pendingCount_ < kMaxPending) {
        ++pendingCount_;
    }
}

bool ZxEtrEchoContainer::PlaceSweeps(double distance) {
    if (empty() || distance == lastDistance_ || pendingCount_ <= 0) {
        lastDistance_ = distance;
        return false;
    }
    const double step = (distance - lastDistance_) / pendingCount_;
    double x = distance;
    bool placed = false;
    for (auto it = rbegin(); it != rend() && pendingCount_ > 0; ++it) {
        if (it->distance == kNotPlaced) {
            it->distance = x;
            --pendingCount_;
            x -= step;
            placed = true;
        }
    }
    pendingCount_ = 0;
    lastDistance_ = distance;
    return placed;
}

Extent ZxEtrEchoContainer::GetExtent() const {
    Extent extent;
    if (empty()) {
        return extent;
    }
    const double oldest = front().distance;
    extent.minX = oldest < 0.0 ? 0.0 : oldest;
    extent.maxX = lastDistance_;
    extent.minY = deepestBottom_;
    extent.maxY = 0.0;
    return extent;
}

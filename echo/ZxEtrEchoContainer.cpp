#include "echo/ZxEtrEchoContainer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNotPlaced = -1.0;

}  // namespace

void ZxEtrEchoContainer::AddSweep(ZxEtrEcho& sweep) {
    sweep.distance = kNotPlaced;
    sweep.number = static_cast<std::int32_t>(nextNumber_);
    if (empty()) {
        deepest_.clear();  // numbers may start over after a Resume
    }
    Push(sweep);
    ++nextNumber_;
    // The depth range follows the sweeps still held: once the deepest one
    // drops out, a search far below the bottom no longer stretches the view.
    // A bottom that is not a number compares false and never counts.
    if (!std::isnan(sweep.windowBottom)) {
        while (!deepest_.empty() && deepest_.back().bottom >= sweep.windowBottom) {
            deepest_.pop_back();
        }
        deepest_.push_back(DeepCandidate{sweep.number, sweep.windowBottom});
    }
    const auto held = static_cast<std::uint32_t>(size());
    while (!deepest_.empty() &&
           nextNumber_ - 1 - static_cast<std::uint32_t>(deepest_.front().number) >= held) {
        deepest_.pop_front();
    }
    deepestBottom_ = deepest_.empty() ? 0.0 : std::min(0.0, deepest_.front().bottom);
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

#include "host/app/ShallowWatch.h"

#include <algorithm>
#include <cmath>

#include "hostfamily/Undefined.h"
#include "units/Geodesy.h"
#include "units/UnitConversion.h"

namespace {

bool HasDepth(const DepthQueryPoint& point) {
    return std::isfinite(point.depth) && !IsUndefined(point.depth) && point.depth > 0.0;
}

}  // namespace

std::optional<ShallowWatch::Ahead> ShallowWatch::FirstBelow(
    const std::vector<DepthQueryPoint>& points, double limit) {
    for (const DepthQueryPoint& point : points) {
        if (!HasDepth(point) || point.depth >= limit) {
            continue;
        }
        double course = 0.0;
        double radians = 0.0;
        const DepthQueryPoint& ship = points.front();
        if (!ComputeCourseDistance(ship.first, ship.second, point.first, point.second, &course,
                                   &radians, kGreatCircle)) {
            radians = 0.0;
        }
        return Ahead{Convert(radians, kUnitRadianOfArc, kUnitMetre), point.depth};
    }
    return std::nullopt;
}

bool ShallowWatch::Look(const std::vector<DepthQueryPoint>& points, double time) {
    if (points.empty()) {
        return false;
    }
    const std::optional<Ahead> shallow = FirstBelow(points, Limit());
    if (!current_) {
        if (!shallow) {
            return false;
        }
        current_ = shallow;
        const DepthQueryPoint& ship = points.front();
        warnings_.push_back(
            Warning{time, PosType(ship.first, ship.second), *shallow, shallow->depth});
        return true;
    }
    // In force: it holds while any point is within a metre of the limit.
    const std::optional<Ahead> near = shallow ? shallow : FirstBelow(points, Limit() + kClearing);
    if (!near) {
        current_.reset();
        return true;
    }
    warnings_.back().shallowest = std::min(warnings_.back().shallowest, near->depth);
    const bool moved = std::lround(near->distance) != std::lround(current_->distance) ||
                       std::lround(near->depth * 10.0) != std::lround(current_->depth * 10.0);
    current_ = near;
    return moved;
}

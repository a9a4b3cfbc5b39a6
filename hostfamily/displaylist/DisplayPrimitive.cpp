#include "hostfamily/displaylist/DisplayPrimitive.h"

#include <cmath>

#include "hostfamily/displaylist/ChartProjection.h"
#include "hostfamily/displaylist/DisplayPrimitiveContainer.h"

namespace {

bool HasPosition(const PosType& p) {
    return !p.IsNoPos() && std::isfinite(p.First()) && std::isfinite(p.Second());
}

// Liang-Barsky on (longitude, latitude): whether the segment from a to b
// touches the rectangle.
bool SegmentTouches(const PosType& a, const PosType& b, const ValidGeoRect& r) {
    const double x0 = a.Second(), y0 = a.First();
    const double dx = b.Second() - x0, dy = b.First() - y0;
    double low = 0.0, high = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - r.West(), r.East() - x0, y0 - r.South(), r.North() - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            low = std::max(low, t);
        } else {
            high = std::min(high, t);
        }
        if (low > high) {
            return false;
        }
    }
    return true;
}

bool Inside(const PosType& p, const ValidGeoRect& r) {
    return p.First() >= r.South() && p.First() <= r.North() && p.Second() >= r.West() &&
           p.Second() <= r.East();
}

// The run's points without those closer than a pixel to the last one kept;
// both ends stay.
std::vector<PosType> Thinned(const std::vector<PosType>& run, const ChartProjection& chart) {
    if (!chart.IsValid() || run.size() <= 2) {
        return run;
    }
    std::vector<PosType> kept{run.front()};
    ChartPoint last = chart.ToPixel(run.front());
    for (std::size_t i = 1; i + 1 < run.size(); ++i) {
        const ChartPoint here = chart.ToPixel(run[i]);
        if (std::hypot(here.x - last.x, here.y - last.y) >= 1.0) {
            kept.push_back(run[i]);
            last = here;
        }
    }
    kept.push_back(run.back());
    return kept;
}

}  // namespace

void DisplayPrimitive::SetAttribute(const std::string& name, DisplayAttribute value) {
    attributes_[name] = std::move(value);
}

bool DisplayPrimitive::HasAttribute(const std::string& name) const {
    return attributes_.count(name) != 0;
}

bool DisplayPrimitive::GetInteger(const std::string& name, std::int32_t& out) const {
    const auto it = attributes_.find(name);
    if (it == attributes_.end() || !std::holds_alternative<std::int32_t>(it->second)) {
        return false;
    }
    out = std::get<std::int32_t>(it->second);
    return true;
}

bool DisplayPrimitive::GetNumber(const std::string& name, double& out) const {
    const auto it = attributes_.find(name);
    if (it == attributes_.end()) {
        return false;
    }
    if (const auto* number = std::get_if<double>(&it->second)) {
        out = *number;
        return true;
    }
    if (const auto* integer = std::get_if<std::int32_t>(&it->second)) {
        out = *integer;
        return true;
    }
    return false;
}

bool DisplayPrimitive::GetText(const std::string& name, std::string& out) const {
    const auto it = attributes_.find(name);
    if (it == attributes_.end() || !std::holds_alternative<std::string>(it->second)) {
        return false;
    }
    out = std::get<std::string>(it->second);
    return true;
}

DisplayPrimitive DisplayPrimitive::WithPoints(std::vector<PosType> points) const {
    DisplayPrimitive copy(geometry_);
    copy.points_ = std::move(points);
    copy.attributes_ = attributes_;
    return copy;
}

int DisplayPrimitive::OptimizeInto(DisplayPrimitiveContainer& container, const ValidGeoRect& chart,
                                   double scale) const {
    if (!chart.IsValid()) {
        // Nothing to clip against: the host gets it as it is.
        container.Add(*this);
        return 1;
    }
    if (geometry_ == kGeometryLine) {
        return OptimizeLine(container, chart, scale);
    }
    if (geometry_ == kGeometryPoint) {
        return OptimizePoint(container, chart, scale);
    }
    container.Add(*this);
    return 1;
}

int DisplayPrimitive::OptimizeLine(DisplayPrimitiveContainer& container, const ValidGeoRect& chart,
                                   double scale) const {
    const ChartProjection projection(chart, scale);
    int made = 0;
    std::vector<PosType> run;
    auto finish = [&] {
        if (run.size() >= 2) {
            container.Add(WithPoints(Thinned(run, projection)));
            ++made;
        }
        run.clear();
    };
    for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
        const PosType& a = points_[i];
        const PosType& b = points_[i + 1];
        if (!HasPosition(a) || !HasPosition(b) || !SegmentTouches(a, b, chart)) {
            finish();
            continue;
        }
        if (run.empty()) {
            run.push_back(a);
        }
        run.push_back(b);
    }
    finish();
    return made;
}

int DisplayPrimitive::OptimizePoint(DisplayPrimitiveContainer& container, const ValidGeoRect& chart,
                                    double scale) const {
    if (points_.empty() || !HasPosition(points_.front())) {
        return 0;
    }
    const PosType& at = points_.front();
    const ChartProjection projection(chart, scale);
    bool shown = Inside(at, chart);
    if (projection.IsValid()) {
        double size = 0.0;
        const double margin = GetNumber(kAttributeSize, size) && size > 0.0 ? size / 2.0 : 0.0;
        const ChartPoint p = projection.ToPixel(at);
        shown = p.x >= -margin && p.x <= projection.Width() + margin && p.y >= -margin &&
                p.y <= projection.Height() + margin;
    }
    if (!shown) {
        return 0;
    }
    container.Add(*this);
    return 1;
}

#include "graphdata/ProfileSeries.h"

#include <algorithm>
#include <cmath>

#include "units/Geodesy.h"

namespace {

// 0.05 minute of arc: 0.05 nautical mile on the sphere.
constexpr double kNearTrackLimit = 1.4544410838021174e-5;

// a + t (b - a), exact at the ends, undefined when an end it needs is.
double Lerp(double a, double b, double t) {
    if (t == 0.0) {
        return a;
    }
    if (t == 1.0) {
        return b;
    }
    if (IsUndefined(a) || IsUndefined(b)) {
        return kUndefined;
    }
    return a + t * (b - a);
}

double SquaredDistance(double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    return dx * dx + dy * dy;
}

}  // namespace

void ProfileSeries::SetCountLimit(unsigned limit) {
    countLimit_ = limit;
}

void ProfileSeries::Clear() {
    points_.clear();
    points_.shrink_to_fit();
    extent_ = Extent();
    added_ = 0;
}

void ProfileSeries::Add(ProfilePoint p) {
    if (IsUndefined(p.distance)) {
        if (points_.empty()) {
            p.distance = 0.0;
        } else if (!p.position.IsNoPos()) {
            const ProfilePoint& last = points_.back();
            double course = 0.0;
            double step = 0.0;
            // A last point without distance or position gives no base to add to.
            if (!IsUndefined(last.distance) &&
                ComputeCourseDistance(last.position.First(), last.position.Second(),
                                      p.position.First(), p.position.Second(), &course, &step,
                                      kGreatCircle)) {
                p.distance = last.distance + step;
            }
        }
    }
    points_.push_back(p);
    ++added_;
    extent_.Add(p.distance, p.value);
    Trim();
}

void ProfileSeries::Trim() {
    if (countLimit_ == 0) {
        return;
    }
    const std::size_t keep = countLimit_ + countLimit_ / 10;
    if (points_.size() <= keep) {
        return;
    }
    // The kept points stay exactly as they were; only the extent is rebuilt.
    points_.erase(points_.begin(), points_.end() - static_cast<std::ptrdiff_t>(keep));
    extent_ = Extent();
    for (const ProfilePoint& point : points_) {
        extent_.Add(point.distance, point.value);
    }
}

bool ProfileSeries::Contains(double d) const {
    if (points_.empty()) {
        return false;
    }
    return points_.front().distance <= d && d <= points_.back().distance;
}

int ProfileSeries::FindIndex(double d, bool lower) const {
    const int n = GetCount();
    if (n == 0) {
        return -1;
    }
    if (d < At(0).distance) {
        return 0;
    }
    if (d >= At(n - 1).distance) {
        return lower ? n - 2 : n - 1;
    }
    int lo = 0;
    int hi = n - 1;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        const double at = At(mid).distance;
        if (at == d) {
            lo = mid;
            hi = mid + 1;
            break;
        }
        if (d < at) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return lower ? lo : hi;
}

bool ProfileSeries::GetIndexRange(double from, double to, int* first, int* last) const {
    const int n = GetCount();
    *first = 0;
    *last = n - 1;
    if (n == 0) {
        return true;
    }
    auto above = [](double d, const ProfilePoint& p) { return d < p.distance; };
    const auto j = std::upper_bound(points_.begin(), points_.end(), from, above);
    if (j == points_.end()) {
        return true;
    }
    const int jIndex = static_cast<int>(j - points_.begin());
    *first = jIndex == 0 ? 0 : jIndex - 1;
    const auto k = std::upper_bound(j, points_.end(), to, above);
    const int kIndex = static_cast<int>(k - points_.begin());
    *last = std::min(kIndex + 1, n - 1);
    return true;
}

ProfilePoint ProfileSeries::Interpolate(double d) const {
    ProfilePoint result;
    const int n = GetCount();
    const int i = FindIndex(d, true);
    if (i < 0 || i >= n - 1) {
        return result;
    }
    const ProfilePoint& p = At(i);
    const ProfilePoint& q = At(i + 1);
    const double span = q.distance - p.distance;
    // A segment of no length has no direction to go along: stay at its start.
    double t = span != 0.0 ? (d - p.distance) / span : 0.0;
    if (t < 0.0 || std::isnan(t)) {
        t = 0.0;
    }
    if (t == 0.0) {
        result.position = p.position;
    } else if (t == 1.0) {
        result.position = q.position;
    } else if (!p.position.IsNoPos() && !q.position.IsNoPos()) {
        result.position = PosType(Lerp(p.position.First(), q.position.First(), t),
                                  Lerp(p.position.Second(), q.position.Second(), t));
    }
    result.value = Lerp(p.value, q.value, t);
    result.distance = Lerp(p.distance, q.distance, t);
    return result;
}

double ProfileSeries::DistanceAtPosition(const PosType& pos, double* course, bool limit) const {
    const int n = GetCount();
    double best = 99999.0;
    double result = -1.0;
    int found = -1;
    const double x = pos.First();
    const double y = pos.Second();
    for (int i = 0; i < n; ++i) {
        const PosType& at = At(i).position;
        if (at.IsNoPos()) {
            continue;
        }
        const double d2 = SquaredDistance(x, y, at.First(), at.Second());
        if (d2 < best) {
            best = d2;
            result = At(i).distance;
            found = i;
        }
    }
    for (int i = 0; i + 1 < n; ++i) {
        const PosType& a = At(i).position;
        const PosType& b = At(i + 1).position;
        if (a.IsNoPos() || b.IsNoPos()) {
            continue;
        }
        const double vx = b.First() - a.First();
        const double vy = b.Second() - a.Second();
        const double length2 = vx * vx + vy * vy;
        const double t =
            length2 == 0.0 ? 0.0 : ((x - a.First()) * vx + (y - a.Second()) * vy) / length2;
        if (t < 0.0 || t >= 1.0) {
            continue;
        }
        const double d2 = SquaredDistance(x, y, a.First() + t * vx, a.Second() + t * vy);
        if (d2 < best) {
            best = d2;
            result = At(i).distance + t * (At(i + 1).distance - At(i).distance);
            found = i;
        }
    }
    if (limit && std::sqrt(best) >= kNearTrackLimit) {
        result = -1.0;
    }
    if (course != nullptr && found >= 0 && n >= 2) {
        const int from = found == n - 1 ? n - 2 : found;
        const PosType& a = At(from).position;
        const PosType& b = At(from + 1).position;
        double length = 0.0;
        ComputeCourseDistance(a.First(), a.Second(), b.First(), b.Second(), course, &length,
                              kGreatCircle);
    }
    return result;
}

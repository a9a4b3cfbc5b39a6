#include "graphdata/PlotrexDataProfileHistoric.h"

#include <cmath>

#include "drawing/PlotrexDisplayProfileHistoric.h"
#include "units/Geodesy.h"

namespace {

// Half a turn less a hair: the sector of headings that run with the track.
constexpr double kAcrossTrack = kHalfPi - 1e-6;

bool Usable(double value) {
    return std::isfinite(value) && !IsUndefined(value);
}

}  // namespace

PlotrexDataProfileHistoric::PlotrexDataProfileHistoric(DistanceTracker* tracker,
                                                       const char* nameKey, const char* unitKey)
    : PlotrexData(tracker, nameKey, unitKey) {}

PlotrexDisplay* PlotrexDataProfileHistoric::CreateDisplay() {
    return new PlotrexDisplayProfileHistoric(this);
}

void PlotrexDataProfileHistoric::Update() {
    if (mode_ != 0 || GetDistanceTracker() == nullptr) {
        return;
    }
    Match();
    ModifyDisplays();
}

bool PlotrexDataProfileHistoric::GetValueAt(double distance, double* first, double* second,
                                            double* value) {
    if (!IsShown()) {
        return false;
    }
    const double along = distance + GetOffset();
    if (!current_->Contains(along)) {
        return false;
    }
    const ProfilePoint point = current_->Interpolate(along);
    if (IsUndefined(point.value)) {
        return false;
    }
    *first = point.position.First();
    *second = point.position.Second();
    *value = point.value;
    return true;
}

Extent PlotrexDataProfileHistoric::GetExtent() {
    if (current_->GetCount() == 0 || !IsShown()) {
        return Extent();
    }
    Extent extent = current_->GetExtent();
    // A profile without a single depth has no box to shift.
    if (extent.IsUndefined()) {
        return extent;
    }
    const double offset = GetOffset();
    extent.minX -= offset;
    extent.maxX -= offset;
    return extent;
}

ProfileSeries* PlotrexDataProfileHistoric::GetSeries() {
    return current_;
}

void PlotrexDataProfileHistoric::SetProfile(const std::vector<float>& points, double first,
                                            double second) {
    if (points.size() % 3 != 0) {
        return;
    }
    forward_.Clear();
    backward_.Clear();
    // A point is placed by its position: one without a usable position has
    // no place on the track, and a depth that is not a number is a gap.
    auto pointAt = [&points](std::size_t i) {
        const float a = points[i];
        const float b = points[i + 1];
        const float depth = points[i + 2];
        ProfilePoint p;
        if (!Usable(a) || !Usable(b)) {
            return p;
        }
        p.position = PosType(b, a);
        p.value = Usable(depth) ? -static_cast<double>(depth) : kUndefined;
        return p;
    };
    for (std::size_t i = 0; i < points.size(); i += 3) {
        const ProfilePoint p = pointAt(i);
        if (!p.position.IsNoPos()) {
            forward_.Add(p);
        }
    }
    for (std::size_t i = points.size(); i >= 3; i -= 3) {
        const ProfilePoint p = pointAt(i - 3);
        if (!p.position.IsNoPos()) {
            backward_.Add(p);
        }
    }

    referenceFirst_ = kUndefined;
    referenceSecond_ = kUndefined;
    if (Usable(first) && Usable(second) && forward_.GetCount() > 0) {
        const double at = forward_.DistanceAtPosition(PosType(first, second), nullptr, false);
        // A single point has no segment to interpolate on: it is the nearest.
        const ProfilePoint nearest =
            forward_.GetCount() == 1 ? forward_.At(0) : forward_.Interpolate(at);
        if (at != kNoMatch && !nearest.position.IsNoPos()) {
            referenceFirst_ = nearest.position.First();
            referenceSecond_ = nearest.position.Second();
        }
    }
    current_ = &forward_;
    matched_ = kNoMatch;
    Match();
    ModifyDisplays();
}

void PlotrexDataProfileHistoric::GetReferencePosition(double* first, double* second) {
    if (first != nullptr) {
        *first = referenceFirst_;
    }
    if (second != nullptr) {
        *second = referenceSecond_;
    }
}

void PlotrexDataProfileHistoric::SetMode(int mode) {
    mode_ = mode;
    Match();
}

bool PlotrexDataProfileHistoric::IsShown() {
    if (mode_ == 2) {
        return true;
    }
    return mode_ == 0 && matched_ != kNoMatch;
}

double PlotrexDataProfileHistoric::GetOffset() {
    const DistanceTracker* tracker = GetDistanceTracker();
    // Without a match there is nothing to shift by.
    if (mode_ != 0 || tracker == nullptr || matched_ == kNoMatch) {
        return 0.0;
    }
    return matched_ - tracker->GetDistance();
}

void PlotrexDataProfileHistoric::Match() {
    if (mode_ == 2) {
        current_ = &forward_;
        return;
    }
    const DistanceTracker* tracker = GetDistanceTracker();
    if (mode_ != 0 || tracker == nullptr || tracker->GetPosition().IsNoPos()) {
        return;
    }
    const PosType ship = tracker->GetPosition();
    double course = kUndefined;
    matched_ = MatchOn(ship, &course);
    if (matched_ == kNoMatch) {
        return;
    }
    const double heading = tracker->GetHeading();
    // Without a course (a single point) or a heading there is no direction to
    // compare: the series stays as it is.
    if (!Usable(course) || !Usable(heading)) {
        return;
    }
    const double a = NormalizeAngle(course + kAcrossTrack);
    const double b = NormalizeAngle(course - kAcrossTrack);
    if (!AngleInSector(NormalizeAngle(heading), a, b)) {
        // The ship runs against the recorded direction.
        current_ = current_ == &forward_ ? &backward_ : &forward_;
        double again = kUndefined;
        matched_ = MatchOn(ship, &again);
    }
}

double PlotrexDataProfileHistoric::MatchOn(const PosType& ship, double* course) const {
    return current_->DistanceAtPosition(ship, course, true);
}

#include "layout/ProjectionUpdater.h"

#include <algorithm>
#include <string>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataProfile.h"
#include "hostfamily/Undefined.h"
#include "layout/LinearPixelProjection.h"
#include "layout/PlotrexOrganizer.h"

namespace {

constexpr std::int16_t kHighestFitLevel = 15;

// The last value of a graph of the profile family, else the undefined marker.
double LastValueOf(PlotrexData* data) {
    auto* profile = dynamic_cast<PlotrexDataProfile*>(data);
    if (profile == nullptr) {
        return kUndefined;
    }
    const ProfileSeries* series = profile->GetSeries();
    return series->GetCount() > 0 ? series->At(series->GetCount() - 1).value : kUndefined;
}

bool HasAllFour(const Extent& e) {
    return !IsUndefined(e.minX) && !IsUndefined(e.maxX) && !IsUndefined(e.minY) &&
           !IsUndefined(e.maxY);
}

}  // namespace

ProjectionUpdater::ProjectionUpdater(PlotrexOrganizer& organizer) : organizer_(organizer) {}

ProjectionUpdater::DataRanges ProjectionUpdater::CollectRanges(bool withMargins) {
    DataRanges ranges;
    const LinearPixelProjectionLeveled& x = organizer_.GetHorizontalProjection();
    const std::string yUnit = organizer_.GetYUnit();
    const LinearPixelProjection* y = withMargins ? organizer_.FindProjection(yUnit) : nullptr;
    for (PlotrexDisplay* display : organizer_.VisibleDisplays()) {
        PlotrexData* data = display->GetData();
        if (data == nullptr) {
            continue;
        }
        const Extent extent = data->GetExtent();
        if (!HasAllFour(extent)) {
            continue;
        }
        const Margins m = withMargins ? display->GetMargins() : Margins{};
        ValueRange across{extent.minX, extent.maxX};
        if (m.left != 0) {
            across.minimum += x.ToWorld(m.left, true);
        }
        if (m.right != 0) {
            across.maximum += x.ToWorld(m.right, true);
        }
        ranges.across = ranges.across.Union(across);
        if (yUnit != data->GetUnit()) {
            continue;
        }
        // On the inverted axis a positive top margin raises the top.
        ValueRange up{extent.minY, extent.maxY};
        if (y != nullptr && m.bottom != 0) {
            up.minimum -= y->ToWorld(m.bottom, true);
        }
        if (y != nullptr && m.top != 0) {
            up.maximum -= y->ToWorld(m.top, true);
        }
        ranges.up = ranges.up.Union(up);
    }
    return ranges;
}

void ProjectionUpdater::Update() {
    LinearPixelProjection* vertical = organizer_.GetYProjection();
    if (vertical == nullptr) {
        return;
    }
    if (fitWholePending_ && FitWhole()) {
        fitWholePending_ = false;
    }
    const DataRanges ranges = CollectRanges(true);
    BoundLevelToData(ranges.across);
    FollowVessel();
    KeepDataOnScreen(ranges, *vertical);
}

void ProjectionUpdater::BoundLevelToData(const ValueRange& across) {
    const std::int16_t shown = organizer_.GetLevel();
    const std::int16_t wanted = wantedLevel_.value_or(shown);
    std::int16_t allowed = wanted;
    while (!organizer_.IsScaleLevelAllowed(across, allowed, PlotrexOrganizer::kFreeLevel)) {
        --allowed;
    }
    if (allowed != shown) {
        // About the left edge: a restored first position stays where it was.
        organizer_.GetHorizontalProjection().SetLevel(allowed);
    }
    if (allowed == wanted) {
        wantedLevel_.reset();
    } else {
        wantedLevel_ = wanted;
    }
}

void ProjectionUpdater::FollowVessel() {
    if (organizer_.GetTracker() == nullptr) {
        return;
    }
    const double distance = organizer_.GetTracker()->GetDistance();
    if (ShipMovedWhileInView(distance)) {
        LinearPixelProjectionLeveled& x = organizer_.GetHorizontalProjection();
        const double pixel = x.ToPixel(organizer_.GetLastDistance());
        // The ship stays on its pixel; the data moves under it.
        x.SetOriginAt(distance, pixel);
        FollowMainValue();
        KeepOtherValuesInView();
    }
    organizer_.lastDistance_ = distance;
}

bool ProjectionUpdater::ShipMovedWhileInView(double distance) const {
    const double last = organizer_.GetLastDistance();
    if (last == PlotrexOrganizer::kNoDistance || distance == last) {
        return false;
    }
    // Kept on the right edge, the ship's pixel may come out a hair beyond it.
    return LinearPixelProjection::InWindow(organizer_.GetHorizontalProjection().ToPixel(last),
                                           organizer_.GetDeviceSize().cx);
}

void ProjectionUpdater::FollowMainValue() {
    LinearPixelProjection* projection = organizer_.GetYProjection();
    PlotrexDisplay* main = organizer_.FindDisplayByName(organizer_.GetMainType().c_str());
    if (projection == nullptr || main == nullptr || !main->IsVisible()) {
        return;
    }
    const double value = LastValueOf(main->GetData());
    double& last = organizer_.lastValue_;
    if (IsUndefined(value) || value == last) {
        return;
    }
    const int height = organizer_.GetDeviceSize().cy;
    if (IsUndefined(last)) {
        // The first value followed: the view was opened on the surface, and
        // the ship's depth may lie far below it. Nothing to follow yet, so it
        // is brought into view.
        projection->CenterIfOutside(value, height);
    } else {
        projection->FollowValue(last, value, height);
    }
    last = value;
}

void ProjectionUpdater::KeepOtherValuesInView() {
    BringOtherAxesTo([](PlotrexData& data) { return LastValueOf(&data); });
}

void ProjectionUpdater::BringOtherValuesIntoView(double distance) {
    BringOtherAxesTo([distance](PlotrexData& data) {
        double first = kUndefined;
        double second = kUndefined;
        double value = kUndefined;
        return data.GetValueAt(distance, &first, &second, &value) ? value : kUndefined;
    });
}

template <typename ValueOf>
void ProjectionUpdater::BringOtherAxesTo(ValueOf valueOf) {
    const std::string mainUnit = organizer_.GetYUnit();
    const int height = organizer_.GetDeviceSize().cy;
    for (auto& [unit, projection] : organizer_.verticals_) {
        if (unit == mainUnit) {
            continue;
        }
        for (PlotrexDisplay* display : organizer_.VisibleDisplays()) {
            PlotrexData* data = display->GetData();
            if (data == nullptr || unit != data->GetUnit()) {
                continue;
            }
            const double value = valueOf(*data);
            if (!IsUndefined(value)) {
                projection.CenterIfOutside(value, height);
            }
        }
    }
}

void ProjectionUpdater::KeepDataOnScreen(const DataRanges& ranges,
                                         LinearPixelProjection& vertical) {
    const SIZE size = organizer_.GetDeviceSize();
    const double xBefore = organizer_.GetHorizontalProjection().origin;
    const double yBefore = vertical.origin;
    KeepDistancesOnData(ranges.across, size.cx);
    KeepValuesOnData(ranges.up, size.cy, vertical);
    if (organizer_.GetHorizontalProjection().origin != xBefore || vertical.origin != yBefore) {
        organizer_.SetModified();
    }
}

void ProjectionUpdater::KeepDistancesOnData(const ValueRange& across, int width) {
    if (across.IsEmpty()) {
        return;
    }
    LinearPixelProjectionLeveled& x = organizer_.GetHorizontalProjection();
    const double shown = x.ToWorld(width, true);
    if (shown > across.Length()) {
        if (organizer_.GetTracker() != nullptr) {
            // Less data than window: its end (the ship, as a rule) at the right edge.
            x.origin = across.maximum - shown;
        } else {
            // With no ship to keep in view, the data stays whole where the
            // user puts it.
            x.origin = std::clamp(x.origin, across.maximum - shown, across.minimum);
        }
        return;
    }
    if (x.origin < across.minimum) {
        x.origin = across.minimum;
    }
    if (x.origin + shown > across.maximum) {
        x.origin = across.maximum - shown;
    }
}

void ProjectionUpdater::KeepValuesOnData(const ValueRange& up, int height,
                                         LinearPixelProjection& vertical) {
    if (up.IsEmpty()) {
        return;
    }
    const double shown = -vertical.ToWorld(height, true);
    if (up.Length() < shown) {
        // Less data than window: its top at the top edge.
        vertical.origin = up.maximum;
        return;
    }
    if (vertical.origin - shown < up.minimum) {
        vertical.origin = up.minimum + shown;
    }
    if (vertical.origin > up.maximum) {
        vertical.origin = up.maximum;
    }
}

void ProjectionUpdater::Fit(bool level, bool slope) {
    const auto [across, up] = CollectRanges(false);
    bool changed = false;
    if (level) {
        // With no ship to keep in view, all of the data fills the window.
        changed = organizer_.GetTracker() != nullptr ? FitLevel(across) : FitWholeAcross(across);
    }
    if (slope) {
        changed = FitSlope(up) || changed;
    }
    if (changed) {
        Update();
    }
}

bool ProjectionUpdater::FitLevel(const ValueRange& across) {
    wantedLevel_.reset();
    std::int16_t fitted = PlotrexOrganizer::kFreeLevel;
    for (std::int16_t trial = kHighestFitLevel; trial > PlotrexOrganizer::kFreeLevel; --trial) {
        if (organizer_.IsScaleLevelAllowed(across, trial, PlotrexOrganizer::kFreeLevel)) {
            fitted = trial;
            break;
        }
    }
    if (fitted == organizer_.GetLevel()) {
        return false;
    }
    organizer_.GetHorizontalProjection().SetLevel(fitted);
    return true;
}

bool ProjectionUpdater::FitWhole() {
    const auto [across, up] = CollectRanges(false);
    if (across.IsEmpty() || up.IsEmpty() || organizer_.GetDeviceSize().cx <= 0) {
        return false;
    }
    FitWholeAcross(across);
    // The room the displays keep above and below their data too.
    FitSlope(up, MarginsUpAndDown());
    organizer_.SetModified();
    return true;
}

bool ProjectionUpdater::FitWholeAcross(const ValueRange& across) {
    const int width = organizer_.GetDeviceSize().cx;
    if (across.IsEmpty() || width <= 0) {
        return false;
    }
    wantedLevel_.reset();
    LinearPixelProjectionLeveled& x = organizer_.GetHorizontalProjection();
    LinearPixelProjectionLeveled trial(x);
    std::int16_t level = LinearPixelProjectionLeveled::kMinLevel;
    for (; level < LinearPixelProjectionLeveled::kMaxLevel; ++level) {
        trial.SetLevel(level);
        if (LinearPixelProjection::WholePixels(trial.ToPixel(across.Length(), true)) <= width) {
            break;
        }
    }
    const double before = x.origin;
    const double multiplier = x.multiplier;
    x.SetLevel(level);
    x.SetOriginAt((across.minimum + across.maximum) / 2.0, width / 2.0);
    return x.origin != before || x.multiplier != multiplier;
}

int ProjectionUpdater::MarginsUpAndDown() {
    const std::string yUnit = organizer_.GetYUnit();
    int above = 0;
    int below = 0;
    for (PlotrexDisplay* display : organizer_.VisibleDisplays()) {
        PlotrexData* data = display->GetData();
        if (data != nullptr && yUnit == data->GetUnit()) {
            const Margins m = display->GetMargins();
            above = std::max(above, m.top);
            below = std::max(below, -m.bottom);
        }
    }
    return above + below;
}

bool ProjectionUpdater::FitSlope(const ValueRange& up, int margins) {
    LinearPixelProjection* vertical = organizer_.GetYProjection();
    if (up.IsEmpty() || vertical == nullptr) {
        return false;
    }
    const int height = organizer_.GetDeviceSize().cy - margins;
    LinearPixelProjection trial = *vertical;
    for (double s = PlotrexOrganizer::kMaxSlope; s >= PlotrexOrganizer::kMinSlope; s *= 0.5) {
        trial.multiplier = organizer_.GetHorizontalProjection().multiplier / s;
        const double pixels = LinearPixelProjection::WholePixels(trial.ToPixel(up.minimum, true) -
                                                                 trial.ToPixel(up.maximum, true));
        if (pixels <= height) {
            break;
        }
    }
    if (trial.multiplier == vertical->multiplier) {
        return false;
    }
    const POINT anchor = organizer_.GetAnchorPoint();
    const double value = vertical->ToWorld(anchor.y);
    vertical->multiplier = trial.multiplier;
    vertical->SetOriginAt(value, anchor.y);
    return true;
}

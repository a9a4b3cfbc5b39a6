#include "graphdata/DistanceTracker.h"

#include "units/Geodesy.h"

void DistanceTracker::Initialize(HostDataSource* source) {
    distance_ = 0.0;
    lastPosition_ = NoPos;
    dataSource_ = source;
}

double DistanceTracker::GetHeading() const {
    return dataSource_ ? dataSource_->GetHeading() : 0.0;
}

bool DistanceTracker::AdvanceDistance() {
    if (dataSource_ == nullptr) {
        return false;
    }
    PosType current = NoPos;
    dataSource_->GetPosition(&current);
    if (current.IsNoPos()) {
        return false;
    }
    if (lastPosition_.IsNoPos()) {
        lastPosition_ = current;
    }
    if (current == lastPosition_) {
        return false;
    }
    double course = 0.0;
    double step = 0.0;
    if (!ComputeCourseDistance(lastPosition_.First(), lastPosition_.Second(), current.First(),
                               current.Second(), &course, &step, kRhumbLine)) {
        return false;
    }
    distance_ += step;
    lastPosition_ = current;
    return true;
}

#include "host/app/TrackLog.h"

void TrackLog::Fed(const ShipSnapshot& snapshot, double distance, std::optional<double> charted) {
    if (snapshot.position.IsNoPos()) {
        return;
    }
    const TrackPoint point{snapshot.time,
                           snapshot.position.First(),
                           snapshot.position.Second(),
                           distance,
                           snapshot.depthMetres,
                           snapshot.temperatureCelsius,
                           charted ? *charted : kUndefined,
                           kUndefined};
    if (size_ < points_.size()) {
        points_[size_] = point;
    } else {
        points_.push_back(point);
    }
    ++size_;
}

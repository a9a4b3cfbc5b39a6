#include "host/app/TrackLog.h"

void TrackLog::Fed(const ShipSnapshot& snapshot, double distance, std::optional<double> charted) {
    if (snapshot.position.IsNoPos()) {
        return;
    }
    points_.push_back(TrackPoint{snapshot.time, snapshot.position.First(),
                                 snapshot.position.Second(), distance, snapshot.depthMetres,
                                 snapshot.temperatureCelsius, charted ? *charted : kUndefined,
                                 kUndefined});
}

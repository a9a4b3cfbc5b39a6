#include "host/app/FeedAccount.h"

#include <algorithm>
#include <cmath>

#include "units/Geodesy.h"

namespace {

void Widen(FeedAccount::Span& span, double value) {
    if (IsUndefined(value) || !std::isfinite(value)) {
        return;
    }
    span.low = span.count == 0 ? value : std::min(span.low, value);
    span.high = span.count == 0 ? value : std::max(span.high, value);
    ++span.count;
}

}  // namespace

void FeedAccount::Fed(const ShipSnapshot& snapshot) {
    ++cycles_;
    if (!snapshot.position.IsNoPos()) {
        if (!last_.IsNoPos() && !(snapshot.position == last_)) {
            double course = 0.0;
            double distance = 0.0;
            if (ComputeCourseDistance(last_.First(), last_.Second(), snapshot.position.First(),
                                      snapshot.position.Second(), &course, &distance, kRhumbLine)) {
                distance_ += distance;
            }
        }
        last_ = snapshot.position;
    }
    Widen(depths_, snapshot.depthMetres);
    Widen(temperatures_, snapshot.temperatureCelsius);
}

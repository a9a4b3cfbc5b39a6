#include "host/replay/BuiltInFeed.h"

#include <algorithm>

// The voyage is the same for every feed: the ship's state is its place.
class BuiltInFeed::VoyageMark final : public FeedMark {
  public:
    VoyageMark(const ShipState& ship, double cycleSeconds, bool started, bool finished)
        : ship_(ship), cycleSeconds_(cycleSeconds), started_(started), finished_(finished) {}
    ShipState ship_;
    double cycleSeconds_;
    bool started_;
    bool finished_;
};

BuiltInFeed::BuiltInFeed(double cycleSeconds)
    : voyage_(Voyage::BuiltIn()), cycleSeconds_(cycleSeconds) {}

bool BuiltInFeed::Next(ShipSnapshot& snapshot) {
    if (finished_) {
        return false;
    }
    if (started_) {
        finished_ = !voyage_.Advance(cycleSeconds_);
    }
    started_ = true;
    const ShipState& ship = voyage_.Ship();
    snapshot.time = ship.time;
    snapshot.position = PosType(ship.latitude, ship.longitude);
    snapshot.heading = ship.headingRadians;
    snapshot.speedKnots = ship.speedKnots;
    snapshot.depthMetres = voyage_.Sea().DepthAt(ship.latitude, ship.longitude);
    snapshot.temperatureCelsius = voyage_.Sea().TemperatureAt(ship.latitude, ship.longitude);
    snapshot.towing = ship.towing;
    return true;
}

double BuiltInFeed::Progress() const {
    return std::min(1.0, voyage_.Ship().time / voyage_.TotalSeconds());
}

std::string BuiltInFeed::Describe() const {
    return "built-in trawler voyage";
}

std::optional<double> BuiltInFeed::DepthAt(double latitude, double longitude) const {
    return voyage_.Sea().DepthAt(latitude, longitude);
}

std::unique_ptr<FeedMark> BuiltInFeed::Mark() const {
    return std::make_unique<VoyageMark>(voyage_.Ship(), cycleSeconds_, started_, finished_);
}

bool BuiltInFeed::Restore(const FeedMark& mark) {
    const auto* ours = dynamic_cast<const VoyageMark*>(&mark);
    if (ours == nullptr || ours->cycleSeconds_ != cycleSeconds_) {
        return false;
    }
    voyage_.Resume(ours->ship_);
    started_ = ours->started_;
    finished_ = ours->finished_;
    return true;
}

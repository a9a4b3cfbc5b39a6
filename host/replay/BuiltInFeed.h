#pragma once
// The built-in trawler voyage as the host's feed.
#include <optional>
#include <string>
#include <vector>

#include "host/geodata/Voyage.h"
#include "host/replay/ShipFeed.h"

// One snapshot every cycleSeconds of ship time (the whole voyage then fits in
// the profiles' 1100 points); its charted depths are its modelled sea floor.
class BuiltInFeed final : public ShipFeed, private DepthModel {
  public:
    explicit BuiltInFeed(double cycleSeconds = 15.0);
    bool Next(ShipSnapshot& snapshot) override;
    double Progress() const override;
    double DurationSeconds() const override { return voyage_.TotalSeconds(); }
    const DepthModel& Depths() const override { return *this; }
    std::string Describe() const override;
    double DraughtMetres() const override { return voyage_.DraughtMetres(); }
    std::vector<HistoricPoint> EarlierSurvey() const override { return Voyage::EarlierSurvey(); }
    std::unique_ptr<FeedMark> Mark() const override;
    // Refused for another feed's mark or another cycle's.
    bool Restore(const FeedMark& mark) override;

  private:
    class VoyageMark;
    std::optional<double> DepthAt(double latitude, double longitude) const override;

    Voyage voyage_;
    double cycleSeconds_;
    bool started_ = false;
    bool finished_ = false;
};

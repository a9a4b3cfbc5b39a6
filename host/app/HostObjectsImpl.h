#pragma once
// The host objects that the module reads, answering from the ship feed.
#include <cstdint>
#include <vector>

#include "host/replay/ShipFeed.h"
#include "hostfamily/HostObjects.h"

class FeedDataSource final : public HostDataSource {
  public:
    explicit FeedDataSource(const ShipSnapshot& now) : now_(now) {}
    bool IsAvailable() override { return !now_.position.IsNoPos(); }
    double GetTime() override { return now_.time; }
    void GetPosition(PosType* position) override { *position = now_.position; }
    double GetHeading() override;
    double GetSpeed() override { return now_.speedKnots; }
    float GetLatestSample(const int& kind, int positive) override;

  private:
    const ShipSnapshot& now_;
};

// Counts what the module told the host.
class CountingNotificationSink final : public HostNotificationSink {
  public:
    void Notify(const std::int32_t* code, const LayerKeyIndexed* key) override;
    int Count() const { return count_; }

  private:
    int count_ = 0;
};

// Answers the module's depth queries from the host's charted depths; without
// any (model null) it says it has none.
class ModelDepthSource final : public HostDepthSource {
  public:
    explicit ModelDepthSource(const DepthModel* model, double maximumDepth = kUndefined)
        : model_(model), maximumDepth_(maximumDepth) {}
    bool IsAvailable() override { return model_ != nullptr; }
    double GetMaximumDepth() override { return maximumDepth_; }
    // Fills every point, the undefined marker where the model knows no depth;
    // false when it knows none of them.
    bool QueryDepths(std::vector<DepthQueryPoint>& points, double south, double west, double north,
                     double east, const int& kind) override;
    // What QueryDepths answers at one place, without counting a query.
    std::optional<double> ChartedDepthAt(double latitude, double longitude) const {
        return model_ != nullptr ? model_->DepthAt(latitude, longitude) : std::nullopt;
    }
    long Queries() const { return queries_; }
    long Answered() const { return answered_; }
    // The points of the last query answered, their depths filled.
    const std::vector<DepthQueryPoint>& LastAnswer() const { return lastAnswer_; }

  private:
    const DepthModel* model_;
    double maximumDepth_;
    long queries_ = 0;
    long answered_ = 0;
    std::vector<DepthQueryPoint> lastAnswer_;
};

class FeedVesselSource final : public HostVesselSource {
  public:
    FeedVesselSource(const ShipSnapshot& now, double draught) : now_(now), draught_(draught) {}
    double GetLength() override { return 24.0; }
    // A semi-diurnal tide of 1.2 m.
    float GetCorrection() override;
    double GetDraught() override { return draught_; }
    double Draught() const { return draught_; }

  private:
    const ShipSnapshot& now_;
    double draught_;
};

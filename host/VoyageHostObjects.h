#pragma once
// The host objects that the module reads, answering from the voyage.
#include <cstdint>
#include <vector>

#include "host/Voyage.h"
#include "hostfamily/HostObjects.h"

class VoyageDataSource final : public HostDataSource {
  public:
    explicit VoyageDataSource(const Voyage& voyage) : voyage_(voyage) {}
    bool IsAvailable() override { return true; }
    double GetTime() override;
    void GetPosition(PosType* position) override;
    double GetHeading() override;
    double GetSpeed() override;
    float GetLatestSample(const int& kind, int positive) override;

  private:
    const Voyage& voyage_;
};

// Remembers what the module told the host.
class RecordingNotificationSink final : public HostNotificationSink {
  public:
    void Notify(const std::int32_t* code, const LayerKeyIndexed* key) override;
    int Count() const { return count_; }

  private:
    int count_ = 0;
};

class SeaFloorDepthSource final : public HostDepthSource {
  public:
    explicit SeaFloorDepthSource(const SeaModel& sea) : sea_(sea) {}
    bool IsAvailable() override { return true; }
    double GetMaximumDepth() override { return 400.0; }
    bool QueryDepths(std::vector<DepthQueryPoint>& points, double south, double west, double north,
                     double east, const int& kind) override;

  private:
    const SeaModel& sea_;
};

class VoyageVesselSource final : public HostVesselSource {
  public:
    explicit VoyageVesselSource(const Voyage& voyage) : voyage_(voyage) {}
    double GetLength() override { return 24.0; }
    float GetCorrection() override;
    double GetDraught() override { return voyage_.DraughtMetres(); }

  private:
    const Voyage& voyage_;
};

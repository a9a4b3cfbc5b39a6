#pragma once
// One simulated ping: each channel's window of the scene rendered by the
// echo model and quantised, and the bottom found in it (in dual frequency LF
// keeps a detector of its own and stands in when HF has lost the floor).
// Pings must not overlap: the detectors follow the bottom from ping to ping.
#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/norvane/BottomDetector.h"
#include "runtime/norvane/EchoModel.h"
#include "runtime/norvane/SounderSettings.h"
#include "runtime/norvane/SweepPlan.h"

namespace norvane {

class PingSimulator {
  public:
    struct Ping {
        std::vector<OutgoingSweep> sweeps;
        ReferenceDepth reference;
        // In metres, as reported: whole tenths of the depth unit.
        std::optional<double> bottom;
    };

    void Reset();
    // The detectors' gates are all a ping leaves behind: the echoes follow
    // the seed and the ping number alone.
    void Save(StateWriter& writer) const;
    bool Load(StateReader& reader);
    Ping Make(const PingScene& scene, const SounderSettings& settings, uint32_t seed);

  private:
    BottomDetector detector_;
    BottomDetector lowDetector_;
};

}  // namespace norvane

#pragma once
// A recording played instead of pinging: the recorded sweeps waiting for
// their time on the ship's clock, and how one becomes the sweeps of the
// channels the modes show. Its owner guards it with its own lock.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "hostfamily/ZXNorvaneControl.h"
#include "runtime/norvane/SounderSettings.h"
#include "runtime/norvane/SweepPlan.h"

namespace norvane {

class StateReader;
class StateWriter;

class RecordedPlayback {
  public:
    struct Sweep {
        double time = 0.0;
        bool lowFrequency = false;
        double top = 0.0;
        double bottom = 0.0;
        double depth = 0.0;
        std::vector<uint8_t> levels;
    };
    enum class Queued { kTaken, kNotPlaying, kRefused };

    bool Playing() const { return playing_; }
    // Starts or stops playing; the sweeps not yet played are dropped.
    void Switch(bool on);
    // Copies the sweep to the end of the queue, its levels held to 15.
    // Refused without samples or with more than 1024, with a window that is
    // not finite, not downwards or deeper than any sea (its depths would not
    // fit a sweep's tenths), or when the queue is full.
    Queued Queue(const ZXNorvaneRecordedSweep& given);
    bool Due(double now) const;
    void Save(StateWriter& writer) const;
    // Every sweep checked as Queue checks it, and its levels already held.
    bool Load(StateReader& reader);
    // The first sweep waiting, when it is due or due was not asked for.
    std::optional<Sweep> Take(bool onlyWhenDue, double now);

    // The recording's own bottom, which becomes the reference depth.
    static ReferenceDepth ReferenceOf(const Sweep& sweep, const SounderSettings& settings);
    // In dual frequency each recorded frequency has its own channel; else
    // only the frequency shown plays, with the zoom pane carved out of it.
    static std::vector<OutgoingSweep> SweepsOf(Sweep sweep, const SounderSettings& settings,
                                               const ReferenceDepth& reference);

  private:
    bool playing_ = false;
    std::deque<Sweep> queue_;
};

}  // namespace norvane

#pragma once
// Where each channel of the sounder listens in a ping: the main frequency
// over its range, and the second pane (LF in dual frequency, or a zoom
// window on the main frequency) placed by the zoom mode; and the sweep
// records the sounder hands out for them.
#include <cstdint>
#include <optional>
#include <vector>

#include "hostfamily/ZXNorvaneApi.h"
#include "runtime/norvane/EchoModel.h"
#include "runtime/norvane/SounderSettings.h"

namespace norvane {

// One channel of one ping as it goes out.
struct ChannelPlan {
    uint16_t channel = 0;
    int set = 0;
    SweepWindow window;
    uint32_t startTenths = 0;
    uint32_t spanTenths = 0;
    uint32_t stepFixed = 0;
    bool blank = false;  // no bottom to place the window on: nothing heard
};

ChannelPlan MainPlan(const SounderSettings& settings);
// The second channel: LF over its own range in dual frequency, else a zoom
// window on the main frequency; none for a single pane. Windows on the bottom
// need its depth in metres, as reported.
std::optional<ChannelPlan> SecondPlan(const SounderSettings& settings,
                                      std::optional<double> bottom);
ZXRawSweep RawSweep(const ChannelPlan& plan);
// A recorded sweep as the sounder's record: the window in tenths of the unit,
// and the step such that a reader, who measures the window as a tenth of the
// count in the unit truncated to whole metres times the step, finds its span.
ZXRawSweep RecordedRawSweep(uint16_t channel, int unit, double top, double bottom, uint32_t count);

// One channel's sweep as it goes out, with its samples.
struct OutgoingSweep {
    ZXRawSweep sweep;
    std::vector<uint8_t> samples;
};

// The bottom the last ping found, in tenths of the depth unit.
struct ReferenceDepth {
    int32_t tenths = 0;
    bool valid = false;
};

}  // namespace norvane

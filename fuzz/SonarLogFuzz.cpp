// The sonar recording's reader on any bytes: a whole file read frame by
// frame, every frame's samples reduced to levels and played by the sounder
// in each of its display modes. It must end, never read past the input, give
// samples that fit their frame, count what it passed over, and play only
// windows whose depths fit a sweep.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/norvane/RecordedPlayback.h"
#include "sonarlog/SonarLog.h"
#include "sonarlog/SweepReducer.h"

namespace {

// The frame's levels as the host hands them to the sounder, played in single,
// zoomed and dual frequency.
void Play(const SonarFrame& frame, const std::vector<std::uint8_t>& levels) {
    norvane::RecordedPlayback playback;
    playback.Switch(true);
    const ZXNorvaneRecordedSweep given{0.0,
                                       frame.channel == kSonarSecondary ? 1 : 0,
                                       frame.upperMetres,
                                       frame.lowerMetres,
                                       frame.depthMetres.value_or(0.0),
                                       levels.data(),
                                       static_cast<std::uint32_t>(levels.size())};
    if (playback.Queue(given) != norvane::RecordedPlayback::Queued::kTaken) {
        return;
    }
    const norvane::RecordedPlayback::Sweep sweep = *playback.Take(false, 0.0);
    for (const std::int16_t mode : {1, 2, 3, 5}) {
        norvane::SounderSettings settings;
        settings.frequencyMode = mode;
        settings.zoomMode = mode == 2 ? 2 : 1;
        const norvane::ReferenceDepth reference =
            norvane::RecordedPlayback::ReferenceOf(sweep, settings);
        for (const norvane::OutgoingSweep& out :
             norvane::RecordedPlayback::SweepsOf(sweep, settings, reference)) {
            if (out.sweep.furtherDepth < out.sweep.startDepth ||
                out.samples.size() != out.sweep.sampleCount) {
                std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    SonarLog log;
    if (!log.Attach(in)) {
        return 0;
    }
    const SweepReducer reducer;
    SonarFrame frame;
    std::vector<std::uint8_t> samples;
    std::vector<std::uint8_t> levels;
    std::size_t frames = 0;
    while (log.Next(frame)) {
        // Every frame is at least a header long: more frames than bytes is a loop.
        if (++frames > size || log.Offset() > size) {
            std::abort();
        }
        log.ReadSamples(samples);
        if (samples.size() > frame.sampleCount || samples.size() > frame.frameSize) {
            std::abort();
        }
        reducer.Reduce(samples.data(), samples.size(), levels);
        if (levels.size() > SweepReducer::kMostLevels) {
            std::abort();
        }
        for (std::uint8_t level : levels) {
            if (level > 15) {
                std::abort();
            }
        }
        if (!levels.empty()) {
            Play(frame, levels);
        }
    }
    // Every byte is a frame's or counted as passed over, never more. A size
    // that missed belongs to a frame walked, of a known channel or not.
    const SonarStats& stats = log.Stats();
    if (stats.FramesRead() != static_cast<std::int64_t>(frames) ||
        stats.bytesSkipped > static_cast<std::int64_t>(size) ||
        stats.wrongSize > stats.FramesRead() + stats.unknownChannel) {
        std::abort();
    }
    return 0;
}

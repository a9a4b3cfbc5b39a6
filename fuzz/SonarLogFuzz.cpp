// The sonar recording's reader on any bytes: a whole file read frame by
// frame, every frame's samples reduced to levels. It must end, never read
// past the input, give samples that fit their frame, and count what it
// passed over.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "sonarlog/SonarLog.h"
#include "sonarlog/SweepReducer.h"

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
    }
    // Every byte is a frame's or counted as passed over, never more.
    const SonarStats& stats = log.Stats();
    if (stats.FramesRead() != static_cast<std::int64_t>(frames) ||
        stats.bytesSkipped > static_cast<std::int64_t>(size) ||
        stats.wrongSize > stats.FramesRead()) {
        std::abort();
    }
    return 0;
}

#pragma once
// Sweeps made up for drawing tests and handed to the process-wide recorder as
// the sounder library would hand them over. Depths are metres with the fake
// sounder's unit (0): the library's record carries tenths, and the sample
// count is converted with them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "echo/EtrSweepRecorder.h"
#include "hostfamily/ZXNorvaneApi.h"

namespace synthetic {

// A sweep of samples.size() levels (a multiple of ten) from topMetres down
// over spanMetres, delivered on the channel.
inline void Deliver(std::uint16_t channel, double topMetres, double spanMetres,
                    std::vector<std::uint8_t> samples) {
    ZXRawSweep raw{};
    raw.channel = channel;
    raw.samples = samples.data();
    raw.sampleCount = static_cast<std::uint32_t>(samples.size());
    // span = (count / 10) * step * 2^-21
    raw.sampleStep =
        static_cast<std::uint32_t>(std::lround(spanMetres * 10.0 / samples.size() * (1 << 21)));
    raw.startDepth = static_cast<std::uint32_t>(std::lround(topMetres * 10.0));
    OnSweep(&raw);
}

// An echo-sounder's picture of a column of water: a surface band, a plankton
// layer, a fish school, the bottom with a tail that fades into the ground.
// The column covers topMetres to topMetres + spanMetres.
inline std::vector<std::uint8_t> Column(int count, double topMetres, double spanMetres,
                                        double bottomMetres, double schoolMetres = 0.0) {
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        const double depth = topMetres + i * spanMetres / count;
        int level = 0;
        if (depth < 2.5) {
            level = 11 - static_cast<int>(depth * 3.0);
        } else if (depth > 0.3 * bottomMetres && depth < 0.36 * bottomMetres) {
            level = 4;
        } else if (schoolMetres > 0.0 && std::fabs(depth - schoolMetres) < 2.0) {
            level = 9;
        }
        if (depth >= bottomMetres) {
            const double below = depth - bottomMetres;
            level = std::max(0, 15 - static_cast<int>(below * 1.5));
        }
        samples[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(level);
    }
    return samples;
}

}  // namespace synthetic

#include "runtime/norvane/BottomDetector.h"

#include <algorithm>
#include <cmath>

#include "runtime/norvane/StateReader.h"

namespace norvane {

namespace {

constexpr double kBlankingMetres = 2.0;
// The floor returns at least this much (volume equivalent, dB) ...
constexpr double kMinimumDb = -36.0;
// ... and this far above the noise.
constexpr double kAboveNoiseDb = 12.0;

int IndexAt(const SweepWindow& window, double metres) {
    const double index = std::floor((metres - window.topMetres) / window.stepMetres);
    return static_cast<int>(std::clamp(index, 0.0, static_cast<double>(window.count)));
}

}  // namespace

std::optional<double> BottomDetector::Detect(const Echo& echo, const SweepWindow& window) {
    const int firstSearchable = IndexAt(window, kBlankingMetres);
    const int end = static_cast<int>(window.count);
    std::optional<double> found;
    if (last_) {
        const double gate = std::max(3.0, 0.15 * *last_);
        found = Search(echo, window, std::max(firstSearchable, IndexAt(window, *last_ - gate)),
                       std::min(end, IndexAt(window, *last_ + gate) + 1));
    }
    if (!found) {
        found = Search(echo, window, firstSearchable, end);
    }
    last_ = found;
    return found;
}

std::optional<double> BottomDetector::Search(const Echo& echo, const SweepWindow& window, int first,
                                             int last) const {
    // Average over about 30 cm so that one speckled sample does not decide.
    const int run = std::clamp(static_cast<int>(std::lround(0.3 / window.stepMetres)), 1, 4);
    const double floorLinear = std::pow(10.0, kMinimumDb / 10.0);
    const double noiseFactor = std::pow(10.0, kAboveNoiseDb / 10.0);
    int best = -1;
    double bestValue = 0.0;
    for (int i = first; i < last; ++i) {
        double sum = 0.0;
        const int stop = std::min(last, i + run);
        for (int j = i; j < stop; ++j) {
            sum += echo.received[j];
        }
        const double mean = sum / (stop - i);
        const double needed = std::max(floorLinear, noiseFactor * echo.noise[i]);
        if (mean >= needed && mean > bestValue) {
            best = i;
            bestValue = mean;
        }
    }
    if (best < 0) {
        return std::nullopt;
    }
    // Back to where the echo rises out of the water above it.
    int edge = best;
    const int limit = std::max(first, best - run - 2);
    while (edge > limit && echo.received[edge - 1] >= 0.1 * bestValue) {
        --edge;
    }
    return window.topMetres + (edge + 0.5) * window.stepMetres;
}

void BottomDetector::Save(StateWriter& writer) const {
    writer.OptionalF64(last_);
}

bool BottomDetector::Load(StateReader& reader) {
    return reader.OptionalF64(last_);
}

}  // namespace norvane

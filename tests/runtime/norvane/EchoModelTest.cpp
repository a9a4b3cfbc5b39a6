// The sounder's levels: samples far below the lowest level shown are passed
// over without their logarithm, which must never change a level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/norvane/EchoModel.h"

namespace {

// The level by its definition, with the gain curve flat (20 log R undone by
// the display: no adjustment): 3 dB steps from -88 dB, cleared below the
// threshold.
int DefinedLevel(float value, const norvane::FrequencySettings& set) {
    if (!(value > 0.0f)) {
        return 0;
    }
    const double db = 3.0103f * std::log2(value) + set.gainDb;
    const int level = static_cast<int>(std::clamp(std::floor((db + 88.0) / 3.0), 0.0, 15.0));
    return level < set.threshold ? 0 : level;
}

TEST(EchoModelLevels, EveryLevelAsDefinedNearEveryStepAndTheSkippedRange) {
    norvane::SweepWindow window;
    window.count = 1000;
    norvane::Echo echo;
    echo.noise.assign(window.count, 0.0f);
    for (double gain : {-20.0, -3.0, 0.0, 0.5, 12.0}) {
        for (int threshold : {0, 1, 2, 5, 15, 16}) {
            norvane::FrequencySettings set;
            set.tvg = 20;
            set.gainDb = gain;
            set.threshold = threshold;
            // Values on both sides of every step's edge, the lowest shown
            // level's edge among them, a few ulps apart, and between them.
            std::vector<float> values;
            for (int step = -2; step <= 17; ++step) {
                const double db = -88.0 + 3.0 * step - gain;
                const auto edge = static_cast<float>(std::exp2(db / 3.0103));
                float v = edge;
                for (int ulp = 0; ulp < 4; ++ulp) {
                    v = std::nextafter(v, 0.0f);
                }
                for (int ulp = 0; ulp < 9; ++ulp, v = std::nextafter(v, 1e30f)) {
                    values.push_back(v);
                }
                values.push_back(edge * 0.999f);
                values.push_back(edge * 1.3f);
            }
            values.push_back(0.0f);
            values.push_back(-1.0f);
            ASSERT_LE(values.size(), window.count);
            echo.received = values;
            echo.received.resize(window.count, 0.0f);
            std::vector<std::uint8_t> levels(window.count, 99);
            norvane::EchoModel::Quantize(echo, window, set, levels.data());
            for (std::size_t i = 0; i < values.size(); ++i) {
                ASSERT_EQ(levels[i], DefinedLevel(values[i], set))
                    << "value " << values[i] << " gain " << gain << " threshold " << threshold;
            }
        }
    }
}

TEST(EchoModelLevels, TheGainCurveFollowsTheRangeOfEverySample) {
    // No time-varied gain from the sounder: the display's curve undoes
    // spreading and absorption, so the same echo reads weaker deeper down.
    // Each sample gets a value in the middle of a level at its own range;
    // the curve, drawn straight between every few samples, stays far closer
    // than the 1.5 dB to either edge.
    norvane::SweepWindow window;
    window.topMetres = 5.0;
    window.stepMetres = 0.1;
    window.count = 1000;
    norvane::FrequencySettings set;
    set.tvg = 0;
    set.gainDb = 2.0;
    const double alpha = norvane::EchoModel::AbsorptionDbPerMetre(set.frequencyKHz);
    norvane::Echo echo;
    echo.noise.assign(window.count, 0.0f);
    std::vector<int> expected(window.count);
    for (std::uint32_t i = 0; i < window.count; ++i) {
        const double r = window.topMetres + (i + 0.5) * window.stepMetres;
        const double adjust = -(20.0 * std::log10(r / 30.0) + 2.0 * alpha * (r - 30.0));
        expected[i] = static_cast<int>(i % 16);
        const double db = -88.0 + 3.0 * expected[i] + 1.5;
        echo.received.push_back(static_cast<float>(std::exp2((db - adjust - set.gainDb) / 3.0103)));
    }
    std::vector<std::uint8_t> levels(window.count, 99);
    norvane::EchoModel::Quantize(echo, window, set, levels.data());
    for (std::uint32_t i = 0; i < window.count; ++i) {
        ASSERT_EQ(levels[i], expected[i]) << "sample " << i;
    }
}

}  // namespace

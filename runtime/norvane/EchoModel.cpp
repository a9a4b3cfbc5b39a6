#include "runtime/norvane/EchoModel.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace norvane {

namespace {

constexpr double kSoundSpeed = 1500.0;
constexpr double kPi = 3.14159265358979323846;
// Level 0 ends and level 15 begins this many dB of volume backscatter apart.
constexpr double kLevelFloorDb = -88.0;
constexpr double kLevelStepDb = 3.0;
// Where the time-varied gains other than 20 log R agree with it.
constexpr double kTvgReferenceMetres = 30.0;

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

uint64_t Key(uint32_t seed, int64_t a, uint64_t b, uint64_t c = 0) {
    return Mix(Mix(Mix(seed ^ 0x5A4E4F52ULL) ^ static_cast<uint64_t>(a)) ^ (b << 8) ^ c);
}

// Uniform in [0, 1) from a key.
double Unit(uint64_t key) {
    return static_cast<double>(key >> 11) * (1.0 / 9007199254740992.0);
}

// Smooth noise in [-1, 1] along one coordinate. Along the samples of a
// sweep, the two ends of a cell are drawn once for all that fall in it.
class SmoothAlong {
  public:
    SmoothAlong(uint32_t seed, uint64_t tag) : seed_(seed), tag_(tag) {}
    double operator()(double x) {
        const double cell = std::floor(x);
        if (!held_ || cell != cell_) {
            held_ = true;
            cell_ = cell;
            a_ = Unit(Key(seed_, static_cast<int64_t>(cell), tag_, 77));
            b_ = Unit(Key(seed_, static_cast<int64_t>(cell) + 1, tag_, 77));
        }
        const double f = x - cell;
        const double s = f * f * (3.0 - 2.0 * f);
        return 2.0 * (a_ + (b_ - a_) * s) - 1.0;
    }

  private:
    uint32_t seed_;
    uint64_t tag_;
    bool held_ = false;
    double cell_ = 0.0;
    double a_ = 0.0;
    double b_ = 0.0;
};

double Smooth(uint32_t seed, double x, uint64_t tag) {
    return SmoothAlong(seed, tag)(x);
}

double FromDb(double db) {
    return std::exp(db * 0.23025850929940458);
}

// Speckle: echo intensities of many scatterers spread exponentially.
const std::array<float, 256>& SpeckleTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) {
            t[i] = static_cast<float>(-std::log((i + 0.5) / 256.0));
        }
        return t;
    }();
    return table;
}

struct Xorshift {
    uint32_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

double SourceLevelDb(const FrequencySettings& set) {
    return 210.0 + 10.0 * std::log10(set.powerWatts / 1000.0);
}

double PulseMetres(const FrequencySettings& set) {
    return kSoundSpeed * set.pulseMs * 0.001 / 2.0;
}

// The volume the beam and the pulse take in at one metre, in dB.
double VolumeDb(bool lowFrequency, const FrequencySettings& set) {
    const double half = EchoModel::HalfBeamRadians(lowFrequency);
    const double solidAngle = 0.6 * kPi * half * half;
    return 10.0 * std::log10(solidAngle * PulseMetres(set));
}

// Samples overlapping [from, to), clamped to the window.
std::pair<int, int> SampleSpan(const SweepWindow& window, double from, double to) {
    const double first = std::floor((from - window.topMetres) / window.stepMetres);
    const double last = std::ceil((to - window.topMetres) / window.stepMetres);
    const double count = static_cast<double>(window.count);
    return {static_cast<int>(std::clamp(first, 0.0, count)),
            static_cast<int>(std::clamp(last, 0.0, count))};
}

double SampleTop(const SweepWindow& window, int i) {
    return window.topMetres + i * window.stepMetres;
}

double EffectiveDepth(const PingScene& scene) {
    return scene.depth > 0.0 ? scene.depth : 250.0;
}

}  // namespace

double EchoModel::AbsorptionDbPerMetre(double frequencyKHz) {
    return 0.014 * std::pow(std::max(frequencyKHz, 1.0) / 50.0, 0.92);
}

double EchoModel::HalfBeamRadians(bool lowFrequency) {
    return (lowFrequency ? 22.5 : 3.5) * kPi / 180.0;
}

void EchoModel::Render(const PingScene& scene, const SweepWindow& window,
                       const FrequencySettings& set, Echo& echo) const {
    const uint32_t count = window.count;
    std::vector<float> signal(count, 0.0f);
    const double halfBeam = HalfBeamRadians(window.lowFrequency);
    const double volumeDb = VolumeDb(window.lowFrequency, set);
    const double pulse = PulseMetres(set);

    AddSurface(scene, window, signal);
    AddLayer(scene, window, signal);
    AddSchools(scene, window, halfBeam, signal);
    AddFish(scene, window, halfBeam, volumeDb, pulse, signal);
    AddBottom(scene, window, halfBeam, pulse, signal);

    // Ambient noise, raised like every echo by the time-varied gain that
    // undoes spreading and absorption.
    const double alpha = AbsorptionDbPerMetre(set.frequencyKHz);
    const double ambient =
        (window.lowFrequency ? 47.0 : 37.0) + 0.5 * std::max(scene.speedKnots, 0.0);
    const double noiseBase = ambient - SourceLevelDb(set) - volumeDb;

    echo.received.resize(count);
    echo.noise.resize(count);
    const auto& speckle = SpeckleTable();
    Xorshift random{static_cast<uint32_t>(Key(seed_, static_cast<int64_t>(scene.ping),
                                              window.lowFrequency ? 2 : 1, 3)) |
                    1u};
    // The noise changes slowly with range: exact every few samples, straight
    // lines between.
    constexpr uint32_t kBlock = 16;
    const auto noiseAt = [&](uint32_t i) {
        const double r =
            std::max(SampleTop(window, static_cast<int>(i)) + 0.5 * window.stepMetres, 1.0);
        return FromDb(noiseBase + 20.0 * std::log10(r) + 2.0 * alpha * r);
    };
    double blockStart = noiseAt(0);
    for (uint32_t block = 0; block < count; block += kBlock) {
        const uint32_t end = std::min(count, block + kBlock);
        const double blockEnd = noiseAt(end);
        for (uint32_t i = block; i < end; ++i) {
            const float noise =
                static_cast<float>(blockStart + (blockEnd - blockStart) * (i - block) / kBlock);
            const uint32_t bits = random.Next();
            echo.noise[i] = noise;
            echo.received[i] =
                signal[i] * speckle[bits & 0xFF] + noise * speckle[(bits >> 8) & 0xFF];
        }
        blockStart = blockEnd;
    }
}

void EchoModel::Quantize(const Echo& echo, const SweepWindow& window, const FrequencySettings& set,
                         uint8_t* levels) {
    const double alpha = AbsorptionDbPerMetre(set.frequencyKHz);
    const auto adjustAt = [&](double r) {
        r = std::max(r, 1.0);
        if (set.tvg == 0) {
            return -(20.0 * std::log10(r / kTvgReferenceMetres) +
                     2.0 * alpha * (r - kTvgReferenceMetres));
        }
        if (set.tvg == 30) {
            return 10.0 * std::log10(r / kTvgReferenceMetres);
        }
        if (set.tvg == 40) {
            return 20.0 * std::log10(r / kTvgReferenceMetres);
        }
        return 0.0;
    };
    // The gain curve exact every few samples, straight lines between; logs in
    // single precision: a level is 3 dB, far coarser than either.
    constexpr uint32_t kBlock = 16;
    constexpr float kDbPerOctave = 3.0103f;
    // A sample below the lowest level shown by far more than the roundings
    // here is passed over without its logarithm: its level is 0 either way.
    const double lowestShownDb =
        kLevelFloorDb + kLevelStepDb * std::max(1, set.threshold) - 0.01 - set.gainDb;
    // Speckle makes whether a sample is seen a coin toss: the samples that
    // are seen are listed first, without a branch, then leveled in a loop
    // of their own that always takes the same turns.
    const uint32_t blocks = (window.count + kBlock - 1) / kBlock;
    std::vector<double> gains(static_cast<std::size_t>(blocks) + 1);
    for (uint32_t b = 0; b <= blocks; ++b) {
        const uint32_t at = std::min(window.count, b * kBlock);
        gains[b] = adjustAt(SampleTop(window, static_cast<int>(at)) + 0.5 * window.stepMetres);
    }
    // Read through locals: a store to the levels, bytes that may alias
    // anything, would otherwise reload them every time.
    const float* received = echo.received.data();
    const int threshold = set.threshold;
    std::vector<uint32_t> seenList(window.count);
    uint32_t* seen = seenList.data();
    uint32_t seenCount = 0;
    std::fill_n(levels, window.count, uint8_t{0});
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint32_t block = b * kBlock;
        const uint32_t end = std::min(window.count, block + kBlock);
        const auto unseen =
            static_cast<float>(std::exp2((lowestShownDb - std::max(gains[b], gains[b + 1])) /
                                         static_cast<double>(kDbPerOctave)));
        for (uint32_t i = block; i < end; ++i) {
            const float value = received[i];
            seen[seenCount] = i;
            seenCount += static_cast<uint32_t>((value > 0.0f) & (value >= unseen));
        }
    }
    for (uint32_t k = 0; k < seenCount; ++k) {
        const uint32_t i = seen[k];
        const uint32_t b = i / kBlock;
        const double from = gains[b];
        const double to = gains[b + 1];
        const double adjust = from + (to - from) * (i - b * kBlock) / kBlock;
        const double db = kDbPerOctave * std::log2(received[i]) + adjust + set.gainDb;
        // Clamped to [0, 15] (a NaN to 0), then truncated, which floors what
        // is left: a floor and a clamp without a branch to mispredict.
        const __m128d steps = _mm_set_sd((db - kLevelFloorDb) / kLevelStepDb);
        const __m128d clamped = _mm_min_sd(_mm_max_sd(steps, _mm_setzero_pd()), _mm_set_sd(15.0));
        const int level = _mm_cvttsd_si32(clamped);
        levels[i] = static_cast<uint8_t>(level < threshold ? 0 : level);
    }
}

void EchoModel::AddSurface(const PingScene& scene, const SweepWindow& window,
                           std::vector<float>& signal) const {
    // Ring-down of the transducer, then aerated water, deeper at speed.
    const double ringDown = 1.0;
    const double bubbles =
        std::max(1.6, 2.0 + 0.35 * std::max(scene.speedKnots, 0.0) +
                          1.2 * Smooth(seed_, scene.distance / 40.0 + scene.time / 20.0, 21));
    const auto [first, last] = SampleSpan(window, 0.0, bubbles);
    SmoothAlong texture(seed_, 22);
    for (int i = first; i < last; ++i) {
        const double r = SampleTop(window, i) + 0.5 * window.stepMetres;
        double db = -22.0;
        if (r > ringDown) {
            db = -44.0 - 26.0 * (r - ringDown) / (bubbles - ringDown) +
                 4.0 * texture(r * 1.5 + scene.time * 0.7);
        }
        signal[i] += static_cast<float>(FromDb(db));
    }
}

void EchoModel::AddLayer(const PingScene& scene, const SweepWindow& window,
                         std::vector<float>& signal) const {
    // A plankton layer that rises and sinks slowly along the way.
    const double centre = 38.0 + 14.0 * Smooth(seed_, scene.distance / 700.0, 11) +
                          6.0 * std::sin(scene.time / 1800.0);
    const double width = 5.0 + 2.0 * Smooth(seed_, scene.distance / 300.0, 12);
    const double strength =
        -70.0 + 4.0 * Smooth(seed_, scene.distance / 120.0 + scene.time / 400.0, 13);
    const double floor = scene.depth > 0.0 ? scene.depth - 0.5 : 1e9;
    const auto [first, last] =
        SampleSpan(window, centre - 3.0 * width, std::min(centre + 3.0 * width, floor));
    SmoothAlong patches(seed_, 14);
    for (int i = first; i < last; ++i) {
        const double r = SampleTop(window, i) + 0.5 * window.stepMetres;
        const double u = (r - centre) / width;
        const double patch = 3.0 * patches(r / 2.0 + scene.distance / 25.0);
        signal[i] += static_cast<float>(FromDb(strength + patch - 8.7 * u * u));
    }
}

void EchoModel::AddSchools(const PingScene& scene, const SweepWindow& window, double halfBeam,
                           std::vector<float>& signal) const {
    constexpr double kCell = 120.0;
    const double depth = EffectiveDepth(scene);
    const double reach = 35.0 + 40.0 + depth * std::tan(halfBeam) * 1.2;
    const int64_t firstCell = static_cast<int64_t>(std::floor((scene.distance - reach) / kCell));
    const int64_t lastCell = static_cast<int64_t>(std::floor((scene.distance + reach) / kCell));
    for (int64_t cell = firstCell; cell <= lastCell; ++cell) {
        if (Unit(Key(seed_, cell, 40)) > 0.5) {
            continue;
        }
        const double along =
            (cell + Unit(Key(seed_, cell, 41))) * kCell +
            40.0 * std::sin(scene.time / 700.0 + 6.283 * Unit(Key(seed_, cell, 42)));
        const double halfLength = 8.0 + 25.0 * Unit(Key(seed_, cell, 44));
        const double halfHeight = 2.5 + 6.0 * Unit(Key(seed_, cell, 45));
        double centre = depth * (0.3 + 0.55 * Unit(Key(seed_, cell, 43)));
        centre = std::min(centre, depth - halfHeight - 1.0);
        if (centre - halfHeight < 3.0) {
            continue;
        }
        const double strength = -46.0 + 9.0 * Unit(Key(seed_, cell, 46));
        const double offset = std::abs(along - scene.distance);
        const double footprint = centre * std::tan(halfBeam);
        const double outside = std::max(0.0, offset - footprint);
        if (outside >= halfLength) {
            continue;
        }
        const double q = outside / halfLength;
        const double height = halfHeight * std::sqrt(1.0 - q * q);
        const double edgeLoss = offset > footprint ? -4.0 : 0.0;
        const auto [first, last] = SampleSpan(window, centre - height, centre + height);
        SmoothAlong textures(seed_, 47 + static_cast<uint64_t>(cell));
        for (int i = first; i < last; ++i) {
            const double r = SampleTop(window, i) + 0.5 * window.stepMetres;
            const double texture = 4.0 * textures(r / 1.5 + offset / 3.0);
            signal[i] += static_cast<float>(FromDb(strength + edgeLoss + texture));
        }
    }
}

void EchoModel::AddFish(const PingScene& scene, const SweepWindow& window, double halfBeam,
                        double volumeDb, double pulseMetres, std::vector<float>& signal) const {
    constexpr double kCell = 12.0;
    constexpr double kLateral = 10.0;
    const double depth = EffectiveDepth(scene);
    const double reach = depth * std::tan(1.4 * halfBeam) + 12.0;
    // Fish plainly outside the beam go without their angle: the margin is far
    // wider than the roundings of either side, so no fish near the edge is
    // judged differently.
    const double plainlyOutside = std::tan(1.4 * halfBeam) * (1.0 + 1e-9);
    const int64_t firstCell = static_cast<int64_t>(std::floor((scene.distance - reach) / kCell));
    const int64_t lastCell = static_cast<int64_t>(std::floor((scene.distance + reach) / kCell));
    for (int64_t cell = firstCell; cell <= lastCell; ++cell) {
        const int count = static_cast<int>(Unit(Key(seed_, cell, 60)) * 4.0);
        for (int j = 0; j < count; ++j) {
            const uint64_t tag = 61 + 8 * static_cast<uint64_t>(j);
            const double along =
                (cell + Unit(Key(seed_, cell, tag))) * kCell +
                10.0 * std::sin(scene.time / 90.0 + 6.283 * Unit(Key(seed_, cell, tag + 1)));
            const double lateral = (2.0 * Unit(Key(seed_, cell, tag + 2)) - 1.0) * kLateral;
            const double where = Unit(Key(seed_, cell, tag + 4));
            double z = Unit(Key(seed_, cell, tag + 3)) < 0.55 ? depth * (0.78 + 0.2 * where)
                                                              : depth * (0.15 + 0.55 * where);
            z = std::min(z, depth - 0.6);
            if (z < 3.0) {
                continue;
            }
            const double dx = along - scene.distance;
            const double horizontal = std::sqrt(dx * dx + lateral * lateral);
            if (horizontal > z * plainlyOutside) {
                continue;
            }
            const double angle = std::atan2(horizontal, z) / halfBeam;
            if (angle > 1.4) {
                continue;
            }
            const double range = std::sqrt(horizontal * horizontal + z * z);
            const double strength = -48.0 + 18.0 * Unit(Key(seed_, cell, tag + 5));
            const double db = strength - 20.0 * std::log10(range) - volumeDb - 6.0 * angle * angle;
            auto [first, last] = SampleSpan(window, range, range + pulseMetres);
            if (first >= last) {
                continue;
            }
            const float value = static_cast<float>(FromDb(db));
            for (int i = first; i < last; ++i) {
                signal[i] += value;
            }
        }
    }
}

void EchoModel::AddBottom(const PingScene& scene, const SweepWindow& window, double halfBeam,
                          double pulseMetres, std::vector<float>& signal) const {
    if (!(scene.depth > 0.0)) {
        return;
    }
    const double h = std::clamp(scene.hardness, 0.0, 1.0);
    // Roughness: the leading edge wanders by a few centimetres from ping to ping.
    const double jitter =
        (Unit(Key(seed_, static_cast<int64_t>(scene.ping), 80)) - 0.5) * (0.04 + 0.08 * (1.0 - h));
    const double depth = scene.depth + jitter;
    const double backscatter = -30.0 + 22.0 * h;
    const double peak = backscatter - 10.0 * std::log10(pulseMetres);
    // The edge of the beam reaches the floor later than its centre; soft
    // floors let the sound in and ring longer.
    const double tail =
        depth * (1.0 / std::cos(halfBeam) - 1.0) + (1.0 - h) * (0.4 + 0.015 * depth);
    const double tailStart = peak - 3.0 - 6.0 * (1.0 - h);
    for (int echo = 1; echo <= 3; ++echo) {
        const double top = echo * depth;
        const double strength = (echo - 1) * (backscatter - 3.0);
        if (peak + strength < -75.0) {
            break;
        }
        const double length = echo * tail;
        const auto [first, last] = SampleSpan(window, top, top + pulseMetres + length);
        for (int i = first; i < last; ++i) {
            const double r = std::max(SampleTop(window, i), top);
            double db = peak;
            if (r - top >= pulseMetres) {
                db = tailStart - 27.0 * (r - top - pulseMetres) / length;
            }
            signal[i] += static_cast<float>(FromDb(db + strength));
        }
    }
}

}  // namespace norvane

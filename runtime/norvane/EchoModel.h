#pragma once
// The water under the ship as one channel of the sounder hears it: surface
// band, scattering layer, fish schools, single fish, the bottom with its tail
// and its multiples, and noise. Everything random follows the seed and the
// ping number, so a ping is the same whenever and on whatever thread it is made.
#include <cstdint>
#include <vector>

#include "runtime/norvane/SounderSettings.h"

namespace norvane {

// Where the ship is, when one ping leaves.
struct PingScene {
    uint64_t ping = 0;
    double time = 0.0;      // ship seconds
    double distance = 0.0;  // metres run through the water
    double depth = 0.0;     // metres; <= 0 for no bottom in reach
    double hardness = 0.5;  // 0 mud .. 1 rock
    double speedKnots = 0.0;
};

// The window one sweep covers and the transducer that makes it.
struct SweepWindow {
    bool lowFrequency = false;
    double topMetres = 0.0;
    double stepMetres = 0.1;
    uint32_t count = 1000;
};

// One channel's echo before display: per sample, what arrived (volume
// backscatter equivalents, linear, noise included) and the noise alone.
struct Echo {
    std::vector<float> received;
    std::vector<float> noise;
};

class EchoModel {
  public:
    explicit EchoModel(uint32_t seed) : seed_(seed) {}

    void Render(const PingScene& scene, const SweepWindow& window, const FrequencySettings& set,
                Echo& echo) const;
    // Levels 0 to 15 as the display shows them: time-varied gain, gain,
    // 3 dB steps and the threshold.
    static void Quantize(const Echo& echo, const SweepWindow& window, const FrequencySettings& set,
                         uint8_t* levels);

    // Figures of a channel, also used by the bottom detector.
    static double AbsorptionDbPerMetre(double frequencyKHz);
    static double HalfBeamRadians(bool lowFrequency);

  private:
    void AddSurface(const PingScene&, const SweepWindow&, std::vector<float>&) const;
    void AddLayer(const PingScene&, const SweepWindow&, std::vector<float>&) const;
    void AddSchools(const PingScene&, const SweepWindow&, double halfBeam,
                    std::vector<float>&) const;
    void AddFish(const PingScene&, const SweepWindow&, double halfBeam, double volumeDb,
                 double pulseMetres, std::vector<float>&) const;
    void AddBottom(const PingScene&, const SweepWindow&, double halfBeam, double pulseMetres,
                   std::vector<float>&) const;

    uint32_t seed_;
};

}  // namespace norvane

#pragma once
// Turns a recorded frame's echo samples (bytes 0 to 255, as many as the
// recorder took) into a sounder sweep: at most 1024 levels of 0 to 15.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How recorded strengths become levels, the weakest shown first:
//   low     only strong echoes: the bottom and dense schools;
//   normal  the bottom, fish and some of the water (the default);
//   high    weak echoes too: single fish, plankton layers, more clutter;
//   linear  the recorded strength in 16 equal steps, nothing hidden.
enum class EchoGain { kLow, kNormal, kHigh, kLinear };

std::optional<EchoGain> ParseEchoGain(const std::string& text);
const char* EchoGainName(EchoGain gain);

class SweepReducer {
  public:
    static constexpr std::size_t kMostLevels = 1024;

    explicit SweepReducer(EchoGain gain = EchoGain::kNormal);

    // Levels of samples: one per sample up to 1024 samples; beyond, each
    // level averages the echo power of consecutive samples, so that the
    // window keeps its depth and a thin bottom echo its strength.
    void Reduce(const std::uint8_t* samples, std::size_t count,
                std::vector<std::uint8_t>& levels) const;
    std::uint8_t Level(std::uint8_t strength) const { return curve_[strength]; }
    // The weakest strength of each level 0 to 15; a level the curve skips
    // starts where the next one does.
    std::array<int, 16> LevelStarts() const;

  private:
    std::array<std::uint8_t, 256> curve_{};
};

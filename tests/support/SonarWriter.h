#pragma once
// Writes sonar recordings (SL2 or SL3) frame by frame, from the published
// layout of their headers, for tests that need recordings of a known content
// or a known damage.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

struct RecordedFrame {
    std::uint16_t channel = 0;
    std::uint8_t frequency = 0;  // 0 200 kHz, 1 50 kHz, 2 83 kHz...
    double upperFeet = 0.0;
    double lowerFeet = 100.0;
    double depthFeet = 0.0;
    double keelFeet = 0.0;
    double speedKnots = std::numeric_limits<double>::quiet_NaN();
    double waterSpeedKnots = std::numeric_limits<double>::quiet_NaN();
    double temperatureCelsius = std::numeric_limits<double>::quiet_NaN();
    double latitudeDegrees = std::numeric_limits<double>::quiet_NaN();
    double longitudeDegrees = std::numeric_limits<double>::quiet_NaN();
    double courseRadians = std::numeric_limits<double>::quiet_NaN();
    double headingRadians = std::numeric_limits<double>::quiet_NaN();
    std::uint32_t timeMilliseconds = 0;
    std::vector<std::uint8_t> samples;
    // Damage: fields written as given instead of as they should be.
    std::optional<std::uint32_t> frameSize;
    std::optional<std::uint32_t> sampleCount;
    std::optional<std::uint32_t> offset;
    std::optional<std::uint16_t> flags;  // instead of the validity of the values given
};

class SonarWriter {
  public:
    explicit SonarWriter(int format = 2, std::uint16_t version = 0);
    void Add(const RecordedFrame& frame);
    const std::string& Bytes() const { return bytes_; }
    void Save(const std::string& path) const;
    // Where the next frame will start.
    std::size_t Size() const { return bytes_.size(); }

  private:
    int format_;
    std::string bytes_;
    std::uint16_t previousSize_ = 0;
    std::uint32_t index_ = 0;
};

// A trip of frames / 2 pings over a bottom sloping from 8 m to about 45 m,
// with schools of fish: primary frames at 200 kHz of 2048 samples, secondary
// at 83 kHz of 900, and a down-scan frame every tenth ping; ten pings a
// second at 5 knots heading east from 47.5 N, 3.5 W.
std::string DemoSonarRecording(int frames, int format = 2);

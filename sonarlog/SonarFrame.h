#pragma once
// The frames of a chart plotter's sonar recording (SL2, and SL3 which differs
// in its frame header): the file header and each frame's header read from
// bytes in memory. Little endian throughout; depths in feet and speeds in
// knots as recorded, turned into metres and radians here.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Error.h"

enum class SonarFormat : std::uint16_t { kSl2 = 2, kSl3 = 3 };

// The recorded channels; any other code is unknown.
enum SonarChannel : std::uint16_t {
    kSonarPrimary = 0,
    kSonarSecondary = 1,
    kSonarDownScan = 2,
    kSonarSideLeft = 3,
    kSonarSideRight = 4,
    kSonarSideComposite = 5,
    kSonarChannelCount = 6,
};

struct SonarFileHeader {
    SonarFormat format = SonarFormat::kSl2;
    std::uint16_t version = 0;
    std::uint16_t blockSize = 0;
};

// What one frame's header says. Values the recording marks invalid (or that
// no instrument can mean) are left unset.
struct SonarFrame {
    std::uint32_t offset = 0;  // where the frame says it starts in the file
    std::uint32_t frameSize = 0;
    std::uint32_t previousFrameSize = 0;
    std::uint16_t channel = 0;
    std::uint32_t index = 0;
    std::uint8_t frequencyCode = 0;
    std::uint32_t sampleCount = 0;  // bytes of echo samples after the header
    double upperMetres = 0.0;       // window of the samples
    double lowerMetres = 0.0;
    double timeSeconds = 0.0;  // since the recording began
    std::uint16_t flags = 0;
    std::optional<double> depthMetres;
    std::optional<double> keelMetres;
    std::optional<double> speedKnots;  // over ground
    std::optional<double> waterSpeedKnots;
    std::optional<double> temperatureCelsius;
    std::optional<double> latitude;   // radians
    std::optional<double> longitude;  // radians
    std::optional<double> course;     // over ground, radians from true north
    std::optional<double> heading;    // radians from true north

    bool HasPosition() const { return latitude && longitude; }
};

// Whether the frequency code names a low frequency (28 to 83 kHz), a high one
// (90 kHz and up), or nothing known.
enum class SonarBand { kUnknown, kHigh, kLow };
SonarBand BandOfFrequency(std::uint8_t code);

constexpr std::size_t kSonarFileHeaderBytes = 8;
std::size_t SonarFrameHeaderBytes(SonarFormat format);

// The file header, or why the bytes are not a recording's, as a user reads it.
ErrorOr<SonarFileHeader> ParseSonarFileHeader(const std::uint8_t* data, std::size_t size);
// False when size is shorter than the format's frame header.
bool ParseSonarFrameHeader(SonarFormat format, const std::uint8_t* data, std::size_t size,
                           SonarFrame& frame);

// The recordings' packed Mercator coordinates (metres on a sphere of the
// earth's polar radius) as radians.
double SonarLatitude(std::int32_t northing);
double SonarLongitude(std::int32_t easting);

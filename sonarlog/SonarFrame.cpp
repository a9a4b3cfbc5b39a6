#include "sonarlog/SonarFrame.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr double kPolarRadiusMetres = 6356752.3142;
constexpr double kMetresPerFoot = 0.3048;
// Beyond this the packed northing means no latitude a ship can have.
constexpr double kHighestLatitude = 85.0 * std::numbers::pi / 180.0;

constexpr std::uint16_t kCourseValid = 0x0080;
constexpr std::uint16_t kWaterSpeedValid = 0x0040;
constexpr std::uint16_t kPositionValid = 0x0010;
constexpr std::uint16_t kTemperatureValid = 0x0004;
constexpr std::uint16_t kSpeedValid = 0x0002;
constexpr std::uint16_t kHeadingValid = 0x0100;

// Where the fields lie in each format's frame header.
struct Layout {
    std::size_t headerBytes;
    std::size_t frameSize, previousFrameSize, channel, index, upper, lower, frequency;
    std::size_t sampleCount, depth, keel, speed, temperature, easting, northing, waterSpeed;
    std::size_t course, heading, flags, time;
};
constexpr std::size_t kNone = ~std::size_t{0};
constexpr Layout kSl2{144, 28,  30,  32,  36,  40,  44,  50,  34,  64,
                      68,  100, 104, 108, 112, 116, 120, 128, 132, 140};
constexpr Layout kSl3{168,   8,  10, 12, 16, 20,  24,  52,  44,  48,
                      kNone, 84, 88, 92, 96, 100, 104, 112, 116, 124};

const Layout& LayoutOf(SonarFormat format) {
    return format == SonarFormat::kSl3 ? kSl3 : kSl2;
}

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
double F32(const std::uint8_t* p) {
    const std::uint32_t bits = U32(p);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::optional<double> Within(double value, double low, double high) {
    if (!std::isfinite(value) || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// An angle the recording gives in radians, brought into [0, 2 pi).
std::optional<double> Bearing(double radians) {
    if (!std::isfinite(radians) || std::fabs(radians) > 100.0) {
        return std::nullopt;
    }
    const double turn = 2.0 * std::numbers::pi;
    double value = std::fmod(radians, turn);
    return value < 0.0 ? value + turn : value;
}

// The values a frame marks valid in its flags: speeds, temperature, course,
// heading and position.
void ReadFlaggedValues(const Layout& at, const std::uint8_t* data, SonarFrame& frame);

}  // namespace

SonarBand BandOfFrequency(std::uint8_t code) {
    switch (code) {
        case 0:  // 200 kHz
        case 3:  // 455 kHz
        case 4:  // 800 kHz
        case 7:  // 130 to 210 kHz
        case 8:  // 90 to 150 kHz
            return SonarBand::kHigh;
        case 1:   // 50 kHz
        case 2:   // 83 kHz
        case 5:   // 38 kHz
        case 6:   // 28 kHz
        case 9:   // 40 to 60 kHz
        case 10:  // 25 to 45 kHz
            return SonarBand::kLow;
        default:
            return SonarBand::kUnknown;
    }
}

std::size_t SonarFrameHeaderBytes(SonarFormat format) {
    return LayoutOf(format).headerBytes;
}

ErrorOr<SonarFileHeader> ParseSonarFileHeader(const std::uint8_t* data, std::size_t size) {
    if (size < kSonarFileHeaderBytes) {
        return Error::Refused(size == 0 ? "the file is empty"
                                        : "the file is too short for a sonar recording");
    }
    const std::uint16_t format = U16(data);
    if (format == 1) {
        return Error::Refused(
            "it is an SLG recording (format 1), which is not supported; SL2 and SL3 are");
    }
    if (format != 2 && format != 3) {
        return Error::Refused("its header is not that of an SL2 or SL3 recording");
    }
    SonarFileHeader header;
    header.format = static_cast<SonarFormat>(format);
    header.version = U16(data + 2);
    header.blockSize = U16(data + 4);
    return header;
}

bool ParseSonarFrameHeader(SonarFormat format, const std::uint8_t* data, std::size_t size,
                           SonarFrame& frame) {
    const Layout& at = LayoutOf(format);
    if (size < at.headerBytes) {
        return false;
    }
    frame = SonarFrame{};
    frame.offset = U32(data);
    frame.frameSize = U16(data + at.frameSize);
    frame.previousFrameSize = U16(data + at.previousFrameSize);
    frame.channel = U16(data + at.channel);
    frame.index = U32(data + at.index);
    frame.frequencyCode = data[at.frequency];
    frame.sampleCount = U16(data + at.sampleCount);
    const double upper = F32(data + at.upper) * kMetresPerFoot;
    const double lower = F32(data + at.lower) * kMetresPerFoot;
    frame.upperMetres = std::isfinite(upper) ? upper : 0.0;
    frame.lowerMetres = std::isfinite(lower) ? lower : 0.0;
    frame.timeSeconds = U32(data + at.time) / 1000.0;
    frame.flags = U16(data + at.flags);

    // A depth of 0 is the sounder without a bottom.
    frame.depthMetres = Within(F32(data + at.depth) * kMetresPerFoot, 0.01, 12000.0);
    if (at.keel != kNone) {
        frame.keelMetres = Within(F32(data + at.keel) * kMetresPerFoot, 0.0, 30.0);
    }
    ReadFlaggedValues(at, data, frame);
    return true;
}

double SonarLatitude(std::int32_t northing) {
    return 2.0 * std::atan(std::exp(northing / kPolarRadiusMetres)) - std::numbers::pi / 2.0;
}

double SonarLongitude(std::int32_t easting) {
    return easting / kPolarRadiusMetres;
}

namespace {

void ReadFlaggedValues(const Layout& at, const std::uint8_t* data, SonarFrame& frame) {
    // A recorder that writes no flags at all is taken at its word where it
    // wrote anything but zero.
    const std::uint16_t flags = frame.flags;
    const auto valid = [flags, data](std::uint16_t bit, std::size_t at) {
        return flags != 0 ? (flags & bit) != 0 : F32(data + at) != 0.0;
    };
    if (valid(kSpeedValid, at.speed)) {
        frame.speedKnots = Within(F32(data + at.speed), 0.0, 100.0);
    }
    if (valid(kWaterSpeedValid, at.waterSpeed)) {
        frame.waterSpeedKnots = Within(F32(data + at.waterSpeed), 0.0, 100.0);
    }
    if (valid(kTemperatureValid, at.temperature)) {
        frame.temperatureCelsius = Within(F32(data + at.temperature), -5.0, 45.0);
    }
    if (valid(kCourseValid, at.course)) {
        frame.course = Bearing(F32(data + at.course));
    }
    if (valid(kHeadingValid, at.heading)) {
        frame.heading = Bearing(F32(data + at.heading));
    }
    if (flags == 0 || (flags & kPositionValid) != 0) {
        const auto easting = static_cast<std::int32_t>(U32(data + at.easting));
        const auto northing = static_cast<std::int32_t>(U32(data + at.northing));
        const double latitude = SonarLatitude(northing);
        const double longitude = SonarLongitude(easting);
        // A position at exactly 0, 0 is a receiver without a fix.
        if (std::fabs(latitude) <= kHighestLatitude && std::fabs(longitude) <= std::numbers::pi &&
            (easting != 0 || northing != 0)) {
            frame.latitude = latitude;
            frame.longitude = longitude;
        }
    }
}

}  // namespace

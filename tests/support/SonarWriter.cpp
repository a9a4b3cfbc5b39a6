#include "tests/support/SonarWriter.h"

#include <cstring>
#include <fstream>
#include <numbers>
#include <random>

namespace {

constexpr double kPolarRadius = 6356752.3142;

void Put16(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}
void PutFloat(std::string& bytes, std::size_t at, double value) {
    const float single = static_cast<float>(value);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &single, sizeof bits);
    Put32(bytes, at, bits);
}

// Where the fields of a frame lie in each format; the keel only in format 2.
struct FrameLayout {
    std::size_t header;
    std::size_t size, previousSize, channel, index, upper, lower, count, depth, frequency, keel;
    std::size_t speed, temperature, easting, northing, waterSpeed, course, heading, flags, time;
};
constexpr FrameLayout kSl2{144, 28,  30,  32,  36,  40,  44,  34,  64,  50,
                           68,  100, 104, 108, 112, 116, 120, 128, 132, 140};
constexpr FrameLayout kSl3{168, 8,  10, 12, 16, 20,  24,  44,  48,  52,
                           0,   84, 88, 92, 96, 100, 104, 112, 116, 124};

// The flags of the values a frame holds.
std::uint16_t PresentFlags(const RecordedFrame& f, double lat, double lon) {
    std::uint16_t flags = 0;
    if (std::isfinite(lat) && std::isfinite(lon))
        flags |= 0x0010;
    if (std::isfinite(f.speedKnots))
        flags |= 0x0002;
    if (std::isfinite(f.waterSpeedKnots))
        flags |= 0x0040;
    if (std::isfinite(f.temperatureCelsius))
        flags |= 0x0004;
    if (std::isfinite(f.courseRadians))
        flags |= 0x0080;
    if (std::isfinite(f.headingRadians))
        flags |= 0x0100;
    return flags;
}

// The levels of one demonstration sweep: noise, the transducer's ring,
// schools every 40 s of the trip half-way down as arches, and the bottom
// with its tail.
std::vector<std::uint8_t> DemoLevels(int count, double range, double depth, double t,
                                     std::mt19937& random,
                                     std::uniform_int_distribution<int>& noise) {
    std::vector<std::uint8_t> levels(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double metres = range * (i + 0.5) / count;
        int level = noise(random);
        if (metres < 1.0) {
            level = 200;
        }
        const double school = std::fmod(t, 40.0) - 20.0;
        const double fishDepth = depth * 0.5 + 0.02 * school * school;
        if (std::fabs(school) < 4.0 && std::fabs(metres - fishDepth) < 0.4) {
            level = 150 + noise(random);
        }
        if (metres >= depth) {
            const double below = metres - depth;
            level = std::max(level, static_cast<int>(250.0 * std::exp(-below / 2.5)));
        }
        levels[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(level);
    }
    return levels;
}

}  // namespace

SonarWriter::SonarWriter(int format, std::uint16_t version) : format_(format), bytes_(8, '\0') {
    Put16(bytes_, 0, static_cast<std::uint32_t>(format));
    Put16(bytes_, 2, version);
    Put16(bytes_, 4, format == 3 ? 3200 : 1970);
}

void SonarWriter::Add(const RecordedFrame& f) {
    const FrameLayout& at = format_ == 3 ? kSl3 : kSl2;
    std::string frame(at.header, '\0');
    const auto start = static_cast<std::uint32_t>(bytes_.size());
    const std::uint32_t size =
        f.frameSize.value_or(static_cast<std::uint32_t>(at.header + f.samples.size()));
    const std::uint32_t count =
        f.sampleCount.value_or(static_cast<std::uint32_t>(f.samples.size()));
    const double lat = f.latitudeDegrees * std::numbers::pi / 180.0;
    const double lon = f.longitudeDegrees * std::numbers::pi / 180.0;
    const auto easting = static_cast<std::int32_t>(std::lround(kPolarRadius * lon));
    const auto northing = static_cast<std::int32_t>(
        std::lround(kPolarRadius * std::log(std::tan(std::numbers::pi / 4.0 + lat / 2.0))));
    auto finite = [](double value) { return std::isfinite(value) ? value : 0.0; };

    Put32(frame, 0, f.offset.value_or(start));
    Put16(frame, at.size, size);
    Put16(frame, at.previousSize, previousSize_);
    Put16(frame, at.channel, f.channel);
    Put32(frame, at.index, index_);
    PutFloat(frame, at.upper, f.upperFeet);
    PutFloat(frame, at.lower, f.lowerFeet);
    Put16(frame, at.count, count);
    PutFloat(frame, at.depth, f.depthFeet);
    frame[at.frequency] = static_cast<char>(f.frequency);
    if (at.keel != 0) {
        PutFloat(frame, at.keel, f.keelFeet);
    }
    PutFloat(frame, at.speed, finite(f.speedKnots));
    PutFloat(frame, at.temperature, finite(f.temperatureCelsius));
    Put32(frame, at.easting, static_cast<std::uint32_t>(easting));
    Put32(frame, at.northing, static_cast<std::uint32_t>(northing));
    PutFloat(frame, at.waterSpeed, finite(f.waterSpeedKnots));
    PutFloat(frame, at.course, finite(f.courseRadians));
    PutFloat(frame, at.heading, finite(f.headingRadians));
    Put16(frame, at.flags, f.flags.value_or(PresentFlags(f, lat, lon)));
    Put32(frame, at.time, f.timeMilliseconds);
    frame.append(f.samples.begin(), f.samples.end());
    bytes_ += frame;
    previousSize_ = static_cast<std::uint16_t>(size);
    ++index_;
}

void SonarWriter::Save(const std::string& path) const {
    std::ofstream(path, std::ios::binary) << bytes_;
}

std::string DemoSonarRecording(int frames, int format) {
    SonarWriter writer(format);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(0, 28);
    constexpr double kFeetPerMetre = 1.0 / 0.3048;
    const int pings = frames / 2;
    for (int ping = 0; ping < pings; ++ping) {
        const double t = ping * 0.1;
        const double east = t * 5.0 * 1852.0 / 3600.0;  // metres
        const double depth = 8.0 + 37.0 * ping / std::max(pings - 1, 1) + 1.5 * std::sin(t / 9.0);
        const double range = depth < 18.0 ? 30.0 : depth < 36.0 ? 60.0 : 90.0;  // metres
        for (int channel = 0; channel < 2; ++channel) {
            RecordedFrame f;
            f.channel = static_cast<std::uint16_t>(channel);
            f.frequency = channel == 0 ? 0 : 2;
            f.lowerFeet = range * kFeetPerMetre;
            f.depthFeet = depth * kFeetPerMetre;
            f.keelFeet = 1.0;
            f.speedKnots = 5.0;
            f.waterSpeedKnots = 4.8;
            f.temperatureCelsius = 14.0 - 3.0 * ping / pings;
            f.latitudeDegrees = 47.5;
            f.longitudeDegrees =
                -3.5 + east / (6371000.0 * std::cos(47.5 * std::numbers::pi / 180.0)) * 180.0 /
                           std::numbers::pi;
            f.courseRadians = std::numbers::pi / 2.0;
            f.headingRadians = std::numbers::pi / 2.0 + 0.03;
            f.timeMilliseconds = static_cast<std::uint32_t>(ping * 100 + channel * 5);
            f.samples = DemoLevels(channel == 0 ? 2048 : 900, range, depth, t, random, noise);
            writer.Add(f);
        }
        if (ping % 10 == 0) {
            RecordedFrame downScan;
            downScan.channel = 2;
            downScan.frequency = 4;
            downScan.timeMilliseconds = static_cast<std::uint32_t>(ping * 100 + 8);
            downScan.samples.assign(1400, 40);
            writer.Add(downScan);
        }
    }
    return writer.Bytes();
}

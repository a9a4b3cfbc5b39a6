// The sonar recording's reader: the fields of both formats as a user's
// instruments gave them, every kind of damage counted and stepped over, and
// files of other kinds refused.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <sstream>

#include "sonarlog/SonarLog.h"
#include "sonarlog/SweepReducer.h"
#include "tests/support/SonarWriter.h"

namespace {

constexpr double kFoot = 0.3048;

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// Metres between two positions in radians (short distances).
double Metres(double lat1, double lon1, double lat2, double lon2) {
    const double dLat = lat2 - lat1;
    const double dLon = (lon2 - lon1) * std::cos(lat1);
    return std::sqrt(dLat * dLat + dLon * dLon) * 6371000.0;
}

struct Read {
    std::vector<SonarFrame> frames;
    std::vector<std::vector<std::uint8_t>> samples;
    SonarStats stats;
};

Read ReadAll(const std::string& bytes) {
    std::istringstream in(bytes);
    SonarLog log;
    Read read;
    if (const ErrorOr<void> attached = log.Attach(in); !attached) {
        ADD_FAILURE() << attached.GetError().Message();
        return read;
    }
    SonarFrame frame;
    // Bounded: a reader that loops fails here instead of hanging.
    for (int guard = 0; guard < 1000 && log.Next(frame); ++guard) {
        read.frames.push_back(frame);
        read.samples.emplace_back();
        log.ReadSamples(read.samples.back());
        EXPECT_LE(log.Offset(), bytes.size());
    }
    EXPECT_FALSE(log.Next(frame)) << "the end stays the end";
    read.stats = log.Stats();
    return read;
}

RecordedFrame Ping(std::uint16_t channel, std::uint32_t time, std::size_t samples = 300) {
    RecordedFrame f;
    f.channel = channel;
    f.timeMilliseconds = time;
    f.samples.assign(samples, static_cast<std::uint8_t>(channel * 40 + 7));
    return f;
}

}  // namespace

TEST(SonarLog, ReadsTheFieldsOfBothFormatsInMetresAndRadians) {
    struct Case {
        double latitude, longitude;
    };
    const Case places[] = {{47.5, -3.5}, {-33.9, 151.2}, {64.1, -21.9}, {0.001, 179.9}};
    for (const int format : {2, 3}) {
        SonarWriter writer(format);
        for (int i = 0; i < 4; ++i) {
            RecordedFrame f = Ping(static_cast<std::uint16_t>(i % 2), 1000u * i + 250u, 50 + i);
            f.frequency = static_cast<std::uint8_t>(i);
            f.upperFeet = 10.0 * i;
            f.lowerFeet = 100.0 + 10.0 * i;
            f.depthFeet = 42.0 + i;
            f.keelFeet = 3.0;
            f.speedKnots = 5.5 + i;
            f.waterSpeedKnots = 4.0;
            f.temperatureCelsius = 11.25 + i;
            f.latitudeDegrees = places[i].latitude;
            f.longitudeDegrees = places[i].longitude;
            f.courseRadians = 1.5 + i;
            f.headingRadians = -0.5;  // west of north
            writer.Add(f);
        }
        const Read read = ReadAll(writer.Bytes());
        ASSERT_EQ(read.frames.size(), 4u) << "format " << format;
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE("format " + std::to_string(format) + " frame " + std::to_string(i));
            const SonarFrame& f = read.frames[i];
            EXPECT_EQ(f.channel, i % 2);
            EXPECT_EQ(f.frequencyCode, i);
            EXPECT_EQ(f.index, static_cast<std::uint32_t>(i));
            EXPECT_NEAR(f.timeSeconds, i + 0.25, 1e-9);
            EXPECT_NEAR(f.upperMetres, 10.0 * i * kFoot, 1e-4);
            EXPECT_NEAR(f.lowerMetres, (100.0 + 10.0 * i) * kFoot, 1e-4);
            ASSERT_TRUE(f.depthMetres && f.speedKnots && f.temperatureCelsius && f.course &&
                        f.heading && f.HasPosition());
            EXPECT_NEAR(*f.depthMetres, (42.0 + i) * kFoot, 1e-4);
            EXPECT_NEAR(*f.speedKnots, 5.5 + i, 1e-5);
            EXPECT_NEAR(*f.temperatureCelsius, 11.25 + i, 1e-5);
            EXPECT_NEAR(*f.course, 1.5 + i, 1e-5);
            EXPECT_NEAR(*f.heading, 2.0 * std::numbers::pi - 0.5, 1e-5);
            EXPECT_LT(Metres(*f.latitude, *f.longitude, Radians(places[i].latitude),
                             Radians(places[i].longitude)),
                      1.0);
            // The keel is an SL2 field only.
            EXPECT_EQ(f.keelMetres.has_value(), format == 2);
            EXPECT_EQ(read.samples[i].size(), 50u + i);
        }
    }
}

TEST(SonarLog, ValuesAreReadAsTheirValidityFlagsSay) {
    struct Case {
        const char* name;
        std::optional<std::uint16_t> flags;
        bool values;    // the fields hold values (else zeros)
        bool expected;  // speed, course, heading and position read
    };
    const Case cases[] = {
        {"values marked invalid", std::uint16_t{0x0200}, true, false},  // altitude only
        {"nothing recorded", std::nullopt, false, false},
        // A recorder that writes no flags: its non-zero values stand.
        {"no flags at all", std::uint16_t{0}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SonarWriter writer;
        RecordedFrame f = Ping(0, 0);
        f.depthFeet = 0.0;  // no bottom found
        if (c.values) {
            f.speedKnots = 4.0;
            f.courseRadians = 1.0;
            f.headingRadians = 1.1;
            f.latitudeDegrees = 10.0;
            f.longitudeDegrees = 20.0;
        }
        f.flags = c.flags;
        writer.Add(f);
        const Read read = ReadAll(writer.Bytes());
        ASSERT_EQ(read.frames.size(), 1u);
        const SonarFrame& frame = read.frames[0];
        EXPECT_FALSE(frame.depthMetres || frame.temperatureCelsius);
        EXPECT_EQ(frame.speedKnots.has_value(), c.expected);
        EXPECT_EQ(frame.course.has_value(), c.expected);
        EXPECT_EQ(frame.heading.has_value(), c.expected);
        EXPECT_EQ(frame.HasPosition(), c.expected);
    }
}

TEST(SonarLog, DamagedFramesAreCountedByKindAndStepped) {
    struct Case {
        const char* name;
        // Adds the frames of the recording, damaging one of them.
        std::function<void(SonarWriter&)> write;
        std::size_t framesRead;
        std::int64_t SonarStats::*kind;
        std::size_t cut;  // bytes cut off the end of the file
    };
    auto good = [](SonarWriter& w, int n, std::uint32_t from) {
        for (int i = 0; i < n; ++i) {
            w.Add(Ping(0, from + 100u * i));
        }
    };
    const Case cases[] = {
        {"a frame size of 0",
         [&](SonarWriter& w) {
             good(w, 2, 0);
             RecordedFrame bad = Ping(0, 200);
             bad.frameSize = 0;
             w.Add(bad);
             good(w, 2, 300);
         },
         4, &SonarStats::zeroSize, 0},
        {"a frame size smaller than the header",
         [&](SonarWriter& w) {
             good(w, 2, 0);
             RecordedFrame bad = Ping(0, 200);
             bad.frameSize = 20;
             w.Add(bad);
             good(w, 2, 300);
         },
         4, &SonarStats::undersized, 0},
        {"a frame size beyond the file",
         [&](SonarWriter& w) {
             good(w, 2, 0);
             RecordedFrame bad = Ping(0, 200);
             bad.frameSize = 60000;
             w.Add(bad);
             good(w, 2, 300);
         },
         4, &SonarStats::beyondFile, 0},
        {"a frame size and a sample count that fit but are wrong",
         [&](SonarWriter& w) {
             good(w, 2, 0);
             RecordedFrame bad = Ping(0, 200);
             // Both land inside the next frame, which is lost.
             bad.frameSize = 144 + 300 + 50;
             bad.sampleCount = 300 + 50;
             w.Add(bad);
             good(w, 3, 300);
         },
         5, &SonarStats::misplaced, 0},
        {"an unknown channel code",
         [&](SonarWriter& w) {
             good(w, 2, 0);
             w.Add(Ping(9, 200));
             good(w, 2, 300);
         },
         4, &SonarStats::unknownChannel, 0},
        // Sizes that miss the next frame, which lies after the samples.
        {"a frame size off by one",
         [&](SonarWriter& w) {
             good(w, 2, 0);
             RecordedFrame bad = Ping(0, 200);
             bad.frameSize = 144 + 300 + 1;
             w.Add(bad);
             good(w, 2, 300);
         },
         5, &SonarStats::wrongSize, 0},
        {"a frame size of 0xFFFF inside the file",
         [&](SonarWriter& w) {
             good(w, 2, 0);
             RecordedFrame bad = Ping(0, 200);
             bad.frameSize = 0xFFFF;
             w.Add(bad);
             good(w, 200, 300);
         },
         203, &SonarStats::wrongSize, 0},
        {"more samples announced than the frame holds",
         [&](SonarWriter& w) {
             RecordedFrame bad = Ping(1, 0);
             bad.sampleCount = 5000;
             w.Add(bad);
             good(w, 2, 100);
         },
         3, &SonarStats::shortSamples, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SonarWriter writer;
        c.write(writer);
        const std::string& bytes = writer.Bytes();
        const Read read = ReadAll(bytes.substr(0, bytes.size() - c.cut));
        EXPECT_EQ(read.frames.size(), c.framesRead);
        EXPECT_EQ(read.stats.*(c.kind), 1);
        EXPECT_EQ(read.stats.Damaged(), 1);
        for (const auto& samples : read.samples) {
            EXPECT_LE(samples.size(), 350u);
        }
    }
    // A frame size that is not the header and the samples, as some recorders
    // write it, is no damage when the next frame follows the samples.
    SonarWriter loose(3);
    RecordedFrame first = Ping(0, 0);
    first.frameSize = 168 + 300 + 16;
    loose.Add(first);
    const auto place = static_cast<std::uint32_t>(loose.Size());
    SonarWriter rest(3);
    for (std::uint32_t i = 0; i < 2; ++i) {
        RecordedFrame next = Ping(0, 100 * (i + 1));
        next.offset = place + i * (168 + 300);
        rest.Add(next);
    }
    const Read read = ReadAll(loose.Bytes() + rest.Bytes().substr(8));
    EXPECT_EQ(read.frames.size(), 3u);
    EXPECT_EQ(read.stats.Damaged(), 0);

    // Nothing but garbage after a recording's header: no frame, and an end.
    const Read garbage = ReadAll(SonarWriter(3).Bytes() + std::string(5000, '\x5A'));
    EXPECT_TRUE(garbage.frames.empty());
    EXPECT_EQ(garbage.stats.Damaged(), 1);
}

// A gap larger than any frame (20 MB of a card's unreadable sectors) loses
// only itself: the frames after it are found and read, the gap counted.
TEST(SonarLog, AGapOfAnySizeLosesOnlyItself) {
    SonarWriter before;
    for (std::uint32_t i = 0; i < 40; ++i) {
        before.Add(Ping(0, 100 * i));
    }
    const std::size_t gap = 20u << 20;
    const std::size_t after = before.Size() + gap;
    SonarWriter rest;
    for (std::uint32_t i = 0; i < 760; ++i) {
        RecordedFrame frame = Ping(static_cast<std::uint16_t>(i % 2), 4000 + 100 * i);
        frame.offset = static_cast<std::uint32_t>(after + rest.Size() - kSonarFileHeaderBytes);
        rest.Add(frame);
    }
    const Read read = ReadAll(before.Bytes() + std::string(gap, '\x5A') +
                              rest.Bytes().substr(kSonarFileHeaderBytes));
    EXPECT_EQ(read.frames.size(), 800u);
    EXPECT_EQ(read.stats.misplaced, 1);
    EXPECT_EQ(read.stats.Damaged(), 1);
    EXPECT_EQ(read.stats.bytesSkipped, static_cast<std::int64_t>(gap));
    EXPECT_EQ(read.frames.back().index, 759u);
}

TEST(SonarLog, FilesOfOtherKindsAreRefusedWithAReason) {
    struct Case {
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"", "empty"},
        {std::string("\x02\x00", 2), "too short"},
        {"$GPGGA,120000.00,4730.000,N,00330.000,W,1,08,1.0,0.0,M,0.0,M,,*4B\r\n", "not that of"},
        {std::string("\x01\x00\x00\x00\x92\x09\x00\x00", 8) + std::string(400, '\0'), "SLG"},
        {std::string("\x04\x00\x00\x00\xb2\x07\x00\x00", 8), "not that of"},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.bytes);
        SonarLog log;
        const ErrorOr<void> attached = log.Attach(in);
        ASSERT_FALSE(attached);
        EXPECT_NE(attached.GetError().Message().find(c.reason), std::string::npos)
            << attached.GetError().Message();
        EXPECT_EQ(attached.GetError().ExitCode(), 2);
    }
    SonarLog log;
    const ErrorOr<void> opened = log.Open("/nonexistent/trip.sl2");
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.GetError().Message().find("cannot open"), std::string::npos);
}

TEST(SweepReducer, LongFramesBecomeAtMost1024LevelsKeepingDepthAndTheBottom) {
    const SweepReducer reducer(EchoGain::kLinear);
    struct Case {
        std::size_t samples;
        std::size_t levels;
    };
    const Case cases[] = {{1, 1},       {900, 900},   {1024, 1024}, {1025, 1024},
                          {2048, 1024}, {3200, 1024}, {65535, 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        // A bottom of one strong sample at 70 % of the window.
        std::vector<std::uint8_t> samples(c.samples, 0);
        const std::size_t bottom = c.samples * 7 / 10;
        samples[bottom] = 255;
        std::vector<std::uint8_t> levels;
        reducer.Reduce(samples.data(), samples.size(), levels);
        ASSERT_EQ(levels.size(), c.levels);
        const auto strongest = std::max_element(levels.begin(), levels.end());
        // Where the bottom is, to a level's height, at a strength that still
        // shows it (the root mean square of a group of up to 64 samples).
        const double at = (strongest - levels.begin() + 0.5) / c.levels;
        EXPECT_NEAR(at, (bottom + 0.5) / c.samples, 1.0 / c.levels);
        const double group = static_cast<double>(c.samples) / c.levels;
        EXPECT_GE(*strongest, static_cast<int>(255.0 / std::sqrt(std::ceil(group)) / 16.0));
    }
}

TEST(SweepReducer, GainCurvesHideTheWaterAndShowFishAndBottom) {
    struct Case {
        EchoGain gain;
        int water;   // strongest level of the water's noise (strength 28)
        int fish;    // least level of a fish (strength 150)
        int bottom;  // least level of the bottom (strength 240)
    };
    const Case cases[] = {{EchoGain::kLow, 0, 5, 12},
                          {EchoGain::kNormal, 0, 7, 13},
                          {EchoGain::kHigh, 6, 10, 14},
                          {EchoGain::kLinear, 1, 9, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(EchoGainName(c.gain));
        EXPECT_EQ(ParseEchoGain(EchoGainName(c.gain)), c.gain);
        const SweepReducer reducer(c.gain);
        EXPECT_LE(reducer.Level(28), c.water);
        EXPECT_GE(reducer.Level(150), c.fish);
        EXPECT_GE(reducer.Level(240), c.bottom);
        EXPECT_EQ(reducer.Level(0), 0);
        EXPECT_EQ(reducer.Level(255), 15);
        for (int s = 1; s < 256; ++s) {
            EXPECT_GE(reducer.Level(static_cast<std::uint8_t>(s)),
                      reducer.Level(static_cast<std::uint8_t>(s - 1)));
        }
        // Where each level starts, as a search of every strength finds it.
        const std::array<int, 16> starts = reducer.LevelStarts();
        for (int level = 0; level < 16; ++level) {
            int first = 0;
            while (reducer.Level(static_cast<std::uint8_t>(first)) < level) {
                ++first;
            }
            EXPECT_EQ(starts[level], first) << level;
        }
    }
    EXPECT_FALSE(ParseEchoGain("loud"));
}

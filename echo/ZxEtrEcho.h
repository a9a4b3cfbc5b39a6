#pragma once
// One echo sweep: a column of up to 1024 echo levels over a depth window, a
// plain value copied bit for bit. Heights are metres, the surface at 0 and
// depths negative.
#include <cstdint>

struct ZXRawSweep;

inline constexpr std::uint32_t kMaxSweepSamples = 1024;

struct ZxEtrEcho {
    std::int32_t number;
    double distance;
    double referenceDepth;
    double windowTop;
    double windowBottom;
    std::uint16_t channel;
    std::uint32_t sampleCount;
    std::uint8_t samples[kMaxSweepSamples];

    // Number -1, distance 0.0, no reference depth, a window of no height at
    // 1.0; the samples are left as they are.
    static ZxEtrEcho Empty();
    // The blank column that stands for a channel the sounder does not deliver.
    static ZxEtrEcho Blank();
    // Channel, count and samples of the library's record, not yet numbered
    // nor placed. The caller has checked that the count fits.
    static ZxEtrEcho FromRaw(const ZXRawSweep& raw);
};

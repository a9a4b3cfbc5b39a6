#include "echo/ZxEtrEcho.h"

#include <cstring>

#include "hostfamily/ZXNorvaneApi.h"

ZxEtrEcho ZxEtrEcho::Empty() {
    ZxEtrEcho echo;
    echo.number = -1;
    echo.distance = 0.0;
    echo.referenceDepth = -1.0;
    echo.windowTop = 1.0;
    echo.windowBottom = 1.0;
    echo.channel = 0;
    echo.sampleCount = 0;
    return echo;
}

ZxEtrEcho ZxEtrEcho::Blank() {
    ZxEtrEcho echo = Empty();
    std::memset(echo.samples, 0, sizeof echo.samples);
    echo.sampleCount = kMaxSweepSamples;
    echo.channel = 1;
    return echo;
}

ZxEtrEcho ZxEtrEcho::FromRaw(const ZXRawSweep& raw) {
    ZxEtrEcho echo;
    echo.number = -1;
    echo.distance = -1.0;
    echo.referenceDepth = -1.0;
    echo.windowTop = 0.0;
    echo.windowBottom = 0.0;
    echo.channel = raw.channel;
    echo.sampleCount = raw.sampleCount < kMaxSweepSamples ? raw.sampleCount : kMaxSweepSamples;
    if (raw.samples != nullptr && echo.sampleCount > 0) {
        std::memcpy(echo.samples, raw.samples, echo.sampleCount);
    } else {
        echo.sampleCount = 0;
    }
    return echo;
}

#pragma once
// One point of the track as the host fed it to the module.
#include "hostfamily/Undefined.h"

struct TrackPoint {
    double time = 0.0;                // ship seconds since the feed started
    double latitude = 0.0;            // radians
    double longitude = 0.0;           // radians
    double distance = 0.0;            // run so far as the summary counts it, radians of arc
    double depth = kUndefined;        // metres fed, positive
    double temperature = kUndefined;  // degrees Celsius fed
    double charted = kUndefined;      // the host's charted depth there, as the forecast has it
    double historic = kUndefined;     // the earlier survey's depth there
};

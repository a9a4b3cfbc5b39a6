#pragma once
// One sample of a profile: where it was taken, its value and its distance
// along the track (radians of arc).
#include "hostfamily/PosType.h"
#include "hostfamily/Undefined.h"

struct ProfilePoint {
    PosType position = NoPos;
    // The depth with its sign inverted (depths are negative) or the
    // temperature; the undefined marker marks a gap.
    double value = kUndefined;
    double distance = kUndefined;
};

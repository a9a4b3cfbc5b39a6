#pragma once
// The bounding box of a graph's data: X the distance along the track, Y the
// graph's value. Undefined while all four are the undefined marker.
#include "hostfamily/Undefined.h"

struct Extent {
    double minX = kUndefined;
    double maxX = kUndefined;
    double minY = kUndefined;
    double maxY = kUndefined;

    bool IsUndefined() const {
        return ::IsUndefined(minX) && ::IsUndefined(maxX) && ::IsUndefined(minY) &&
               ::IsUndefined(maxY);
    }

    // Widens the box to the point; a point with an undefined coordinate is ignored.
    void Add(double x, double y) {
        if (::IsUndefined(x) || ::IsUndefined(y)) {
            return;
        }
        if (IsUndefined()) {
            minX = maxX = x;
            minY = maxY = y;
            return;
        }
        if (x < minX)
            minX = x;
        if (x > maxX)
            maxX = x;
        if (y < minY)
            minY = y;
        if (y > maxY)
            maxY = y;
    }

    friend bool operator==(const Extent&, const Extent&) = default;
};

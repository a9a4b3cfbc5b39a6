#pragma once
// A closed range of data values (minimum, maximum); empty while either end is
// the undefined marker.
#include "hostfamily/Undefined.h"

struct ValueRange {
    double minimum = kUndefined;
    double maximum = kUndefined;

    bool IsEmpty() const { return IsUndefined(minimum) || IsUndefined(maximum); }
    double Length() const { return maximum - minimum; }

    // The other range when one is empty, else the smallest range holding both.
    ValueRange Union(const ValueRange& other) const {
        if (IsEmpty()) {
            return other;
        }
        if (other.IsEmpty()) {
            return *this;
        }
        return ValueRange{other.minimum < minimum ? other.minimum : minimum,
                          other.maximum > maximum ? other.maximum : maximum};
    }

    friend bool operator==(const ValueRange&, const ValueRange&) = default;
};

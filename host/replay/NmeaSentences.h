#pragma once
// The NMEA sentences the host reads, one entry each: what the sentence needs
// to be whole, whether a position receiver sends it, and what it sets on the
// fix.
#include <cstddef>
#include <string_view>

#include "host/replay/NmeaFields.h"
#include "host/replay/NmeaLine.h"

struct NmeaSentence {
    std::string_view type;  // "GGA"
    // Fields it cannot do without, the address counted: fewer is damage.
    std::size_t leastFields;
    // Sent by a position receiver: of a receiver other than the one
    // followed, its time and speed would be mixed with ours.
    bool fromReceiver;
    // Reads the fields into the fix, noting damage in the verdict.
    void (*read)(const nmea::Fields& fields, NmeaFix& fix, nmea::Verdict& verdict);
};

// The entry of a sentence type, null for a sentence the host does not read.
const NmeaSentence* FindNmeaSentence(std::string_view type);

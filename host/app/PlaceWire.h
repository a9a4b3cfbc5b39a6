#pragma once
// A place kept by a scout process, as it crosses the pipe to the window's
// process: everything of the place but the feed's mark (the window's process
// reads the log to it itself), and the track fed since the scout's last
// place. Both ends are the same program, so plain records go as their bytes;
// a header with their sizes refuses a message from another build.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "host/app/ReplayCheckpoints.h"
#include "host/files/TrackPoint.h"

struct ScoutedPlace {
    ReplayCheckpoint place;         // without its feed mark
    std::size_t trackFrom = 0;      // the index of the first track point sent
    std::vector<TrackPoint> track;  // the points since the last place sent
};

// One message: its length first, then the place.
std::vector<std::uint8_t> EncodePlace(const ReplayCheckpoint& place, std::size_t trackFrom,
                                      std::span<const TrackPoint> track);
// The place of one message's bytes (after its length); nullopt for bytes
// that are not one.
std::optional<ScoutedPlace> DecodePlace(std::span<const std::uint8_t> bytes);

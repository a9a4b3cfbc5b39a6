#include "host/app/FeedIndex.h"

#include <algorithm>

#include "host/app/VoyageSources.h"

namespace {

// A log damaged all through is marked this often at most.
constexpr std::size_t kMostMarks = 4096;

// The built-in voyage has no log that could go wrong.
LogTroubles TroublesOf(const VoyageSources& sources) {
    if (sources.nmea != nullptr) {
        return sources.nmea->TroublesSailed();
    }
    if (sources.sonar != nullptr) {
        return sources.sonar->TroublesSailed();
    }
    return {};
}

void Mark(std::vector<double>& marks, double time) {
    if (marks.size() < kMostMarks && (marks.empty() || marks.back() != time)) {
        marks.push_back(time);
    }
}

}  // namespace

ErrorOr<FeedIndex> FeedIndex::Build(const HostOptions& options) {
    ErrorOr<VoyageSources> opened = VoyageSources::OpenFeedAlone(options);
    if (!opened) {
        return opened.GetError();
    }
    const VoyageSources& sources = opened.Value();
    FeedIndex index;
    LogTroubles seen = TroublesOf(sources);
    ShipSnapshot snapshot;
    while (sources.feed->Next(snapshot)) {
        index.cycleTimes_.push_back(snapshot.time);
        const LogTroubles now = TroublesOf(sources);
        if (now.timeJumps > seen.timeJumps) {
            Mark(index.timeJumps_, snapshot.time);
        }
        if (now.damaged > seen.damaged) {
            Mark(index.damaged_, snapshot.time);
        }
        seen = now;
    }
    return index;
}

std::size_t FeedIndex::CyclesBy(double t) const {
    return static_cast<std::size_t>(std::upper_bound(cycleTimes_.begin(), cycleTimes_.end(), t) -
                                    cycleTimes_.begin());
}

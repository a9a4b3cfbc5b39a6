#include "host/replay/NmeaFeed.h"

namespace {

struct NmeaPlace final : LogFeed::ReaderPlace {
    NmeaLog::Place place;
};

}  // namespace

ErrorOr<std::unique_ptr<NmeaFeed>> NmeaFeed::Open(const std::string& path, double cycleSeconds) {
    auto feed = std::make_unique<NmeaFeed>(OpenOnly{}, path, cycleSeconds);
    if (ErrorOr<void> opened = feed->log_.Open(path); !opened) {
        return opened.GetError();
    }
    feed->ReadAhead();
    if (feed->HasStates()) {
        return feed;
    }
    if (feed->log_.ReadFailed()) {
        return Error::Refused("error while reading the NMEA log " + path);
    }
    const NmeaStats& stats = feed->log_.Stats();
    return Error::Refused("no position fix in the NMEA log " + path +
                          " (lines read: " + std::to_string(stats.lines) +
                          ", malformed: " + std::to_string(stats.malformed) + ")");
}

std::string NmeaFeed::Describe() const {
    return "NMEA log " + path_;
}

std::shared_ptr<const LogFeed::ReaderPlace> NmeaFeed::ReaderHere() const {
    auto place = std::make_shared<NmeaPlace>();
    place->place = log_.Here();
    return place;
}

bool NmeaFeed::ResumeReader(const ReaderPlace& place) {
    const auto* ours = dynamic_cast<const NmeaPlace*>(&place);
    return ours != nullptr && log_.Resume(ours->place);
}

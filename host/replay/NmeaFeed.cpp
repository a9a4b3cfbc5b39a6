#include "host/replay/NmeaFeed.h"

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

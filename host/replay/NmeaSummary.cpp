#include "host/replay/NmeaSummary.h"

#include <cstdio>

std::string NmeaSummary(const NmeaLog& log) {
    const NmeaStats& s = log.Stats();
    auto n = [](std::int64_t value) { return static_cast<long long>(value); };
    char line[512];
    std::string text;
    std::snprintf(line, sizeof line,
                  "NMEA lines: %lld read, %lld used, %lld skipped, %lld without data\n", n(s.lines),
                  n(s.used), n(s.skipped), n(s.noData));
    text += line;
    std::snprintf(line, sizeof line,
                  "NMEA lines set aside: %lld malformed, %lld failed the checksum, %lld too long, "
                  "%lld out of range\n",
                  n(s.malformed), n(s.checksumFailed), n(s.tooLong), n(s.outOfRange));
    text += line;
    if (s.timeJumps > 0) {
        std::snprintf(line, sizeof line,
                      "NMEA time jumps: %lld, their fixes sailed at the log's pace\n",
                      n(s.timeJumps));
        text += line;
    }
    if (!log.PositionSource().empty()) {
        std::snprintf(line, sizeof line, "NMEA positions from: %s", log.PositionSource().c_str());
        text += line;
        if (s.otherReceivers > 0) {
            std::snprintf(line, sizeof line, " (%lld sentences of other receivers skipped)",
                          n(s.otherReceivers));
            text += line;
        }
        text += "\n";
    }
    if (log.ReadFailed()) {
        text += "NMEA log: reading stopped by an error before the end\n";
    }
    return text;
}

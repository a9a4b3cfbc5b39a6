// Any bytes, as one line for the parser and as a whole log for the replay's
// reader: nothing may crash, and what comes out must make sense.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/files/LineReader.h"
#include "host/replay/NmeaLog.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool Within(const std::optional<double>& value, double low, double high) {
    return !value || (std::isfinite(*value) && *value >= low && *value <= high);
}

void CheckFix(const NmeaFix& fix) {
    Check(Within(fix.secondsOfDay, 0.0, 86401.0));
    Check(Within(fix.latitude, -M_PI / 2, M_PI / 2));
    Check(Within(fix.longitude, -M_PI, M_PI));
    Check(Within(fix.heading, 0.0, 2 * M_PI));
    Check(Within(fix.course, 0.0, 2 * M_PI));
    Check(Within(fix.speedKnots, 0.0, 1000.0));
    Check(Within(fix.depthMetres, 0.0, 22000.0));
    Check(Within(fix.temperatureCelsius, -5.0, 45.0));
}

std::vector<std::string> LinesInPieces(const std::string& text, std::size_t chunk) {
    std::istringstream in(text);
    LineReader reader(in, NmeaLog::kLongestLine, chunk);
    std::vector<std::string> lines;
    std::string_view line;
    LineReader::Result result;
    while ((result = reader.Next(line)) != LineReader::Result::kEnd) {
        Check(result == LineReader::Result::kTooLong || line.size() <= NmeaLog::kLongestLine);
        lines.emplace_back(result == LineReader::Result::kTooLong ? "\n" : std::string(line));
    }
    Check(reader.Offset() == text.size());
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const NmeaLine line = ParseNmeaLine(text);
    CheckFix(line.fix);
    Check(line.kind == NmeaLineKind::kUsed || line.fix.Empty());
    Check(line.kind != NmeaLineKind::kNoData || line.fix.Empty());

    // The lines do not depend on how the stream is cut into pieces.
    const std::size_t chunk = size > 0 ? 1 + data[0] % 16 : 1;
    Check(LinesInPieces(text, chunk) == LinesInPieces(text, size + 1));

    std::istringstream in(text);
    NmeaLog log;
    log.Attach(in);
    NmeaState state;
    double last = 0.0;
    while (log.Next(state)) {
        Check(state.hasPosition && std::isfinite(state.time) && state.time >= last);
        last = state.time;
    }
    const NmeaStats& s = log.Stats();
    Check(s.used + s.skipped + s.noData + s.malformed + s.checksumFailed + s.tooLong +
              s.outOfRange ==
          s.lines);
    Check(s.timeJumps <= s.used);
    Check(s.otherReceivers <= s.skipped);
    return 0;
}

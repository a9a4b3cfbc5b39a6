#include "host/replay/NmeaLog.h"

#include "host/replay/NmeaSentences.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

// Another receiver takes over when the followed one has given no fix for this
// long (by the other's own stamps), or for this many of the other's fixes
// when they carry no time.
constexpr double kSilentSeconds = 10.0;
constexpr int kSilentFixes = 50;
// Receivers remembered; a log naming more is damaged or very unusual.
constexpr std::size_t kMostReceivers = 16;

// Sentences of a position receiver: of another receiver, they are not ours.
bool IsReceiverSentence(std::string_view type) {
    const NmeaSentence* sentence = FindNmeaSentence(type);
    return sentence != nullptr && sentence->fromReceiver;
}

// One satellite receiver talks as GP (GPS), GL (GLONASS), GA (Galileo), GB
// or BD (BeiDou), GQ (QZSS), GI (NavIC) and GN (several at once), often in
// one second: a GNRMC with a GPGGA.
constexpr std::string_view kSatelliteTalkers[] = {"GP", "GL", "GA", "GB", "BD", "GQ", "GI", "GN"};
constexpr std::string_view kSatelliteReceiver = "GN";

// The receiver a line comes from: its talker, or its logger's source.
std::string_view ReceiverOf(const NmeaLine& line) {
    const bool satellite = std::find(std::begin(kSatelliteTalkers), std::end(kSatelliteTalkers),
                                     line.source) != std::end(kSatelliteTalkers);
    return satellite ? kSatelliteReceiver : std::string_view(line.source);
}

}  // namespace

ErrorOr<void> NmeaLog::Open(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return Error::Refused("the NMEA log " + path + " is a folder");
    }
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*file) {
        return Error::Refused("cannot read the NMEA log " + path);
    }
    const auto size = std::filesystem::file_size(path, ec);
    Attach(*file);
    file_ = std::move(file);
    size_ = ec ? 0 : size;
    return {};
}

void NmeaLog::Attach(std::istream& in) {
    in_ = &in;
    reader_ = std::make_unique<LineReader>(in, kLongestLine);
}

NmeaLog::Place NmeaLog::Here() const {
    Place place;
    place.offset = Offset();
    place.afterCarriageReturn = reader_ && reader_->AfterCarriageReturn();
    place.stats = stats_;
    place.clock = clock_;
    place.current = current_;
    place.instantOpen = instantOpen_;
    place.untimedPosition = untimedPosition_;
    place.finished = finished_;
    place.source = source_;
    place.receivers = receivers_;
    place.candidate = candidate_;
    place.candidateFixes = candidateFixes_;
    place.candidateSince = candidateSince_;
    return place;
}

bool NmeaLog::Resume(const Place& place) {
    if (!reader_ || !place.receivers) {
        return false;
    }
    in_->clear();
    in_->seekg(static_cast<std::streamoff>(place.offset));
    if (!*in_) {
        in_->clear();
        return false;
    }
    reader_->Restart(place.offset, place.afterCarriageReturn);
    stats_ = place.stats;
    clock_ = place.clock;
    current_ = place.current;
    instantOpen_ = place.instantOpen;
    untimedPosition_ = place.untimedPosition;
    ready_.reset();
    finished_ = place.finished;
    source_ = place.source;
    // Shared with the place: copied before any change.
    receivers_ = std::const_pointer_cast<Receivers>(place.receivers);
    candidate_ = place.candidate;
    candidateFixes_ = place.candidateFixes;
    candidateSince_ = place.candidateSince;
    return true;
}

NmeaLog::Receivers& NmeaLog::EditReceivers() {
    if (receivers_.use_count() > 1) {
        receivers_ = std::make_shared<Receivers>(*receivers_);
    }
    return *receivers_;
}

bool NmeaLog::Next(NmeaState& state) {
    while (!ready_ && !finished_) {
        std::string_view text;
        const auto result = reader_ ? reader_->Next(text) : LineReader::Result::kEnd;
        if (result == LineReader::Result::kEnd) {
            finished_ = true;
            CloseInstant();
            break;
        }
        ++stats_.lines;
        if (result == LineReader::Result::kTooLong) {
            ++stats_.tooLong;
            continue;
        }
        const NmeaLine line = ParseNmeaLine(text);
        if (line.kind == NmeaLineKind::kUsed) {
            Apply(line);
        } else {
            Count(line);
        }
    }
    if (!ready_) {
        return false;
    }
    state = *ready_;
    ready_.reset();
    return true;
}

void NmeaLog::Count(const NmeaLine& line) {
    switch (line.kind) {
        case NmeaLineKind::kUsed:
            ++stats_.used;
            break;
        case NmeaLineKind::kSkipped:
            ++stats_.skipped;
            break;
        case NmeaLineKind::kNoData:
            ++stats_.noData;
            break;
        case NmeaLineKind::kMalformed:
            ++stats_.malformed;
            break;
        case NmeaLineKind::kChecksumFailed:
            ++stats_.checksumFailed;
            break;
        case NmeaLineKind::kOutOfRange:
            ++stats_.outOfRange;
            break;
    }
}

bool NmeaLog::FromFollowedReceiver(const NmeaLine& line) {
    const std::string_view receiver = ReceiverOf(line);
    if (!IsReceiverSentence(line.sentence) || receiver == source_) {
        if (line.fix.HasPosition() && receiver == source_) {
            candidate_.clear();
            NameTalker(line.source);
        }
        return true;
    }
    const std::vector<std::string>& others = receivers_->others;
    const bool known = std::find(others.begin(), others.end(), receiver) != others.end();
    if (!line.fix.HasPosition()) {
        // Time or speed from a receiver we do not follow would be mixed with ours.
        return source_.empty() || !known;
    }
    if (!known && others.size() < kMostReceivers) {
        EditReceivers().others.emplace_back(receiver);
    }
    if (source_.empty()) {
        source_ = receiver;
        NameTalker(line.source);
        return true;
    }
    // The followed receiver is silent as long as this one gives fixes alone.
    if (candidate_ != receiver) {
        candidate_ = receiver;
        candidateFixes_ = 0;
        candidateSince_ = line.fix.secondsOfDay;
    }
    ++candidateFixes_;
    double silent = 0.0;
    if (candidateSince_ && line.fix.secondsOfDay) {
        silent = std::fmod(*line.fix.secondsOfDay - *candidateSince_ + 86400.0, 86400.0);
        if (silent > 43200.0) {
            silent = 0.0;  // a stamp behind the first one tells nothing of silence
        }
    } else if (!candidateSince_) {
        candidateSince_ = line.fix.secondsOfDay;
    }
    if (silent < kSilentSeconds && candidateFixes_ < kSilentFixes) {
        return false;
    }
    source_ = receiver;
    Receivers& named = EditReceivers();
    named.sourceTalkers.clear();
    named.sourceName.clear();
    NameTalker(line.source);
    candidate_.clear();
    return true;
}

void NmeaLog::NameTalker(const std::string& talker) {
    const std::vector<std::string>& talkers = receivers_->sourceTalkers;
    if (std::find(talkers.begin(), talkers.end(), talker) != talkers.end() ||
        talkers.size() >= kMostReceivers) {
        return;
    }
    Receivers& named = EditReceivers();
    named.sourceTalkers.push_back(talker);
    named.sourceName += (named.sourceName.empty() ? "" : "/") + talker;
}

void NmeaLog::Apply(const NmeaLine& line) {
    if (!FromFollowedReceiver(line)) {
        ++stats_.skipped;
        ++stats_.otherReceivers;
        return;
    }
    const NmeaFix& fix = line.fix;
    if (fix.secondsOfDay) {
        const NmeaClock::Offered offered = clock_.Offer(*fix.secondsOfDay, fix.day);
        stats_.timeJumps += offered.jump ? 1 : 0;
        if (offered.later || !instantOpen_) {
            OpenInstant();
        }
    } else if (fix.HasPosition() && (!instantOpen_ || untimedPosition_)) {
        // A fix without a time after another is an instant of its own.
        clock_.Tick();
        OpenInstant();
    }
    ++stats_.used;
    if (fix.HasPosition()) {
        current_.latitude = *fix.latitude;
        current_.longitude = *fix.longitude;
        current_.hasPosition = true;
        untimedPosition_ = !fix.secondsOfDay;
    }
    if (fix.heading)
        current_.heading = fix.heading;
    if (fix.course)
        current_.course = fix.course;
    if (fix.speedKnots)
        current_.speedKnots = fix.speedKnots;
    if (fix.depthMetres)
        current_.depthMetres = fix.depthMetres;
    if (fix.temperatureCelsius)
        current_.temperatureCelsius = fix.temperatureCelsius;
}

void NmeaLog::OpenInstant() {
    CloseInstant();
    instantOpen_ = true;
    untimedPosition_ = false;
    current_.time = clock_.Now();
}

void NmeaLog::CloseInstant() {
    if (instantOpen_ && current_.hasPosition) {
        ready_ = current_;
    }
    instantOpen_ = false;
}

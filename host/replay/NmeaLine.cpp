#include "host/replay/NmeaLine.h"

#include <algorithm>

#include "host/replay/NmeaFields.h"
#include "host/replay/NmeaSentences.h"

namespace {

// A source named in a tag block is cut to this length.
constexpr std::size_t kLongestSource = 32;

int HexDigit(char ch) {
    if (nmea::IsDigit(ch)) {
        return ch - '0';
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return -1;
}

// The source field ("s:GP0001") of a tag block in a logger's prefix.
std::string_view TagSource(std::string_view prefix) {
    const auto open = prefix.find('\\');
    if (open == std::string_view::npos) {
        return {};
    }
    std::string_view block = prefix.substr(open + 1);
    block = block.substr(0, block.find_first_of("*\\"));
    while (!block.empty()) {
        const auto comma = block.find(',');
        const std::string_view field = block.substr(0, comma);
        if (field.size() > 2 && field[0] == 's' && field[1] == ':') {
            const std::string_view source = field.substr(2, kLongestSource);
            // It names the receiver in the summary: printable or not at all.
            const bool printable = std::all_of(source.begin(), source.end(),
                                               [](char ch) { return ch > ' ' && ch < 0x7f; });
            return printable ? source : std::string_view();
        }
        if (comma == std::string_view::npos) {
            break;
        }
        block.remove_prefix(comma + 1);
    }
    return {};
}

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && IsSpace(line.back())) {
        line.remove_suffix(1);
    }
    while (!line.empty() && IsSpace(line.front())) {
        line.remove_prefix(1);
    }
    return line;
}

// Takes the checksum off the body, when it has one: kUsed when it matches,
// else what the line is.
NmeaLineKind StripChecksum(std::string_view& body) {
    const auto star = body.find('*');
    if (star == std::string_view::npos) {
        return NmeaLineKind::kUsed;
    }
    const std::string_view given = body.substr(star + 1);
    body = body.substr(0, star);
    if (given.size() != 2 || HexDigit(given[0]) < 0 || HexDigit(given[1]) < 0) {
        return NmeaLineKind::kMalformed;
    }
    unsigned sum = 0;
    for (unsigned char ch : body) {
        sum ^= ch;
    }
    return static_cast<unsigned>(HexDigit(given[0]) * 16 + HexDigit(given[1])) == sum
               ? NmeaLineKind::kUsed
               : NmeaLineKind::kChecksumFailed;
}

bool IsAddress(std::string_view address) {
    return !address.empty() && std::all_of(address.begin(), address.end(), [](char ch) {
        return (ch >= 'A' && ch <= 'Z') || nmea::IsDigit(ch);
    });
}

// The fix of a sentence the host reads, and the kind of its line.
void ReadSentence(const NmeaSentence& sentence, const nmea::Fields& fields, NmeaLine& line) {
    nmea::Verdict verdict;
    if (fields.Size() < sentence.leastFields) {
        verdict.Malformed();
    } else {
        sentence.read(fields, line.fix, verdict);
    }
    line.kind = verdict.Kind();
    if (!verdict.Ok()) {
        line.fix = NmeaFix();
    } else if (line.fix.Empty()) {
        line.kind = NmeaLineKind::kNoData;
    }
}

}  // namespace

bool NmeaFix::Empty() const {
    return !secondsOfDay && !day && !latitude && !longitude && !heading && !course && !speedKnots &&
           !depthMetres && !temperatureCelsius;
}

NmeaLine ParseNmeaLine(std::string_view text) {
    NmeaLine result;
    const std::string_view line = Trimmed(text);
    if (line.empty() || line[0] == '#') {
        return result;
    }
    // Loggers put time stamps or NMEA 4 tag blocks (\s:...*hh\) before the
    // sentence.
    const auto start = line.find_first_of("$!");
    if (start == std::string_view::npos) {
        result.kind = NmeaLineKind::kMalformed;
        return result;
    }
    std::string_view body = line.substr(start + 1);
    if (const NmeaLineKind checked = StripChecksum(body); checked != NmeaLineKind::kUsed) {
        result.kind = checked;
        return result;
    }
    const nmea::Fields fields(body);
    const std::string_view address = fields[0];
    if (!IsAddress(address)) {
        result.kind = NmeaLineKind::kMalformed;
        return result;
    }
    // Proprietary, encapsulated (AIS) and short addresses carry nothing we read.
    const NmeaSentence* sentence = address.size() < 5 || address[0] == 'P' || line[start] == '!'
                                       ? nullptr
                                       : FindNmeaSentence(address.substr(address.size() - 3));
    if (sentence == nullptr) {
        return result;
    }
    result.sentence = sentence->type;
    const std::string_view tagSource = TagSource(line.substr(0, start));
    result.source = tagSource.empty() ? address.substr(0, address.size() - 3) : tagSource;
    ReadSentence(*sentence, fields, result);
    return result;
}

#include "host/geodata/HistoricProfileCsv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "host/files/LineReader.h"
#include "host/geodata/SeaLimits.h"

namespace {

constexpr double kDegree = M_PI / 180.0;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool IsSeparator(char ch) {
    return ch == ',' || ch == ';' || ch == '\t';
}

// A whole field as a number; spaces and double quotes around it allowed.
bool ParseNumber(std::string_view field, double& value) {
    field = Trim(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = Trim(field.substr(1, field.size() - 2));
    }
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
    }
    if (field.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size();
}

// A field as it can be shown on a terminal: the first few characters, those
// that are not printable ASCII as '?'.
std::string Quoted(std::string_view field) {
    field = Trim(field);
    constexpr std::size_t kShown = 24;
    std::string shown(field.substr(0, kShown));
    for (char& ch : shown) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte >= 0x7F) {
            ch = '?';
        }
    }
    return "'" + shown + (field.size() > kShown ? "...'" : "'");
}

bool HasLetters(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    });
}

// The fields of a line: the first three, and how many there are.
struct Fields {
    std::string_view first[3];
    std::size_t count = 0;

    explicit Fields(std::string_view line) {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i == line.size() || IsSeparator(line[i])) {
                if (count < 3) {
                    first[count] = line.substr(start, i - start);
                }
                ++count;
                start = i + 1;
            }
        }
    }
};

}  // namespace

void HistoricProfileCsv::AddText(std::string_view text) {
    std::istringstream in{std::string(text)};
    static_cast<void>(Read(in));
}

ErrorOr<void> HistoricProfileCsv::Read(std::istream& in) {
    LineReader reader(in, kLongestLine);
    std::string_view line;
    for (LineReader::Result result; (result = reader.Next(line)) != LineReader::Result::kEnd;) {
        if (result == LineReader::Result::kTooLong) {
            ++lines_;
            headerPossible_ = false;
            Bad("longer than " + std::to_string(kLongestLine) + " characters");
            continue;
        }
        AddLine(line);
    }
    if (reader.Failed()) {
        return Error::Refused("reading stopped by an error at byte " +
                              std::to_string(reader.Offset()));
    }
    return {};
}

void HistoricProfileCsv::AddLine(std::string_view line) {
    ++lines_;
    if (lines_ == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);
    }
    const std::string_view content = Trim(line);
    if (content.empty() || content.front() == '#') {
        ++passedOver_;
        return;
    }
    const Fields fields(line);
    double values[3] = {};
    bool numbers = fields.count == 3;
    for (std::size_t i = 0; numbers && i < 3; ++i) {
        numbers = ParseNumber(fields.first[i], values[i]);
    }
    const bool header = headerPossible_;
    headerPossible_ = false;
    if (!numbers) {
        // The first line may name the columns.
        if (header && fields.count == 3 && HasLetters(content)) {
            ++passedOver_;
            return;
        }
        Bad(fields.count == 3
                ? "not three numbers: " + Quoted(content)
                : "not three fields but " + std::to_string(fields.count) + ": " + Quoted(content));
        return;
    }
    const double latitude = values[0];
    const double longitude = values[1];
    const double depth = values[2];
    if (!(std::abs(latitude) <= 90.0)) {
        Bad("latitude out of range: " + Quoted(fields.first[0]));
    } else if (!(std::abs(longitude) <= 180.0)) {
        Bad("longitude out of range: " + Quoted(fields.first[1]));
    } else if (!std::isfinite(depth)) {
        Bad("depth not a finite number: " + Quoted(fields.first[2]));
    } else if (depth < 0.0) {
        Bad("negative depth: " + Quoted(fields.first[2]));
    } else if (depth > kDeepestSeaMetres) {
        Bad("deeper than any sea (11000 m): " + Quoted(fields.first[2]));
    } else {
        points_.push_back({latitude * kDegree, longitude * kDegree, depth});
    }
}

void HistoricProfileCsv::Bad(std::string reason) {
    ++badCount_;
    if (badLines_.size() < kBadLinesKept) {
        badLines_.push_back({lines_, std::move(reason)});
    }
}

ErrorOr<void> HistoricProfileCsv::AddFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Error::Refused("cannot read the historic profile " + path);
    }
    if (ErrorOr<void> read = Read(in); !read) {
        return read.GetError().About("the historic profile " + path);
    }
    return {};
}

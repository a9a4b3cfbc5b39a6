#include "host/geodata/HistoricProfileCsv.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr double kDegree = M_PI / 180.0;
// A profile of millions of soundings is still far below this.
constexpr std::streamsize kMostBytes = 256LL * 1024 * 1024;

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

}  // namespace

void HistoricProfileCsv::AddText(std::string_view text) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        AddLine(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

void HistoricProfileCsv::AddLine(std::string_view line) {
    ++lines_;
    if (lines_ == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    const std::string_view content = Trim(line);
    if (content.empty() || content.front() == '#') {
        ++passedOver_;
        return;
    }
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || IsSeparator(line[i])) {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    double values[3] = {};
    bool numbers = fields.size() == 3;
    for (std::size_t i = 0; numbers && i < 3; ++i) {
        numbers = ParseNumber(fields[i], values[i]);
    }
    const bool header = headerPossible_;
    headerPossible_ = false;
    if (!numbers) {
        // The first line may name the columns.
        bool words = false;
        for (const char ch : content) {
            words = words || std::isalpha(static_cast<unsigned char>(ch));
        }
        if (header && words && fields.size() == 3) {
            ++passedOver_;
            return;
        }
        Bad(fields.size() == 3
                ? "not three numbers: " + Quoted(content)
                : "not three fields but " + std::to_string(fields.size()) + ": " + Quoted(content));
        return;
    }
    const double latitude = values[0];
    const double longitude = values[1];
    const double depth = values[2];
    if (!(std::abs(latitude) <= 90.0)) {
        Bad("latitude out of range: " + Quoted(fields[0]));
    } else if (!(std::abs(longitude) <= 180.0)) {
        Bad("longitude out of range: " + Quoted(fields[1]));
    } else if (!std::isfinite(depth)) {
        Bad("depth not a finite number: " + Quoted(fields[2]));
    } else if (depth < 0.0) {
        Bad("negative depth: " + Quoted(fields[2]));
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
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return Error::Refused("the historic profile " + path + " is a folder");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Error::Refused("cannot read the historic profile " + path);
    }
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (static_cast<std::streamsize>(text.size()) > kMostBytes) {
            return Error::Refused("the historic profile " + path + " is larger than 256 MB");
        }
    }
    if (in.bad()) {
        return Error::Refused("error while reading the historic profile " + path);
    }
    AddText(text);
    return {};
}

// Any bytes as a historic profile's CSV text: nothing may crash, every line
// must be accounted for, every sounding kept must be a real one, and the
// survey thinned for the module keeps its ends and its order, spaced.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/geodata/HistoricProfileCsv.h"
#include "host/geodata/SurveyThinning.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CheckThinned(const std::vector<HistoricPoint>& soundings, std::size_t most) {
    const ThinnedSurvey thinned = ThinSurvey(soundings, most);
    const std::vector<HistoricPoint>& kept = thinned.points;
    Check(kept.size() <= std::max<std::size_t>(most, 3) && kept.size() <= soundings.size());
    if (soundings.empty()) {
        return;
    }
    Check(!kept.empty() && thinned.spacingMetres >= kFinestSpacingMetres);
    Check(kept.front().depth == soundings.front().depth &&
          kept.back().depth == soundings.back().depth);
    std::size_t at = 0;
    for (const HistoricPoint& point : kept) {
        while (at < soundings.size() &&
               (soundings[at].latitude != point.latitude ||
                soundings[at].longitude != point.longitude || soundings[at].depth != point.depth)) {
            ++at;
        }
        Check(at < soundings.size());
        ++at;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HistoricProfileCsv csv;
    csv.AddText(std::string_view(reinterpret_cast<const char*>(data), size));
    Check(static_cast<long>(csv.Points().size()) + csv.BadLineCount() + csv.PassedOver() ==
          csv.Lines());
    for (const HistoricPoint& point : csv.Points()) {
        Check(std::isfinite(point.latitude) && std::abs(point.latitude) <= M_PI / 2);
        Check(std::isfinite(point.longitude) && std::abs(point.longitude) <= M_PI);
        Check(std::isfinite(point.depth) && point.depth >= 0.0 && point.depth <= 11000.0);
    }
    Check(csv.BadLines().size() <= HistoricProfileCsv::kBadLinesKept);
    long last = 0;
    for (const HistoricProfileCsv::BadLine& line : csv.BadLines()) {
        Check(line.number > last && line.number <= csv.Lines() && !line.reason.empty());
        last = line.number;
    }
    CheckThinned(csv.Points(), size > 0 ? data[0] % 8 : 3);
    return 0;
}

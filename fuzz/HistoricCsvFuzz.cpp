// Any bytes as a historic profile's CSV text: nothing may crash, every line
// must be accounted for, and every sounding kept must be a real one.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/geodata/HistoricProfileCsv.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
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
        Check(std::isfinite(point.depth) && point.depth >= 0.0);
    }
    Check(csv.BadLines().size() <= HistoricProfileCsv::kBadLinesKept);
    long last = 0;
    for (const HistoricProfileCsv::BadLine& line : csv.BadLines()) {
        Check(line.number > last && line.number <= csv.Lines() && !line.reason.empty());
        last = line.number;
    }
    return 0;
}

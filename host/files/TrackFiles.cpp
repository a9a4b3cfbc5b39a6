#include "host/files/TrackFiles.h"

#include <cmath>
#include <cstdio>

#include "platform/PixelImageFile.h"
#include "units/UnitConversion.h"

namespace {

constexpr double kDegreesPerRadian = 180.0 / M_PI;
// Text is handed to the file this much at a time.
constexpr std::size_t kChunk = 1 << 16;

// Collects text and hands it to the sink a chunk at a time.
class TextOut {
  public:
    explicit TextOut(const FileBytesSink& sink) : sink_(sink) {}
    void Add(const char* format, double value) {
        char field[64];
        const int length = std::snprintf(field, sizeof field, format, value);
        text_.append(field, static_cast<std::size_t>(std::max(length, 0)));
    }
    void Add(const std::string& text) { text_ += text; }
    // A value, or nothing where it is unknown.
    void Optional(const char* format, double value) {
        if (!IsUndefined(value) && std::isfinite(value)) {
            Add(format, value);
        }
    }
    bool Flush(bool always) {
        if (!ok_ || (!always && text_.size() < kChunk)) {
            return ok_;
        }
        ok_ = sink_(reinterpret_cast<const unsigned char*>(text_.data()), text_.size());
        text_.clear();
        return ok_;
    }

  private:
    const FileBytesSink& sink_;
    std::string text_;
    bool ok_ = true;
};

double MetresPerRadian() {
    return Convert(1.0, kUnitRadianOfArc, kUnitMetre);
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

void GpxPoint(TextOut& out, const TrackPoint& point, double metresPerRadian) {
    out.Add("<trkpt lat=\"%.8f\"", point.latitude * kDegreesPerRadian);
    out.Add(" lon=\"%.8f\"><extensions>", point.longitude * kDegreesPerRadian);
    if (!IsUndefined(point.depth) && std::isfinite(point.depth)) {
        out.Add("<plotrex:depth>%.2f</plotrex:depth>", point.depth);
    }
    if (!IsUndefined(point.temperature) && std::isfinite(point.temperature)) {
        out.Add("<plotrex:temperature>%.2f</plotrex:temperature>", point.temperature);
    }
    out.Add("<plotrex:distance>%.2f</plotrex:distance>", point.distance * metresPerRadian);
    out.Add("<plotrex:time>%.3f</plotrex:time></extensions></trkpt>\n", point.time);
}

}  // namespace

ErrorOr<void> WriteProfileCsv(const std::string& path, const std::vector<TrackPoint>& points) {
    const double metresPerRadian = MetresPerRadian();
    return ReplaceFileWith(path, [&](const FileBytesSink& sink) {
        TextOut out(sink);
        out.Add(
            "time_s,latitude_deg,longitude_deg,distance_run_m,depth_m,temperature_c,"
            "forecast_depth_m,historic_depth_m\n");
        for (const TrackPoint& point : points) {
            out.Add("%.3f,", point.time);
            out.Add("%.8f,", point.latitude * kDegreesPerRadian);
            out.Add("%.8f,", point.longitude * kDegreesPerRadian);
            out.Add("%.2f,", point.distance * metresPerRadian);
            out.Optional("%.2f", point.depth);
            out.Add(",");
            out.Optional("%.2f", point.temperature);
            out.Add(",");
            out.Optional("%.2f", point.charted);
            out.Add(",");
            out.Optional("%.2f", point.historic);
            out.Add("\n");
            if (!out.Flush(false)) {
                return false;
            }
        }
        return out.Flush(true);
    });
}

ErrorOr<void> WriteTrackGpx(const std::string& path, const std::vector<TrackPoint>& points,
                            const std::string& name) {
    const double metresPerRadian = MetresPerRadian();
    return ReplaceFileWith(path, [&](const FileBytesSink& sink) {
        TextOut out(sink);
        out.Add(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<gpx version=\"1.1\" creator=\"plotrex-host\" "
            "xmlns=\"http://www.topografix.com/GPX/1/1\" "
            "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
            "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
            "http://www.topografix.com/GPX/1/1/gpx.xsd\" xmlns:plotrex=\"" +
            std::string(kGpxExtensionNamespace) + "\">\n<trk><name>" + Escaped(name) +
            "</name><trkseg>\n");
        for (const TrackPoint& point : points) {
            GpxPoint(out, point, metresPerRadian);
            if (!out.Flush(false)) {
                return false;
            }
        }
        out.Add("</trkseg></trk>\n</gpx>\n");
        return out.Flush(true);
    });
}

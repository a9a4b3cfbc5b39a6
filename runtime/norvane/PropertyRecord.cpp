#include "runtime/norvane/PropertyRecord.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <ogr_feature.h>
#pragma GCC diagnostic pop

namespace norvane {

namespace {

// A numeric field: its name, type, limits, and where its value lives.
struct Field {
    const char* name;
    bool integer;
    double minimum;
    double maximum;
    std::function<double(const SounderSettings&, int set)> get;
    std::function<void(SounderSettings&, int set, double)> put;
};

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"FREQUENCY_KHZ", true, 0, 0,
         [](const SounderSettings& s, int set) { return double(s.sets[set].frequencyKHz); },
         [](SounderSettings& s, int set, double v) { s.sets[set].frequencyKHz = int32_t(v); }},
        {"GAIN_DB", false, -20.0, 20.0,
         [](const SounderSettings& s, int set) { return s.sets[set].gainDb; },
         [](SounderSettings& s, int set, double v) { s.sets[set].gainDb = v; }},
        {"TVG", true, 0, 40,
         [](const SounderSettings& s, int set) { return double(s.sets[set].tvg); },
         [](SounderSettings& s, int set, double v) { s.sets[set].tvg = int32_t(v); }},
        {"POWER_W", true, 50, 3000,
         [](const SounderSettings& s, int set) { return double(s.sets[set].powerWatts); },
         [](SounderSettings& s, int set, double v) { s.sets[set].powerWatts = int32_t(v); }},
        {"PULSE_MS", false, 0.05, 4.0,
         [](const SounderSettings& s, int set) { return s.sets[set].pulseMs; },
         [](SounderSettings& s, int set, double v) { s.sets[set].pulseMs = v; }},
        {"THRESHOLD", true, 0, 15,
         [](const SounderSettings& s, int set) { return double(s.sets[set].threshold); },
         [](SounderSettings& s, int set, double v) { s.sets[set].threshold = int32_t(v); }},
        {"DEPTH_UNIT", true, 0, kDepthUnitCount - 1,
         [](const SounderSettings& s, int) { return double(s.unit); },
         [](SounderSettings& s, int, double v) { s.ChangeUnit(int16_t(v)); }},
        {"AUTO_RANGE", true, 0, 1,
         [](const SounderSettings& s, int) { return s.autoRange ? 1.0 : 0.0; },
         [](SounderSettings& s, int, double v) { s.autoRange = v != 0.0; }},
        {"RANGE_LOCK", true, 0, 1,
         [](const SounderSettings& s, int) { return s.locked ? 1.0 : 0.0; },
         [](SounderSettings& s, int, double v) { s.locked = v != 0.0; }},
        {"ZOOM_SPAN_M", false, 2.0, 200.0,
         [](const SounderSettings& s, int) { return s.zoomSpanMetres; },
         [](SounderSettings& s, int, double v) { s.zoomSpanMetres = v; }},
        {"MARKER_DEPTH_M", false, 0.0, 3000.0,
         [](const SounderSettings& s, int) { return s.markerDepthMetres; },
         [](SounderSettings& s, int, double v) { s.markerDepthMetres = v; }},
    };
    return fields;
}

// The transducers: HF and LF tune over different bands.
double FrequencyMinimum(int set) {
    return set == 0 ? 120.0 : 24.0;
}
double FrequencyMaximum(int set) {
    return set == 0 ? 240.0 : 80.0;
}

bool InRange(const Field& field, int set, double value) {
    if (!std::isfinite(value)) {
        return false;
    }
    if (field.integer && value != std::floor(value)) {
        return false;
    }
    if (std::strcmp(field.name, "FREQUENCY_KHZ") == 0) {
        return value >= FrequencyMinimum(set) && value <= FrequencyMaximum(set);
    }
    if (std::strcmp(field.name, "TVG") == 0) {
        return value == 0 || value == 20 || value == 30 || value == 40;
    }
    return value >= field.minimum && value <= field.maximum;
}

// The feature's value of a field as a number; nullopt when it holds text or
// anything else that is not a plain number.
std::optional<double> NumberOf(const OGRFeature& feature, int index) {
    const OGRFieldType type = feature.GetFieldDefnRef(index)->GetType();
    auto& mutableFeature = const_cast<OGRFeature&>(feature);
    switch (type) {
        case OFTInteger:
            return mutableFeature.GetFieldAsInteger(index);
        case OFTInteger64:
            return static_cast<double>(mutableFeature.GetFieldAsInteger64(index));
        case OFTReal:
            return mutableFeature.GetFieldAsDouble(index);
        case OFTString: {
            const char* text = mutableFeature.GetFieldAsString(index);
            char* end = nullptr;
            const double value = std::strtod(text, &end);
            if (end == text || *end != '\0') {
                return std::nullopt;
            }
            return value;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

OGRFeature* PropertyRecord::ToFeature(const SounderSettings& settings, int set) {
    if (set != 0 && set != 1) {
        return nullptr;
    }
    // The definition lives as long as the features made on it.
    auto* definition = new OGRFeatureDefn(set == 0 ? "NORVANE_HF" : "NORVANE_LF");
    definition->SetGeomType(wkbNone);
    for (const Field& field : Fields()) {
        OGRFieldDefn fieldDefinition(field.name, field.integer ? OFTInteger : OFTReal);
        definition->AddFieldDefn(&fieldDefinition);
    }
    definition->Reference();
    OGRFeature* feature = OGRFeature::CreateFeature(definition);
    definition->Release();
    if (feature == nullptr) {
        return nullptr;
    }
    int index = 0;
    for (const Field& field : Fields()) {
        const double value = field.get(settings, set);
        if (field.integer) {
            feature->SetField(index, static_cast<int>(value));
        } else {
            feature->SetField(index, value);
        }
        ++index;
    }
    feature->SetFID(set);
    return feature;
}

bool PropertyRecord::FromFeature(const OGRFeature& feature, int set, SounderSettings& settings) {
    if (set != 0 && set != 1) {
        return false;
    }
    SounderSettings changed = settings;
    auto& mutableFeature = const_cast<OGRFeature&>(feature);
    for (const Field& field : Fields()) {
        const int index = feature.GetFieldIndex(field.name);
        if (index < 0 || !mutableFeature.IsFieldSetAndNotNull(index)) {
            continue;
        }
        const std::optional<double> value = NumberOf(feature, index);
        if (!value || !InRange(field, set, *value)) {
            return false;
        }
        field.put(changed, set, *value);
    }
    settings = changed;
    return true;
}

bool PropertyRecord::WithinLimits(const SounderSettings& settings) {
    for (int set = 0; set < 2; ++set) {
        for (const Field& field : Fields()) {
            if (!InRange(field, set, field.get(settings, set))) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace norvane

#pragma once
// The sounder's property sets as OGR features: one feature per set with the
// fields of that set and the sounder-wide ones, and the checked way back.
#include "runtime/norvane/SounderSettings.h"

class OGRFeature;

namespace norvane {

class PropertyRecord {
  public:
    // A new feature (the caller destroys it) holding set 0 (HF) or 1 (LF);
    // null for any other set.
    static OGRFeature* ToFeature(const SounderSettings& settings, int set);
    // Takes over the values the feature sets, by field name, into a copy of
    // the settings; fields it does not set keep their values and unknown
    // fields are ignored. False, with the settings untouched, when the set
    // does not exist or any known field holds a value out of its range.
    static bool FromFeature(const OGRFeature& feature, int set, SounderSettings& settings);
    // Whether every field of both sets lies within the limits FromFeature
    // keeps (for settings that came from elsewhere, as a saved state).
    static bool WithinLimits(const SounderSettings& settings);
};

}  // namespace norvane

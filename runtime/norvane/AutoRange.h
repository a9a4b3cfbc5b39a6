#pragma once
// The sounder choosing its own range while the user has not: a deeper range
// when the bottom nears the foot of the window or has been lost for three
// pings, a shallower one when it rises well into the range above.
#include <optional>

#include "runtime/norvane/SounderSettings.h"

namespace norvane {

class AutoRange {
  public:
    void Reset() { lostPings_ = 0; }
    // Sets both channels to the range that suits the depth (nothing for a
    // ping that missed the bottom); the index of the new range when it
    // changed.
    std::optional<int> Follow(SounderSettings& settings, const std::optional<double>& depthMetres);

  private:
    int lostPings_ = 0;
};

}  // namespace norvane

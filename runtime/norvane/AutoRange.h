#pragma once
// The sounder choosing its own range while the user has not, as a sounder
// keeps the floor on its screen: the shallowest range that holds the bottom
// it detects with a fifth of the window to spare, changed only once the
// bottom leaves the band that range suits. A bottom lost for three pings is
// searched for a step deeper at a time, down to twice the depth it was last
// seen at, and then looked for again on the range of that depth: a floor
// that faded (high frequency over deep water) does not leave the window deep.
#include <optional>

#include "runtime/norvane/SounderSettings.h"

namespace norvane {

class StateReader;
class StateWriter;

class AutoRange {
  public:
    static constexpr int kLostPings = 3;

    void Reset() {
        lostPings_ = 0;
        lastDepth_.reset();
    }
    void Save(StateWriter& writer) const;
    bool Load(StateReader& reader);
    // Sets both channels to the range that suits the depth (nothing for a
    // ping that missed the bottom); the index of the new range when it
    // changed.
    std::optional<int> Follow(SounderSettings& settings, const std::optional<double>& depthMetres);

  private:
    // The range for a lost bottom: one step deeper while the search may go
    // deeper, else back to the range of the depth last seen.
    int SearchStep(const SounderSettings& settings, int index) const;

    int lostPings_ = 0;
    std::optional<double> lastDepth_;
};

}  // namespace norvane

#pragma once
// Finds the sea floor in one sweep: past the blanked surface band, the
// strongest echo that stands well clear of the noise, refined back to its
// leading edge. A gate around the last depth keeps a school from taking the
// lock; when the gate is empty the whole window is searched again.
#include <optional>

#include "runtime/norvane/EchoModel.h"

namespace norvane {

class StateReader;
class StateWriter;

class BottomDetector {
  public:
    // Depth in metres, or nothing when the floor is not in the window.
    std::optional<double> Detect(const Echo& echo, const SweepWindow& window);
    void Reset() { last_.reset(); }
    void Save(StateWriter& writer) const;
    bool Load(StateReader& reader);

  private:
    std::optional<double> Search(const Echo& echo, const SweepWindow& window, int first,
                                 int last) const;

    std::optional<double> last_;
};

}  // namespace norvane

#pragma once
// Brings the organizer's axes up to date before a frame and after a change of
// level or centre: shows the highest level the data allows up to the one
// chosen, follows the ship and the last values, and keeps the first position
// on the data. Fits level and slope to the data on request.
#include <cstdint>
#include <optional>

#include "layout/ValueRange.h"

class LinearPixelProjection;
class PlotrexData;
class PlotrexOrganizer;

class ProjectionUpdater {
  public:
    // What the data of the visible displays covers: distances across, values
    // of the unit in use up.
    struct DataRanges {
        ValueRange across;
        ValueRange up;
    };

    explicit ProjectionUpdater(PlotrexOrganizer& organizer);

    void Update();
    void Fit(bool level, bool slope);
    // Union of the extents of the visible displays, widened by their margins
    // when asked; the vertical one only over graphs of the unit in use.
    DataRanges CollectRanges(bool withMargins);

    // The level the user chose while the data holds the view below it.
    std::optional<std::int16_t> WantedLevel() const { return wantedLevel_; }
    // A new choice of level replaces the one waiting for data.
    void ForgetWantedLevel() { wantedLevel_.reset(); }

    // The axes other than the one in use brought onto their graphs' values
    // at a distance, where they are outside the window.
    void BringOtherValuesIntoView(double distance);

    // The first Update with data to show fits the whole of it in the window
    // (see FitWhole); a layout changed by hand before takes the wish back.
    void FitWholeWhenDataShows() { fitWholePending_ = true; }
    void ForgetFitWhole() { fitWholePending_ = false; }
    bool FitWholePending() const { return fitWholePending_; }

  private:
    // Shows the highest level up to the chosen one at which the data fills
    // half the window (any level up to the free level).
    void BoundLevelToData(const ValueRange& across);
    // While the ship is in view, it keeps its pixel and the value axes follow
    // the last values.
    void FollowVessel();
    bool ShipMovedWhileInView(double distance) const;
    // The axis in use jumps when the main graph's last value has just left
    // the window, and brings the first value it sees into view.
    void FollowMainValue();
    // The other axes bring their graphs' last values back into the window.
    void KeepOtherValuesInView();
    // Each axis other than the one in use onto the value valueOf gives of
    // each visible graph of its unit, when that value is outside the window.
    template <typename ValueOf>
    void BringOtherAxesTo(ValueOf valueOf);
    // No first position beyond the data: the window stays on what there is.
    void KeepDataOnScreen(const DataRanges& ranges, LinearPixelProjection& vertical);
    void KeepDistancesOnData(const ValueRange& across, int width);
    void KeepValuesOnData(const ValueRange& up, int height, LinearPixelProjection& vertical);
    // Each true when it changed the axis.
    bool FitLevel(const ValueRange& across);
    // The largest slope at which the values take at most the window's height
    // less `margins` pixels.
    bool FitSlope(const ValueRange& up, int margins = 0);
    // The largest room the displays of the unit in use keep above their data
    // and below it, in pixels, together.
    int MarginsUpAndDown();
    // All of the data in the window, as large as level and slope allow:
    // FitWholeAcross, then the largest slope whose height holds the values.
    // False while there is nothing to fit.
    bool FitWhole();
    // The lowest level whose width holds all the distances, with them in the
    // middle: unlike the fit of a view that follows the ship, which stops at
    // the free level, a short survey fills the window.
    bool FitWholeAcross(const ValueRange& across);

    PlotrexOrganizer& organizer_;
    std::optional<std::int16_t> wantedLevel_;
    bool fitWholePending_ = false;
};

#pragma once
// A depth profile recorded earlier along some track, handed over by the host.
// In the profile view (mode 0) the own ship is matched on the historic track
// and the curve is shifted so that the matched point lies at the ship's
// distance, run in whichever direction agrees with the ship's heading; in a
// view of its own (mode 2) it is shown alone, unshifted.
#include <vector>

#include "graphdata/PlotrexData.h"
#include "graphdata/ProfileSeries.h"

class PlotrexDataProfileHistoric : public PlotrexData {
  public:
    PlotrexDataProfileHistoric(DistanceTracker* tracker, const char* nameKey, const char* unitKey);

    PlotrexDisplay* CreateDisplay() override;
    void Update() override;
    bool GetValueAt(double distance, double* first, double* second, double* value) override;
    Extent GetExtent() override;

    // The series matched and drawn: the points in the order given, or reversed.
    virtual ProfileSeries* GetSeries();
    // (second coordinate, first coordinate, depth) triples, depths positive;
    // (first, second) the position to mark on the profile. A list whose
    // length is not a multiple of 3 is ignored.
    virtual void SetProfile(const std::vector<float>& points, double first, double second);
    // The point of the profile nearest to the position given with it; both
    // undefined without one.
    virtual void GetReferencePosition(double* first, double* second);
    // 0 laid under the own track, 2 shown alone, anything else inactive.
    virtual void SetMode(int mode);
    virtual bool IsShown();
    // Historic distance minus own-track distance at the match; 0.0 when the
    // profile is not laid under the track.
    virtual double GetOffset();
    virtual void Match();

    int GetMode() const { return mode_; }
    // Whether the ship was last found running against the recorded direction:
    // the series stays turned until it runs with it again.
    bool IsReversed() const { return current_ == &backward_; }
    void SetReversed(bool reversed) { current_ = reversed ? &backward_ : &forward_; }

  private:
    // The distance along the current series nearest to the ship, -1.0 when it
    // is off the track; course receives the track's course there.
    double MatchOn(const PosType& ship, double* course) const;

    ProfileSeries forward_;
    ProfileSeries backward_;
    ProfileSeries* current_ = &forward_;
    double referenceFirst_ = kUndefined;
    double referenceSecond_ = kUndefined;
    int mode_ = -1;
    double matched_ = kNoMatch;

    static constexpr double kNoMatch = -1.0;
};

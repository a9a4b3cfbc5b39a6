#pragma once
// A bounded list of profile points in the order they were added, with
// distances that never decrease, and the questions the drawing and the cursor
// ask of it.
#include <cstdint>
#include <vector>

#include "graphdata/Extent.h"
#include "graphdata/ProfilePoint.h"

class ProfileSeries {
  public:
    // With a limit m > 0 the series keeps at most m + m / 10 points, dropping
    // the oldest; 0 means unbounded.
    void SetCountLimit(unsigned limit);
    unsigned GetCountLimit() const { return countLimit_; }

    int GetCount() const { return static_cast<int>(points_.size()); }
    // No bounds check: i within 0..GetCount() - 1.
    ProfilePoint& At(int i) { return points_[static_cast<std::size_t>(i)]; }
    const ProfilePoint& At(int i) const { return points_[static_cast<std::size_t>(i)]; }
    Extent GetExtent() const { return extent_; }

    void Clear();
    // Points added since the series was made or last cleared, and how many of
    // the latest it keeps (0: all).
    std::uint64_t GetAdded() const { return added_; }
    std::uint64_t GetKept() const { return countLimit_ + countLimit_ / 10; }
    // Appends p. A point without a distance gets 0.0 as the first point, else
    // the last distance plus the great-circle distance from the last position
    // (it stays undefined when that cannot be computed).
    void Add(ProfilePoint p);

    // Whether d lies between the first and the last distance (inclusive).
    bool Contains(double d) const;
    // Index of the point at or before d (lower) or after it; 0 below the first
    // point, n - 2 (lower) or n - 1 at or beyond the last; -1 when empty.
    int FindIndex(double d, bool lower) const;
    // Indices of the points covering [from, to], from the last point at or
    // before from to the second point after to (both within the series); the
    // whole series when no point lies after from. Always true.
    bool GetIndexRange(double from, double to, int* first, int* last) const;
    // The point at distance d on the segment around it, extrapolated beyond
    // the last point; the default point when there is no segment. A field
    // that is undefined at either end of the segment is undefined.
    ProfilePoint Interpolate(double d) const;
    // The distance along the track of the series' nearest place to pos (in the
    // plane of the coordinates); -1.0 when empty or, with limit, when the
    // nearest place is 0.05 nautical mile away or more. course (may be null)
    // receives the track's great-circle course there.
    double DistanceAtPosition(const PosType& pos, double* course, bool limit) const;

  private:
    void Trim();

    std::vector<ProfilePoint> points_;
    Extent extent_;
    unsigned countLimit_ = 0;
    std::uint64_t added_ = 0;
};

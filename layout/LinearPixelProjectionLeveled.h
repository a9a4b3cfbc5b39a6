#pragma once
// The horizontal distance axis: its zoom factor is a power of two whose
// exponent (the level) is named by a label of the scale ladder.
#include <cstdint>

#include "layout/LinearPixelProjection.h"

class LinearPixelProjectionLeveled : public LinearPixelProjection {
  public:
    static constexpr std::int16_t kMinLevel = 3;
    static constexpr std::int16_t kMaxLevel = 15;

    LinearPixelProjectionLeveled() = default;
    // Copies never carry the inverted flag: a leveled axis is never inverted.
    LinearPixelProjectionLeveled(const LinearPixelProjectionLeveled& other);
    LinearPixelProjectionLeveled& operator=(const LinearPixelProjectionLeveled& other);
    virtual ~LinearPixelProjectionLeveled() = default;

    // Clamped to [kMinLevel, kMaxLevel]; the multiplier becomes 2^level.
    void SetLevel(std::int16_t level);
    // The level nearest to log2(multiplier); exact tells whether it is that
    // level. A multiplier with no logarithm (unset, zero, negative) gives 0,
    // not exact.
    std::int16_t GetLevel(bool& exact) const;
    // value data units per pixel at level 5, and level 3 set. False, and
    // nothing changes, for a zero or non-finite value.
    bool InitScale(double value);

    static bool IsValidLevel(int level);
    // The ladder's label of level, "-" for a level it does not name.
    static const char* ScaleLabel(int level);
    const char* GetScaleLabel() const;
};

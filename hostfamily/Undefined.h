#pragma once
// The marker of a missing value shared by the host and its modules: the
// single-precision value of -666666.666666, compared exactly.
inline constexpr float kUndefinedFloat = -666666.666666f;
inline constexpr double kUndefined = static_cast<double>(kUndefinedFloat);
static_assert(kUndefined == -666666.6875);

inline bool IsUndefined(double value) {
    return value == kUndefined;
}

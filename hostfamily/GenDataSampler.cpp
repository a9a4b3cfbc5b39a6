#include "hostfamily/GenDataSampler.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "hostfamily/GenDataUnits.h"
#include "hostfamily/Undefined.h"

namespace GenData {

namespace {

// Far more than any axis shows: a guard against absurd counts.
constexpr int kMostTicks = 10000;

struct RoundStep {
    double mantissa;  // 1, 2, 2.5 or 5
    int exponent;

    double Value() const { return Multiple(1.0); }
    // k steps, computed from the integer and the power of ten in one rounding,
    // so that 3 x 0.1 reads 0.3.
    double Multiple(double k) const {
        return exponent >= 0 ? k * mantissa * std::pow(10.0, exponent)
                             : k * mantissa / std::pow(10.0, -exponent);
    }
};

constexpr double kMantissas[] = {1.0, 2.0, 2.5, 5.0};

// The round step after this one.
RoundStep Next(const RoundStep& step) {
    for (std::size_t i = 0; i + 1 < std::size(kMantissas); ++i) {
        if (step.mantissa == kMantissas[i]) {
            return {kMantissas[i + 1], step.exponent};
        }
    }
    return {kMantissas[0], step.exponent + 1};
}

// The smallest round step that is at least minimum (> 0).
RoundStep RoundStepAtLeast(double minimum) {
    RoundStep step{kMantissas[0], static_cast<int>(std::floor(std::log10(minimum)))};
    while (step.Value() < minimum * (1.0 - 1e-12)) {
        step = Next(step);
    }
    return step;
}

bool Usable(double value) {
    return !IsUndefined(value) && std::isfinite(value);
}

}  // namespace

CTableEchantillonnee CEchantillonneur::CreerTableEchantillonnee() const {
    if (maxCount_ < 1 || !Usable(from_) || !Usable(to_) || !Usable(stepHint_)) {
        return {};
    }
    const DisplayUnit unit =
        UserUnitFor(kind_, std::max(std::fabs(from_), std::fabs(to_)), GetUserUnits());
    const double a = unit.FromData(from_);
    const double b = unit.FromData(to_);
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    const double span = hi - lo;
    const double byCount = maxCount_ > 1 ? span / (maxCount_ - 1) : span;
    const double minimum = std::max(std::fabs(stepHint_ * unit.scale), byCount);
    if (!(minimum > 0.0) || !std::isfinite(minimum)) {
        return {};
    }
    // A tick on a limit counts despite the rounding of the unit conversion.
    constexpr double kSlack = 1e-9;
    RoundStep step = RoundStepAtLeast(minimum);
    double first = 0.0;
    double last = 0.0;
    for (;;) {
        first = std::ceil(lo / step.Value() - kSlack);
        last = std::floor(hi / step.Value() + kSlack);
        if (last - first + 1 <= maxCount_) {
            break;
        }
        step = Next(step);
    }
    if (last - first + 1 > kMostTicks) {
        return {};
    }
    std::vector<CTableEchantillonnee::Tick> ticks;
    for (double k = first; k <= last; k += 1.0) {
        const double user = step.Multiple(k) + 0.0;
        ticks.push_back({user, unit.ToData(user) + 0.0});
    }
    std::sort(ticks.begin(), ticks.end(),
              [](const auto& x, const auto& y) { return x.data < y.data; });
    return CTableEchantillonnee(std::move(ticks), step.Value());
}

}  // namespace GenData

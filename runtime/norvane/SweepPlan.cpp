#include "runtime/norvane/SweepPlan.h"

#include <algorithm>
#include <cmath>

namespace norvane {

namespace {

constexpr double kFractionOne = 2097152.0;  // 2^21

ChannelPlan MakePlan(uint16_t channel, bool lowFrequency, int unit, double topTenths,
                     uint32_t spanTenths) {
    ChannelPlan plan;
    plan.channel = channel;
    plan.set = lowFrequency ? 1 : 0;
    plan.spanTenths = std::max<uint32_t>(spanTenths, 1);
    plan.startTenths = static_cast<uint32_t>(std::max(0.0, std::round(topTenths)));
    const double metresPerTenth = 0.1 * MetresPerUnit(unit);
    const uint32_t count = SamplesPerSweep(unit);
    plan.stepFixed = static_cast<uint32_t>(std::lround(plan.spanTenths * kFractionOne / count));
    plan.window.lowFrequency = lowFrequency;
    plan.window.count = count;
    plan.window.topMetres = topTenths * metresPerTenth;
    plan.window.stepMetres = plan.stepFixed / kFractionOne * metresPerTenth;
    return plan;
}

}  // namespace

ChannelPlan MainPlan(const SounderSettings& settings) {
    const bool low = settings.frequencyMode == 3 || settings.frequencyMode == 4;
    return MakePlan(0, low, settings.unit, settings.shift[0] * 10.0,
                    static_cast<uint32_t>(settings.range[0]) * 10);
}

std::optional<ChannelPlan> SecondPlan(const SounderSettings& settings,
                                      std::optional<double> bottom) {
    const int16_t frequency = settings.frequencyMode;
    const int16_t zoom = settings.zoomMode;
    if ((frequency == 1 || frequency == 3) && zoom == 1) {
        return std::nullopt;
    }
    const int unit = settings.unit;
    const double metres = MetresPerUnit(unit);
    if (frequency == 5 && zoom == 1) {
        return MakePlan(1, true, unit, settings.shift[1] * 10.0,
                        static_cast<uint32_t>(settings.range[1]) * 10);
    }
    const bool low = frequency >= 3;
    const double spanMetres = std::min(settings.zoomSpanMetres, settings.range[1] * metres);
    const uint32_t spanTenths =
        static_cast<uint32_t>(std::max(1L, std::lround(spanMetres / metres * 10.0)));
    const double span = spanTenths * 0.1 * metres;
    // Windows the reader places itself (bottom lock, discrimination) follow
    // the depth as reported; the others start on a whole unit.
    const auto wholeUnits = [&](double topMetres) {
        return std::max(0.0, std::floor(topMetres / metres)) * 10.0;
    };
    if (zoom == 3) {
        return MakePlan(1, low, unit, wholeUnits(settings.markerDepthMetres - span / 2.0),
                        spanTenths);
    }
    if (!bottom) {
        ChannelPlan plan = MakePlan(1, low, unit, 0.0, spanTenths);
        plan.blank = true;
        return plan;
    }
    const double d = *bottom;
    if (zoom == 2) {
        return MakePlan(1, low, unit, wholeUnits(d - 0.75 * span), spanTenths);
    }
    const double top = zoom == 1 ? d - span : d - span / 2.0;
    return MakePlan(1, low, unit, top / metres * 10.0, spanTenths);
}

ZXRawSweep RawSweep(const ChannelPlan& plan) {
    ZXRawSweep sweep{};
    sweep.channel = plan.channel;
    sweep.sampleCount = plan.window.count;
    sweep.sampleStep = plan.stepFixed;
    sweep.startDepth = plan.startTenths;
    sweep.furtherDepth = plan.startTenths + plan.spanTenths;
    return sweep;
}

ZXRawSweep RecordedRawSweep(uint16_t channel, int unit, double top, double bottom, uint32_t count) {
    const double metres = MetresPerUnit(unit);
    ZXRawSweep sweep{};
    sweep.channel = channel;
    sweep.sampleCount = count;
    sweep.startDepth = static_cast<uint32_t>(std::max(0.0, std::round(top / metres * 10.0)));
    const uint32_t spanTenths = static_cast<uint32_t>(
        std::max(1.0, std::round((bottom - std::max(top, 0.0)) / metres * 10.0)));
    const double countRead = std::trunc(count * 0.1 * metres);
    const double step = countRead >= 1.0 ? spanTenths * 0.1 * metres * kFractionOne / countRead
                                         : spanTenths * kFractionOne / count;
    sweep.sampleStep = static_cast<uint32_t>(std::min(std::round(step), 4294967295.0));
    sweep.furtherDepth = sweep.startDepth + spanTenths;
    return sweep;
}

}  // namespace norvane

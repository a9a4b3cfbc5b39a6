#include "runtime/norvane/PingSimulator.h"

#include <cmath>

#include "runtime/norvane/StateReader.h"

namespace norvane {

namespace {

void Render(const EchoModel& model, const PingScene& scene, const ChannelPlan& plan,
            const SounderSettings& settings, Echo& echo, std::vector<uint8_t>& levels) {
    model.Render(scene, plan.window, settings.sets[plan.set], echo);
    levels.assign(plan.window.count, 0);
    EchoModel::Quantize(echo, plan.window, settings.sets[plan.set], levels.data());
}

}  // namespace

void PingSimulator::Reset() {
    detector_.Reset();
    lowDetector_.Reset();
}

void PingSimulator::Save(StateWriter& writer) const {
    detector_.Save(writer);
    lowDetector_.Save(writer);
}

bool PingSimulator::Load(StateReader& reader) {
    return detector_.Load(reader) && lowDetector_.Load(reader);
}

PingSimulator::Ping PingSimulator::Make(const PingScene& scene, const SounderSettings& settings,
                                        uint32_t seed) {
    const EchoModel model(seed);
    std::vector<ChannelPlan> plans{MainPlan(settings)};
    std::vector<std::vector<uint8_t>> levels(2);
    Echo echo;
    Render(model, scene, plans[0], settings, echo, levels[0]);
    std::optional<double> bottom = detector_.Detect(echo, plans[0].window);
    std::optional<ChannelPlan> second;
    if (settings.frequencyMode == 5 && settings.zoomMode == 1) {
        second = SecondPlan(settings, std::nullopt);
        Render(model, scene, *second, settings, echo, levels[1]);
        const std::optional<double> lowBottom = lowDetector_.Detect(echo, second->window);
        if (!bottom) {
            bottom = lowBottom;
        }
    }
    Ping ping;
    if (bottom) {
        const double metres = MetresPerUnit(settings.unit);
        ping.reference.tenths = static_cast<int32_t>(std::lround(*bottom / metres * 10.0));
        ping.reference.valid = true;
        // Windows that ride on the bottom follow the depth as reported.
        bottom = ping.reference.tenths * 0.1 * metres;
    }
    if (!second) {
        second = SecondPlan(settings, bottom);
        if (second) {
            levels[1].assign(second->window.count, 0);
            if (!second->blank) {
                Render(model, scene, *second, settings, echo, levels[1]);
            }
        }
    }
    if (second) {
        plans.push_back(*second);
    }
    for (const ChannelPlan& plan : plans) {
        ping.sweeps.push_back({RawSweep(plan), std::move(levels[plan.channel])});
    }
    ping.bottom = bottom;
    return ping;
}

}  // namespace norvane

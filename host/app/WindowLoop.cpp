#include "host/app/WindowLoop.h"

#include <unistd.h>

#include <chrono>

#include "host/app/ViewStates.h"
#include "module/ModuleDataPlotrexInterface.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kChartEvery = std::chrono::milliseconds(100);
// The chart is symbolized afresh at least this often, the ship having moved.
constexpr auto kChartFollowsShip = std::chrono::milliseconds(400);
constexpr auto kTitleEvery = std::chrono::milliseconds(500);
constexpr useconds_t kPause = 10000;

}  // namespace

void WindowLoop::Sail() {
    parts_.userCommands.SendSounderCommands();
    parts_.userCommands.SendViewCommands();
    ModuleHost& module = parts_.module;
    const auto start = Clock::now();
    auto last = start;
    double shipSeconds = 0.0;
    pending_ = parts_.sources.feed->Next(module.Now());
    next_ = module.Now();
    if (pending_) {
        module.Sounder().Forecast(next_);
    }
    auto lastTitle = start;
    auto lastChart = start;
    while (window_.Step([this](int key) { OnKey(key); })) {
        const auto now = Clock::now();
        shipSeconds += std::chrono::duration<double>(now - last).count() * parts_.options.speed;
        last = now;
        module.Sounder().Clock(shipSeconds);
        CatchUp(shipSeconds);
        if (now - lastChart > kChartEvery) {
            parts_.cycle.RefreshChart(now - lastChart > kChartFollowsShip);
            lastChart = now;
        }
        if (now - lastTitle > kTitleEvery) {
            window_.SetTitle(WindowTitle(parts_.view, module.Data().GetMode()) +
                             parts_.cycle.ShallowTitle());
            lastTitle = now;
        }
        if (parts_.options.durationSeconds > 0 &&
            std::chrono::duration<double>(now - start).count() >= parts_.options.durationSeconds) {
            break;
        }
        usleep(kPause);
    }
}

void WindowLoop::CatchUp(double shipSeconds) {
    ModuleHost& module = parts_.module;
    while (pending_ && next_.time <= shipSeconds) {
        module.Now() = next_;
        parts_.cycle.Step();
        pending_ = parts_.sources.feed->Next(next_);
        if (pending_) {
            module.Sounder().Forecast(next_);
        }
    }
}

void WindowLoop::OnKey(int key) {
    keys_.Press(key);
    if (HWND view = parts_.view.View()) {
        ::InvalidateRect(view, nullptr, TRUE);
    }
}

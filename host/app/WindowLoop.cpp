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
// A jump sails this long between two looks at the window's events.
constexpr double kJumpSlice = 0.05;

}  // namespace

WindowLoop::~WindowLoop() {
    if (timeline_ != nullptr) {
        parts_.module.Frame().SetTimelineWindow(nullptr, 0);
        timeline_->DestroyWindow();
    }
}

void WindowLoop::ShowTimeline() {
    HostFrame& frame = parts_.module.Frame();
    timeline_ = std::make_unique<TimelineStrip>([this](double t) { playback_.JumpTo(t); });
    timeline_->Create(nullptr, "Timeline", WS_CHILD | WS_VISIBLE, RECT{0, 0, 1, 1}, &frame, 0);
    frame.SetTimelineWindow(timeline_->GetSafeHwnd(), TimelineStrip::kHeight);
    timeline_->Show(playback_.Scene());
}

void WindowLoop::Sail() {
    parts_.userCommands.SendSounderCommands();
    parts_.userCommands.SendViewCommands();
    ModuleHost& module = parts_.module;
    ShowTimeline();
    const auto start = Clock::now();
    auto last = start;
    playback_.Start();
    StartScout();
    auto lastTitle = start;
    auto lastChart = start;
    bool titleNow = false;
    while (playback_.Usable() && window_.Step([this](int key) { OnKey(key); })) {
        playback_.TakeScouted();
        const bool jumping = playback_.Jumping();
        if (jumping && !playback_.Work(kJumpSlice)) {
            // Landed: the view was opened afresh there.
            if (HWND view = parts_.view.View()) {
                ::InvalidateRect(view, nullptr, TRUE);
            }
            titleNow = true;
        }
        const auto now = Clock::now();
        // The clock starts again from where a jump landed, not from before it.
        if (!jumping) {
            playback_.Advance(std::chrono::duration<double>(now - last).count());
        }
        last = now;
        timeline_->Show(playback_.Scene());
        if (now - lastChart > kChartEvery) {
            parts_.cycle.RefreshChart(now - lastChart > kChartFollowsShip);
            lastChart = now;
        }
        if (titleNow || now - lastTitle > kTitleEvery) {
            titleNow = false;
            window_.SetTitle(WindowTitle(parts_.view, module.Data().GetMode()) + " - " +
                             playback_.TitlePart() + parts_.cycle.ShallowTitle());
            lastTitle = now;
        }
        if (parts_.options.durationSeconds > 0 &&
            std::chrono::duration<double>(now - start).count() >= parts_.options.durationSeconds) {
            break;
        }
        // A jump under way takes the time the window leaves.
        if (!jumping) {
            usleep(kPause);
        }
    }
}

void WindowLoop::StartScout() {
    char program[4096];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) {
        return;
    }
    program[length] = '\0';
    // Without a scout, jumps ahead of where the replay was sail every cycle.
    playback_.Scout(PlaceScout::Start(program, parts_.options));
}

void WindowLoop::OnKey(int key) {
    if (!playback_.Press(key) && keys_.Press(key) && KeyMap::ChangesWhatIsSailed(key)) {
        playback_.ForgetPlaces();
    }
    if (HWND view = parts_.view.View()) {
        ::InvalidateRect(view, nullptr, TRUE);
    }
}

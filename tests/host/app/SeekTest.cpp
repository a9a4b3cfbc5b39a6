// Going to a time of a replay, ahead or back, leaves the module as playing
// from the start to that time leaves it: the same next frame, pixel for
// pixel, the same distance run, sounder figures and echogram stores. The
// host's run is put together here as plotrex-host puts it together, on the
// headless desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>

#include "host/app/Playback.h"
#include "host/app/ViewStates.h"
#include "module/ModuleDataPlotrexInterface.h"
#include "tests/support/TestProfile.h"

namespace {

std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\n", sum);
    return "$" + body + tail;
}

// Two hours at one fix a second over a rolling floor, with a damaged line
// and a clock that leaps ahead an hour in.
void WriteLongLog(const std::string& path) {
    std::ofstream log(path);
    double latitude = 47.5, longitude = -5.2;
    for (int second = 0; second < 7200; ++second) {
        const int stamp = second < 3600 ? second : second + 900;
        const double heading = std::fmod(second / 90.0 * 7.0, 360.0);
        latitude += std::cos(heading * M_PI / 180.0) * 8.0 / 3600.0 / 60.0;
        longitude += std::sin(heading * M_PI / 180.0) * 8.0 / 3600.0 / 60.0 / 0.675;
        char body[160];
        std::snprintf(body, sizeof body,
                      "GPRMC,%02d%02d%02d.00,A,%02d%07.4f,N,%03d%07.4f,W,8.0,%.1f,150626,,,A",
                      stamp / 3600 % 24, stamp / 60 % 60, stamp % 60, static_cast<int>(latitude),
                      (latitude - static_cast<int>(latitude)) * 60.0, static_cast<int>(-longitude),
                      (-longitude - static_cast<int>(-longitude)) * 60.0, heading);
        log << Sentence(body);
        const double depth = 70.0 + 35.0 * std::sin(second / 700.0);
        std::snprintf(body, sizeof body, "SDDBT,,f,%.1f,M,,F", depth);
        log << Sentence(body);
        std::snprintf(body, sizeof body, "YXMTW,%.1f,C", 12.0 + std::sin(second / 2000.0));
        log << Sentence(body);
        if (second == 5000) {
            log << "$GPRMC,garbled*00\n";
        }
    }
}

// What the module holds, as the host sees it.
struct ModuleState {
    PixelImage frame;
    long cycles = 0;
    double distance = 0.0;
    std::uint64_t sweeps[2] = {};
    std::vector<std::uint8_t> stores[2];  // every sweep's window and levels
};

// A run of the host as plotrex-host sets it up, headless.
class Session {
  public:
    explicit Session(const HostOptions& options) : options_(options) {
        ErrorOr<VoyageSources> opened = VoyageSources::Open(options_);
        EXPECT_TRUE(opened);
        sources_ = std::move(opened.Value());
        desktop_ = std::make_unique<HeadlessDesktop>();
        module_ = std::make_unique<ModuleHost>(options_.profilePath);
        EXPECT_TRUE(module_->Load());
        module_->Initialize(sources_, options_.displayMode);
        EXPECT_TRUE(module_->OpenFirstView());
        view_ = std::make_unique<ViewCommands>(module_->Frame());
        commands_ = std::make_unique<UserCommands>(options_.commands, *view_);
        cycle_ = std::make_unique<ShipCycle>(*module_, trawl_, account_, options_.shallowMargin);
        pictures_ = std::make_unique<Pictures>(*desktop_, options_.outDir);
        parts_ =
            std::make_unique<RunParts>(RunParts{options_, sources_, *desktop_, *module_, *view_,
                                                *commands_, trawl_, account_, *cycle_, *pictures_});
        module_->OpenChart(nullptr, false, *view_);
        ErrorOr<FeedIndex> index = FeedIndex::Build(options_);
        EXPECT_TRUE(index);
        playback_ = std::make_unique<Playback>(*parts_, index.Release());
        playback_->Start();
    }
    ~Session() { module_->TakeDown(); }

    Playback& Play() { return *playback_; }

    ModuleState State() {
        ModuleState state;
        desktop_->Idle(250);
        state.frame = desktop_->CaptureWindow(module_->Frame().GetSafeHwnd());
        state.cycles = account_.Cycles();
        state.distance = account_.DistanceRadians();
        if (const auto statistics = module_->Sounder().Statistics()) {
            state.sweeps[0] = statistics->sweeps[0];
            state.sweeps[1] = statistics->sweeps[1];
        }
        for (short channel = 0; channel < 2; ++channel) {
            std::uint8_t levels[1024];
            double window[2];
            for (int i = 0;; ++i) {
                const int count = module_->Data().GetEchogramSweep(channel, i, &window[0],
                                                                   &window[1], levels, 1024);
                if (count < 0) {
                    break;
                }
                const auto* bytes = reinterpret_cast<const std::uint8_t*>(window);
                state.stores[channel].insert(state.stores[channel].end(), bytes,
                                             bytes + sizeof window);
                state.stores[channel].insert(state.stores[channel].end(), levels, levels + count);
            }
        }
        return state;
    }

  private:
    HostOptions options_;
    VoyageSources sources_;
    std::unique_ptr<HeadlessDesktop> desktop_;
    std::unique_ptr<ModuleHost> module_;
    std::unique_ptr<ViewCommands> view_;
    std::unique_ptr<UserCommands> commands_;
    TrawlHand trawl_{std::nullopt};
    FeedAccount account_;
    std::unique_ptr<ShipCycle> cycle_;
    std::unique_ptr<Pictures> pictures_;
    std::unique_ptr<RunParts> parts_;
    std::unique_ptr<Playback> playback_;
};

// The frame too when nothing moved the view before: the view follows the
// ship at each frame it draws, so frames drawn on the way move it as the
// window's frame rate would, and going back keeps the layout the user had.
void ExpectSame(const ModuleState& sought, const ModuleState& played, double time,
                bool sameFrames) {
    EXPECT_EQ(sought.cycles, played.cycles) << "at " << time;
    EXPECT_EQ(sought.distance, played.distance) << "at " << time;
    EXPECT_EQ(sought.sweeps[0], played.sweeps[0]) << "at " << time;
    EXPECT_EQ(sought.sweeps[1], played.sweeps[1]) << "at " << time;
    EXPECT_TRUE(sought.stores[0] == played.stores[0]) << "HF store at " << time;
    EXPECT_TRUE(sought.stores[1] == played.stores[1]) << "LF store at " << time;
    EXPECT_FALSE(played.stores[0].empty());
    if (!sameFrames) {
        return;
    }
    ASSERT_EQ(sought.frame.width, played.frame.width);
    ASSERT_EQ(sought.frame.height, played.frame.height);
    EXPECT_TRUE(sought.frame.pixels == played.frame.pixels)
        << "pixels differ in the frame at " << time;
}

}  // namespace

TEST(Seek, AnyTimeAheadOrBackHoldsWhatPlayingThereHolds) {
    TempFolder folder;
    const std::string log = folder.File("long.nmea");
    WriteLongLog(log);
    HostOptions options;
    options.nmeaPath = log;
    options.profilePath = folder.File("profile.ini");
    options.outDir = folder.File("out");
    options.speed = 60.0;

    // Plain play from the start to each of a few random times, in steps as
    // the window's frames come, looked at where it happened to stop.
    std::mt19937 random(24);
    std::vector<std::pair<double, ModuleState>> played;
    for (int i = 0; i < 5; ++i) {
        const double wanted = std::uniform_real_distribution<double>(30.0, 8000.0)(random);
        Session plain(options);
        std::uniform_real_distribution<double> frame(0.01, 0.2);
        while (plain.Play().Position() < wanted) {
            plain.Play().Advance(frame(random));
        }
        played.emplace_back(plain.Play().Position(), plain.State());
    }
    std::sort(played.begin(), played.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    // The same times sought in another order: ahead from the start, back
    // (the module afresh), ahead from there, back and ahead again.
    Session sought(options);
    bool first = true;
    for (int index : {2, 0, 4, 1, 3}) {
        const auto& [time, state] = played[static_cast<std::size_t>(index)];
        sought.Play().SeekTo(time);
        ASSERT_TRUE(sought.Play().Usable());
        ExpectSame(sought.State(), state, time, first);
        first = false;
    }
    // A cycle back and forth while paused.
    const std::size_t cycles = sought.Play().Cycles();
    sought.Play().Press(' ');
    sought.Play().Press(',');
    EXPECT_EQ(sought.Play().Cycles(), cycles - 1);
    sought.Play().Press('.');
    EXPECT_EQ(sought.Play().Cycles(), cycles);
    ExpectSame(sought.State(), played[3].second, played[3].first, false);
}

// NMEA replay throughput, end to end through the parser and the host's feed,
// over a log of a day at 10 Hz written to a temporary file, and the replay's
// peak memory, measured in a child process of its own; and what a seek in the
// window costs over the same day, the module and the sounder sailing. The
// yardstick is one 1920 x 1080 frame copied between buffers larger than the
// cache.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/PlaceScout.h"
#include "host/replay/NmeaFeed.h"
#include "sonarlog/SonarLog.h"
#include "sonarlog/SweepReducer.h"
#include "tests/support/NmeaSentence.h"
#include "tests/support/ReplaySession.h"
#include "tests/support/SonarWriter.h"

namespace {

constexpr int kDaySeconds = 86400;
constexpr int kRateHz = 10;

std::string Sentence(const char* body) {
    return NmeaSentence(body) + "\r\n";
}

// A trawler working a box of grounds at 6 knots: legs of 5 NM back and forth,
// each a cable further east. GGA, RMC and HDT at 10 Hz, depth every second,
// water temperature every ten.
struct DayLog {
    std::filesystem::path path;
    long lines = 0;

    DayLog() {
        path = std::filesystem::temp_directory_path() /
               ("plotrex-replay-bench-" + std::to_string(getpid()) + ".nmea");
        std::ofstream out(path, std::ios::binary);
        char body[128];
        for (int tick = 0; tick < kDaySeconds * kRateHz; ++tick) {
            const double t = static_cast<double>(tick) / kRateHz;
            const double run = t * 6.0 / 3600.0;  // NM sailed
            const int leg = static_cast<int>(run / 5.0);
            const double along = std::fmod(run, 5.0);
            const double north = leg % 2 == 0 ? along : 5.0 - along;
            const double latitudeMinutes = 30.0 + north;
            const double longitudeMinutes = 10.0 + leg * 0.1 / std::cos(47.5 * M_PI / 180);
            const int whole = static_cast<int>(t);
            char clock[16];
            std::snprintf(clock, sizeof clock, "%02d%02d%02d.%d", whole / 3600, whole / 60 % 60,
                          whole % 60, tick % kRateHz);
            const double course = leg % 2 == 0 ? 0.0 : 180.0;
            std::snprintf(body, sizeof body,
                          "GPGGA,%s,47%07.4f,N,005%07.4f,W,1,09,0.9,12.0,M,48.0,M,,", clock,
                          latitudeMinutes, longitudeMinutes);
            out << Sentence(body);
            std::snprintf(body, sizeof body,
                          "GPRMC,%s,A,47%07.4f,N,005%07.4f,W,6.0,%.1f,150626,,,A", clock,
                          latitudeMinutes, longitudeMinutes, course);
            out << Sentence(body);
            std::snprintf(body, sizeof body, "HEHDT,%.1f,T", course + 1.5);
            out << Sentence(body);
            lines += 3;
            if (tick % kRateHz == 0) {
                std::snprintf(body, sizeof body, "SDDBT,,f,%.1f,M,,F",
                              80.0 + 40.0 * std::sin(north) + 5.0 * std::sin(leg * 0.3));
                out << Sentence(body);
                ++lines;
            }
            if (tick % (10 * kRateHz) == 0) {
                std::snprintf(body, sizeof body, "YXMTW,%.1f,C", 12.0 + std::sin(t / 7200.0));
                out << Sentence(body);
                ++lines;
            }
        }
    }
    ~DayLog() { std::filesystem::remove(path); }
};

const DayLog& Log() {
    static const DayLog log;
    return log;
}

// The states of the whole log, sailed as the host sails them.
long Replay(const std::string& path) {
    auto opened = NmeaFeed::Open(path);
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.GetError().Message().c_str());
        std::exit(1);
    }
    const std::unique_ptr<NmeaFeed> feed = opened.Release();
    ShipSnapshot snapshot;
    long states = 0;
    while (feed->Next(snapshot)) {
        benchmark::DoNotOptimize(snapshot);
        ++states;
    }
    return states;
}

// Time on this thread's processor: the machine is shared, so the yardstick
// and the replay are both timed by what they used of it.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Milliseconds for one frame copied from memory, not from the cache: the
// copies go round frames that together are larger than any cache here.
double FrameCopyMilliseconds() {
    constexpr std::size_t kFrame = 1920 * 1080;
    constexpr int kFrames = 12;
    std::vector<std::vector<std::uint32_t>> frames(kFrames,
                                                   std::vector<std::uint32_t>(kFrame, 0xFF336699u));
    std::vector<double> times;
    for (int i = 0; i < 40; ++i) {
        auto& from = frames[(2 * i) % kFrames];
        auto& to = frames[(2 * i + 1) % kFrames];
        const double start = CpuSeconds();
        std::memcpy(to.data(), from.data(), kFrame * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
        times.push_back((CpuSeconds() - start) * 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Peak resident memory of a process that only replays the log, and how much
// of it the replay added, in megabytes.
void ReplayMemory(double& peak, double& added) {
    int pipe_[2];
    if (pipe(pipe_) != 0) {
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_[0]);
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        Replay(Log().path.string());
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        const double figures[2] = {after.ru_maxrss / 1024.0,
                                   (after.ru_maxrss - before.ru_maxrss) / 1024.0};
        const ssize_t written = write(pipe_[1], figures, sizeof figures);
        _exit(written == sizeof figures ? 0 : 1);
    }
    close(pipe_[1]);
    double figures[2] = {0, 0};
    if (read(pipe_[0], figures, sizeof figures) == sizeof figures) {
        peak = figures[0];
        added = figures[1];
    }
    close(pipe_[0]);
    int status = 0;
    waitpid(child, &status, 0);
}

void BM_NmeaReplayDay(benchmark::State& state) {
    const DayLog& log = Log();
    const double frameMs = FrameCopyMilliseconds();
    long states = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const double start = CpuSeconds();
        states = Replay(log.path.string());
        seconds += CpuSeconds() - start;
    }
    state.SetItemsProcessed(state.iterations() * log.lines);
    double peak = 0;
    double added = 0;
    ReplayMemory(peak, added);
    state.counters["lines"] = static_cast<double>(log.lines);
    state.counters["states"] = static_cast<double>(states);
    state.counters["frame_copy_ms"] = frameMs;
    // How many lines are replayed in the time of one frame copy.
    const double linesPerSecond =
        static_cast<double>(state.iterations()) * static_cast<double>(log.lines) / seconds;
    state.counters["lines_per_second"] = linesPerSecond;
    state.counters["lines_per_frame_copy"] = linesPerSecond * frameMs / 1000.0;
    state.counters["peak_MB"] = peak;
    state.counters["replay_MB"] = added;
}
BENCHMARK(BM_NmeaReplayDay)->Unit(benchmark::kSecond)->Iterations(1);

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Seeks in the window over the day: the feed's index made, then to noon from
// the start, back to six in the morning, a minute on, and ahead to half past
// eleven, where the replay was before; then, once a scout sailed the whole
// day beside it, to eleven at night, where the replay never was. Timed on
// the wall clock; the peak memory of the whole is reported too.
void BM_SeekDay(benchmark::State& state) {
    const DayLog& log = Log();
    const double frameMs = FrameCopyMilliseconds();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("plotrex-seek-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    HostOptions options;
    options.nmeaPath = log.path.string();
    options.profilePath = (folder / "profile.ini").string();
    options.outDir = (folder / "out").string();
    double indexSeconds = 0.0;
    double ahead = 0.0;
    double back = 0.0;
    double minute = 0.0;
    double againAhead = 0.0;
    double scout = 0.0;
    double scoutedAhead = 0.0;
    for (auto _ : state) {
        double start = WallSeconds();
        if (!FeedIndex::Build(options)) {
            state.SkipWithError("the day's log has no index");
            break;
        }
        indexSeconds = WallSeconds() - start;
        ReplaySession session(options);
        if (!session.Ready()) {
            state.SkipWithError("the replay could not be put together");
            break;
        }
        start = WallSeconds();
        session.Play().SeekTo(12 * 3600.0);
        ahead = WallSeconds() - start;
        start = WallSeconds();
        session.Play().SeekTo(6 * 3600.0);
        back = WallSeconds() - start;
        start = WallSeconds();
        session.Play().SeekTo(6 * 3600.0 + 60.0);
        minute = WallSeconds() - start;
        // Ahead again where the replay was before: from a place kept there.
        start = WallSeconds();
        session.Play().SeekTo(11 * 3600.0 + 1800.0);
        againAhead = WallSeconds() - start;
        // A scout sails the whole day beside the window; then far ahead,
        // where the window never was.
        options.arguments = {"--nmea", options.nmeaPath, "--profile", options.profilePath};
        const std::string program =
            std::filesystem::read_symlink("/proc/self/exe").parent_path() / "plotrex-host";
        start = WallSeconds();
        session.Play().Scout(PlaceScout::Start(program, options));
        while (session.Play().Scouting()) {
            usleep(20000);
            session.Play().TakeScouted();
        }
        scout = WallSeconds() - start;
        start = WallSeconds();
        session.Play().SeekTo(23 * 3600.0);
        scoutedAhead = WallSeconds() - start;
    }
    std::filesystem::remove_all(folder);
    state.counters["frame_copy_ms"] = frameMs;
    state.counters["index_s"] = indexSeconds;
    state.counters["seek_noon_s"] = ahead;
    state.counters["seek_back_6h_s"] = back;
    state.counters["seek_minute_s"] = minute;
    state.counters["seek_again_11h30_s"] = againAhead;
    state.counters["scout_s"] = scout;
    state.counters["seek_scouted_23h_s"] = scoutedAhead;
    // The slowest seek in frame copies.
    // The slowest seek to a time the replay was at before, in frame copies.
    state.counters["seek_frame_copies"] =
        std::max({back, minute, againAhead, scoutedAhead}) * 1000.0 / frameMs;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = usage.ru_maxrss / 1024.0;
}
BENCHMARK(BM_SeekDay)->Unit(benchmark::kSecond)->Iterations(1);

// A sonar recording read from memory as the replay reads it for the sounder:
// every frame's header, and the samples of the sounding channels reduced to
// levels. 20 000 frames: 2048-sample primaries, 900-sample secondaries and a
// down-scan frame every tenth ping.
void BM_SonarReadFrames(benchmark::State& state) {
    static const std::string recording = DemoSonarRecording(20000);
    const double frameMs = FrameCopyMilliseconds();
    const SweepReducer reducer;
    std::vector<std::uint8_t> samples;
    std::vector<std::uint8_t> levels;
    long frames = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        std::istringstream in(recording);
        SonarLog log;
        if (const ErrorOr<void> attached = log.Attach(in); !attached) {
            state.SkipWithError(attached.GetError().Message().c_str());
            return;
        }
        const double start = CpuSeconds();
        SonarFrame frame;
        frames = 0;
        while (log.Next(frame)) {
            if (frame.channel <= kSonarSecondary) {
                log.ReadSamples(samples);
                reducer.Reduce(samples.data(), samples.size(), levels);
                benchmark::DoNotOptimize(levels.data());
            }
            ++frames;
        }
        seconds += CpuSeconds() - start;
    }
    const double framesPerSecond = static_cast<double>(state.iterations()) * frames / seconds;
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["MB"] = recording.size() / 1e6;
    state.counters["frames_per_second"] = framesPerSecond;
    state.counters["frame_copy_ms"] = frameMs;
    // Frames read in the time of one frame copy: a view draws at most one
    // picture per sweep, each costing several copies' worth.
    state.counters["frames_per_frame_copy"] = framesPerSecond * frameMs / 1000.0;
}
BENCHMARK(BM_SonarReadFrames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

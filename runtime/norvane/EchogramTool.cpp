// norvane-echogram: stacks synchronous pings of the sounder library into a
// picture, over a sea floor that changes as the ship goes, or a sonar
// recording played by it, to see what the sounder draws. Loads the library as
// the module does, from ../NORVANE/.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wshadow"
#include <ogr_feature.h>
#include <CLI/CLI.hpp>
#pragma GCC diagnostic pop

#include "hostfamily/ZXNorvaneApi.h"
#include "hostfamily/ZXNorvaneControl.h"
#include "platform/CairoHandles.h"
#include "platform/Error.h"
#include "platform/PixelImageFile.h"
#include "sonarlog/SonarLog.h"
#include "sonarlog/SweepReducer.h"

namespace {

constexpr int kMostPings = 20000;
constexpr const char* kSeeHelp = "\n(norvane-echogram --help lists the options)";

struct ToolOptions {
    std::string out = "echogram.png";
    int pings = 600;
    unsigned seed = 1;
    int frequencyMode = 5;
    int zoomMode = 1;
    int range = 0;
    double gain = 0.0;
    double hardness = -1.0;  // below 0: changing along the way
    double speed = 6.0;
    std::string sonar;
    EchoGain echoGain = EchoGain::kNormal;
    bool help = false;  // the help was asked for, and shown
};

// The sweeps the sounder delivered, per channel (0 HF, 1 LF), each a column
// of the picture. The sweep callback has no context of its own.
std::vector<std::vector<uint8_t>> gColumns[2];

void OnSweep(ZXRawSweep* sweep) {
    if (sweep == nullptr || sweep->channel > 1) {
        return;
    }
    gColumns[sweep->channel].emplace_back(sweep->samples, sweep->samples + sweep->sampleCount);
}

// Refused for a command line that is not the tool's.
ErrorOr<ToolOptions> ParseOptions(int argc, char** argv) {
    ToolOptions options;
    std::string mode;
    std::string echoGain;
    CLI::App app(
        "Stacks the sounder library's sweeps into a picture: pings over a bank, or a\n"
        "sonar recording played by the sounder.",
        "norvane-echogram");
    app.option_defaults()->take_last();
    app.add_option("--out", options.out, "the picture (default: echogram.png)")
        ->type_name("FILE.png");
    app.add_option("--pings", options.pings, "pings over the bank, up to 20000 (default: 600)")
        ->type_name("N");
    app.add_option("--seed", options.seed, "seed of the echoes' random parts")->type_name("N");
    app.add_option("--mode", mode, "frequency and zoom mode (default: 5,1)")->type_name("F,Z");
    app.add_option("--range", options.range, "range in metres (default: the sounder's own)")
        ->type_name("M");
    app.add_option("--gain", options.gain, "gain of both property sets")->type_name("DB");
    app.add_option("--hardness", options.hardness, "hardness of the floor, 0 to 1")->type_name("H");
    app.add_option("--speed", options.speed, "speed through the water")->type_name("KNOTS");
    app.add_option("--sonar", options.sonar, "play an SL2 or SL3 recording instead")
        ->type_name("FILE");
    app.add_option("--echo-gain", echoGain, "recorded echoes shown: low, normal, high or linear")
        ->type_name("CURVE")
        ->check(CLI::IsMember({"low", "normal", "high", "linear"}));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        options.help = true;
        std::fputs(app.help().c_str(), stdout);
        return options;
    } catch (const CLI::ParseError& e) {
        return Error::Refused(std::string(e.what()) + kSeeHelp);
    }
    if ((options.pings <= 0 && options.sonar.empty()) || options.pings > kMostPings) {
        return Error::Refused("--pings needs 1 to " + std::to_string(kMostPings) + ", not " +
                              std::to_string(options.pings) + kSeeHelp);
    }
    if (!mode.empty() &&
        std::sscanf(mode.c_str(), "%d,%d", &options.frequencyMode, &options.zoomMode) != 2) {
        return Error::Refused("--mode needs F,Z, not '" + mode + "'" + kSeeHelp);
    }
    if (!echoGain.empty()) {
        options.echoGain = *ParseEchoGain(echoGain);
    }
    return options;
}

// The sounder library as the module loads it, with the entry points the tool
// drives it through.
struct Library {
    void* handle = nullptr;
    std::string path;
    ZXNorvaneAPI* api = nullptr;
    ZXNorvaneResetFunction reset = nullptr;
    ZXNorvaneSetEnvironmentFunction setEnvironment = nullptr;
    ZXNorvanePingFunction ping = nullptr;

    template <typename Function>
    Function Resolve(const char* name) const {
        return reinterpret_cast<Function>(dlsym(handle, name));
    }
};

std::string LibraryPath(const char* argv0) {
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path =
        length > 0 ? std::string(self, static_cast<size_t>(length)) : std::string(argv0);
    path = path.substr(0, path.find_last_of('/') + 1);
    return path + "../NORVANE/ZXNorvane.so";
}

ErrorOr<Library> LoadLibrary(const char* argv0) {
    Library library;
    library.path = LibraryPath(argv0);
    library.handle = dlopen(library.path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library.handle == nullptr) {
        return Error::Failed("cannot load " + library.path + ": " + dlerror());
    }
    const auto getApi = library.Resolve<GetZXNorvaneAPIFunction>("GetZXNorvaneAPI");
    library.reset = library.Resolve<ZXNorvaneResetFunction>("ZXNorvaneReset");
    library.setEnvironment =
        library.Resolve<ZXNorvaneSetEnvironmentFunction>("ZXNorvaneSetEnvironment");
    library.ping = library.Resolve<ZXNorvanePingFunction>("ZXNorvanePing");
    if (getApi == nullptr || library.reset == nullptr || library.setEnvironment == nullptr ||
        library.ping == nullptr) {
        return Error::Failed(library.path + " lacks an entry point");
    }
    library.api = getApi();
    return library;
}

// The sounder reset to the seed, in the mode, range and gain asked for.
ErrorOr<void> Configure(const Library& library, const ToolOptions& options) {
    ZXSounder* sounder = library.api->GetSounder();
    const ZXNorvaneOptions reset{options.seed, 0, 0.0, 1};
    library.reset(&reset);
    sounder->SetMode(library.api->GetModeEncoder()->Encode(
        static_cast<int16_t>(options.frequencyMode), static_cast<int16_t>(options.zoomMode)));
    for (int channel = 0; channel < 2 && options.range > 0; ++channel) {
        if (sounder->SetRange(library.api->GetModeEncoder()->Encode(), channel, options.range, 0) ==
            0) {
            return Error::Failed("range " + std::to_string(options.range) + " refused");
        }
    }
    for (int set = 0; set < 2 && options.gain != 0.0; ++set) {
        OGRFeature* feature = sounder->GetProperties(set, 0);
        if (feature == nullptr) {
            return Error::Failed("the sounder has no property set " + std::to_string(set));
        }
        feature->SetField("GAIN_DB", options.gain);
        const bool accepted = sounder->SetProperties(feature, set, 0) != 0;
        OGRFeature::DestroyFeature(feature);
        if (!accepted) {
            char gain[32];
            std::snprintf(gain, sizeof gain, "%.1f", options.gain);
            return Error::Failed(std::string("gain ") + gain + " dB refused");
        }
    }
    return {};
}

// Every sounding frame of the recording, played at once: primary as HF,
// secondary as LF.
ErrorOr<void> PlayRecording(const Library& library, const ToolOptions& options) {
    const auto playback = library.Resolve<ZXNorvanePlaybackFunction>("ZXNorvanePlayback");
    const auto playSweep = library.Resolve<ZXNorvanePlaySweepFunction>("ZXNorvanePlaySweep");
    const auto setShipTime = library.Resolve<ZXNorvaneSetShipTimeFunction>("ZXNorvaneSetShipTime");
    const auto catchUp = library.Resolve<ZXNorvaneCatchUpFunction>("ZXNorvaneCatchUp");
    if (playback == nullptr || playSweep == nullptr || setShipTime == nullptr ||
        catchUp == nullptr) {
        return Error::Failed("the library cannot play recordings");
    }
    SonarLog log;
    if (ErrorOr<void> opened = log.Open(options.sonar); !opened) {
        return Error::Failed(opened.GetError().Message());
    }
    playback(1);
    setShipTime(0.0);
    const SweepReducer reducer(options.echoGain);
    SonarFrame frame;
    std::vector<uint8_t> samples;
    std::vector<uint8_t> levels;
    while (log.Next(frame) && gColumns[0].size() < kMostPings) {
        if (frame.channel > kSonarSecondary || !log.ReadSamples(samples)) {
            continue;
        }
        reducer.Reduce(samples.data(), samples.size(), levels);
        const ZXNorvaneRecordedSweep sweep{0.0,
                                           frame.channel == kSonarSecondary ? 1 : 0,
                                           frame.upperMetres,
                                           frame.lowerMetres,
                                           frame.depthMetres.value_or(0.0),
                                           levels.data(),
                                           static_cast<uint32_t>(levels.size())};
        if (playSweep(&sweep) != 0) {
            catchUp();
        }
    }
    return {};
}

// A floor that climbs a bank, drops into a hollow and changes from mud to
// rock and back.
void PingOverBank(const Library& library, const ToolOptions& options) {
    double time = 0.0;
    for (int i = 0; i < options.pings; ++i) {
        const double x = static_cast<double>(i) / options.pings;
        const double depth = 70.0 - 30.0 * std::exp(-std::pow((x - 0.35) / 0.1, 2.0)) +
                             25.0 * std::exp(-std::pow((x - 0.75) / 0.08, 2.0)) +
                             4.0 * std::sin(x * 40.0);
        const double hard =
            options.hardness >= 0.0 ? options.hardness : 0.5 + 0.45 * std::sin(x * 6.0);
        const ZXNorvaneEnvironment environment{time, depth, hard, options.speed};
        library.setEnvironment(&environment);
        library.ping();
        time += 0.25;
    }
}

// A sounder screen's colours: water dark blue, weak echoes blue and green,
// strong ones yellow and red, the strongest brown.
const uint8_t* Colour(uint8_t level) {
    static const uint8_t kRamp[16][3] = {
        {8, 16, 48},    {16, 40, 110},  {20, 70, 170},  {20, 110, 210},
        {30, 150, 220}, {40, 180, 170}, {50, 190, 110}, {90, 200, 60},
        {150, 210, 40}, {210, 210, 30}, {240, 180, 30}, {245, 130, 30},
        {235, 80, 30},  {210, 40, 40},  {160, 30, 40},  {110, 40, 30}};
    return kRamp[level & 15];
}

// One pane per channel heard, HF above LF, 8 white rows between them; a
// column of another length than the channel's first is fitted to the pane.
void DrawPanes(int panes, unsigned char* data, int stride, int width) {
    int top = 0;
    for (int c = 0; c < panes; ++c) {
        const int pane = static_cast<int>(gColumns[c][0].size());
        for (int x = 0; x < width && x < static_cast<int>(gColumns[c].size()); ++x) {
            const std::vector<uint8_t>& samples = gColumns[c][x];
            for (int y = 0; y < pane && !samples.empty(); ++y) {
                const uint8_t* rgb =
                    Colour(samples[static_cast<size_t>(y) * samples.size() / pane]);
                unsigned char* pixel = data + static_cast<size_t>(top + y) * stride + 4 * x;
                pixel[0] = rgb[2];
                pixel[1] = rgb[1];
                pixel[2] = rgb[0];
            }
        }
        top += pane + 8;
    }
}

// The picture of the sweeps received; its width in pings and its panes.
ErrorOr<std::pair<int, int>> WritePicture(const std::string& path) {
    const int panes = gColumns[1].empty() ? 1 : 2;
    int height = 0;
    for (int c = 0; c < panes; ++c) {
        height +=
            gColumns[c].empty() ? 0 : static_cast<int>(gColumns[c][0].size()) + (c > 0 ? 8 : 0);
    }
    const int width = static_cast<int>(gColumns[0].size());
    if (width == 0 || height == 0) {
        return Error::Failed("no sweeps");
    }
    const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    std::memset(data, 0xFF, static_cast<size_t>(stride) * height);
    DrawPanes(panes, data, stride, width);
    cairo_surface_mark_dirty(surface.get());
    if (ErrorOr<void> written = WritePngFile(surface.get(), path); !written) {
        return written.GetError();
    }
    return std::make_pair(width, panes);
}

// The tool's whole run; the error that ended it, not yet told.
ErrorOr<int> Run(int argc, char** argv) {
    ErrorOr<ToolOptions> parsed = ParseOptions(argc, argv);
    if (!parsed) {
        return parsed.GetError();
    }
    if (parsed.Value().help) {
        return 0;
    }
    const ToolOptions& options = parsed.Value();
    ErrorOr<Library> library = LoadLibrary(argv[0]);
    if (!library) {
        return library.GetError();
    }
    if (ErrorOr<void> configured = Configure(library.Value(), options); !configured) {
        return configured.GetError();
    }
    ZXSounder* sounder = library.Value().api->GetSounder();
    sounder->RegisterSweepCallback(OnSweep);
    if (!options.sonar.empty()) {
        if (ErrorOr<void> played = PlayRecording(library.Value(), options); !played) {
            return played.GetError();
        }
    } else {
        PingOverBank(library.Value(), options);
    }
    sounder->UnregisterSweepCallback(OnSweep);
    const ErrorOr<std::pair<int, int>> picture = WritePicture(options.out);
    if (!picture) {
        return picture.GetError();
    }
    std::printf("%s: %d pings, %d pane(s)\n", options.out.c_str(), picture.Value().first,
                picture.Value().second);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const ErrorOr<int> exitCode = Run(argc, argv);
    if (exitCode) {
        return exitCode.Value();
    }
    std::fprintf(stderr, "norvane-echogram: %s\n", exitCode.GetError().Message().c_str());
    return exitCode.GetError().ExitCode();
}

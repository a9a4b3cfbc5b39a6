// norvane-echogram: stacks synchronous pings of the sounder library into a
// picture, over a sea floor that changes as the ship goes, or a sonar
// recording played by it, to see what the sounder draws. Loads the library as
// the module does, from ../NORVANE/.
#include <cairo.h>
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <ogr_feature.h>
#pragma GCC diagnostic pop

#include "host/SonarLog.h"
#include "host/SweepReducer.h"
#include "hostfamily/ZXNorvaneApi.h"
#include "hostfamily/ZXNorvaneControl.h"
#include "platform/PixelImageFile.h"

namespace {

struct Column {
    std::vector<uint8_t> samples;
};

std::vector<Column> gColumns[2];

void OnSweep(ZXRawSweep* sweep) {
    if (sweep == nullptr || sweep->channel > 1) {
        return;
    }
    gColumns[sweep->channel].push_back(
        {std::vector<uint8_t>(sweep->samples, sweep->samples + sweep->sampleCount)});
}

// A sounder screen's colours: water dark blue, weak echoes blue and green,
// strong ones yellow and red, the strongest brown.
void Colour(uint8_t level, uint8_t rgb[3]) {
    static const uint8_t kRamp[16][3] = {
        {8, 16, 48},    {16, 40, 110},  {20, 70, 170},  {20, 110, 210},
        {30, 150, 220}, {40, 180, 170}, {50, 190, 110}, {90, 200, 60},
        {150, 210, 40}, {210, 210, 30}, {240, 180, 30}, {245, 130, 30},
        {235, 80, 30},  {210, 40, 40},  {160, 30, 40},  {110, 40, 30}};
    std::memcpy(rgb, kRamp[level & 15], 3);
}

std::string LibraryPath(const char* argv0) {
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path =
        length > 0 ? std::string(self, static_cast<size_t>(length)) : std::string(argv0);
    path = path.substr(0, path.find_last_of('/') + 1);
    return path + "../NORVANE/ZXNorvane.so";
}

int Usage() {
    std::fprintf(
        stderr,
        "usage: norvane-echogram [--out FILE.png] [--pings N] [--seed N] [--mode F,Z] [--range M]\n"
        "                        [--gain DB] [--hardness H] [--speed KNOTS]\n"
        "       norvane-echogram --sonar FILE.sl2 [--echo-gain CURVE] [--out FILE.png] [--mode "
        "F,Z]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out = "echogram.png";
    int pings = 600;
    unsigned seed = 1;
    int frequencyMode = 5;
    int zoomMode = 1;
    int range = 0;
    double gain = 0.0;
    double hardness = -1.0;
    double speed = 6.0;
    std::string sonar;
    EchoGain echoGain = EchoGain::kNormal;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) {
            return Usage();
        }
        ++i;
        if (arg == "--out") {
            out = value;
        } else if (arg == "--pings") {
            pings = std::atoi(value);
        } else if (arg == "--seed") {
            seed = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
        } else if (arg == "--mode") {
            if (std::sscanf(value, "%d,%d", &frequencyMode, &zoomMode) != 2) {
                return Usage();
            }
        } else if (arg == "--range") {
            range = std::atoi(value);
        } else if (arg == "--gain") {
            gain = std::atof(value);
        } else if (arg == "--hardness") {
            hardness = std::atof(value);
        } else if (arg == "--speed") {
            speed = std::atof(value);
        } else if (arg == "--sonar") {
            sonar = value;
        } else if (arg == "--echo-gain") {
            const std::optional<EchoGain> parsed = ParseEchoGain(value);
            if (!parsed) {
                return Usage();
            }
            echoGain = *parsed;
        } else {
            return Usage();
        }
    }
    if ((pings <= 0 && sonar.empty()) || pings > 20000) {
        return Usage();
    }

    const std::string path = LibraryPath(argv[0]);
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "norvane-echogram: cannot load %s: %s\n", path.c_str(), dlerror());
        return 1;
    }
    auto getApi = reinterpret_cast<GetZXNorvaneAPIFunction>(dlsym(library, "GetZXNorvaneAPI"));
    auto reset = reinterpret_cast<ZXNorvaneResetFunction>(dlsym(library, "ZXNorvaneReset"));
    auto setEnvironment = reinterpret_cast<ZXNorvaneSetEnvironmentFunction>(
        dlsym(library, "ZXNorvaneSetEnvironment"));
    auto ping = reinterpret_cast<ZXNorvanePingFunction>(dlsym(library, "ZXNorvanePing"));
    if (getApi == nullptr || reset == nullptr || setEnvironment == nullptr || ping == nullptr) {
        std::fprintf(stderr, "norvane-echogram: %s lacks an entry point\n", path.c_str());
        return 1;
    }
    ZXNorvaneAPI* api = getApi();
    ZXSounder* sounder = api->GetSounder();
    const ZXNorvaneOptions options{seed, 0, 0.0, 1};
    reset(&options);
    sounder->SetMode(api->GetModeEncoder()->Encode(static_cast<int16_t>(frequencyMode),
                                                   static_cast<int16_t>(zoomMode)));
    if (range > 0) {
        for (int channel = 0; channel < 2; ++channel) {
            if (sounder->SetRange(api->GetModeEncoder()->Encode(), channel, range, 0) == 0) {
                std::fprintf(stderr, "norvane-echogram: range %d refused\n", range);
                return 1;
            }
        }
    }
    if (gain != 0.0) {
        for (int set = 0; set < 2; ++set) {
            OGRFeature* feature = sounder->GetProperties(set, 0);
            if (feature == nullptr) {
                return 1;
            }
            feature->SetField("GAIN_DB", gain);
            const bool accepted = sounder->SetProperties(feature, set, 0) != 0;
            OGRFeature::DestroyFeature(feature);
            if (!accepted) {
                std::fprintf(stderr, "norvane-echogram: gain %.1f dB refused\n", gain);
                return 1;
            }
        }
    }
    sounder->RegisterSweepCallback(OnSweep);
    if (!sonar.empty()) {
        // Every sounding frame of the recording, played at once: primary as
        // HF, secondary as LF.
        auto playback =
            reinterpret_cast<ZXNorvanePlaybackFunction>(dlsym(library, "ZXNorvanePlayback"));
        auto playSweep =
            reinterpret_cast<ZXNorvanePlaySweepFunction>(dlsym(library, "ZXNorvanePlaySweep"));
        auto setShipTime =
            reinterpret_cast<ZXNorvaneSetShipTimeFunction>(dlsym(library, "ZXNorvaneSetShipTime"));
        auto catchUp =
            reinterpret_cast<ZXNorvaneCatchUpFunction>(dlsym(library, "ZXNorvaneCatchUp"));
        SonarLog log;
        std::string error;
        if (playback == nullptr || playSweep == nullptr || setShipTime == nullptr ||
            catchUp == nullptr || !log.Open(sonar, error)) {
            std::fprintf(stderr, "norvane-echogram: %s\n",
                         error.empty() ? "the library cannot play recordings" : error.c_str());
            return 1;
        }
        playback(1);
        setShipTime(0.0);
        const SweepReducer reducer(echoGain);
        SonarFrame frame;
        std::vector<uint8_t> samples;
        std::vector<uint8_t> levels;
        while (log.Next(frame) && gColumns[0].size() < 20000) {
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
        pings = 0;
    }

    // A floor that climbs a bank, drops into a hollow and changes from mud
    // to rock and back.
    double time = 0.0;
    for (int i = 0; i < pings; ++i) {
        const double x = static_cast<double>(i) / pings;
        const double depth = 70.0 - 30.0 * std::exp(-std::pow((x - 0.35) / 0.1, 2.0)) +
                             25.0 * std::exp(-std::pow((x - 0.75) / 0.08, 2.0)) +
                             4.0 * std::sin(x * 40.0);
        const double hard = hardness >= 0.0 ? hardness : 0.5 + 0.45 * std::sin(x * 6.0);
        const ZXNorvaneEnvironment environment{time, depth, hard, speed};
        setEnvironment(&environment);
        ping();
        time += 0.25;
    }
    sounder->UnregisterSweepCallback(OnSweep);

    const int panes = gColumns[1].empty() ? 1 : 2;
    int height = 0;
    for (int c = 0; c < panes; ++c) {
        height += gColumns[c].empty()
                      ? 0
                      : static_cast<int>(gColumns[c][0].samples.size()) + (c > 0 ? 8 : 0);
    }
    const int width = static_cast<int>(gColumns[0].size());
    if (width == 0 || height == 0) {
        std::fprintf(stderr, "norvane-echogram: no sweeps\n");
        return 1;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::memset(data, 0xFF, static_cast<size_t>(stride) * height);
    int top = 0;
    for (int c = 0; c < panes; ++c) {
        for (int x = 0; x < width && x < static_cast<int>(gColumns[c].size()); ++x) {
            // Columns of another count than the first are fitted to the pane.
            const auto& samples = gColumns[c][x].samples;
            const int pane = static_cast<int>(gColumns[c][0].samples.size());
            for (int y = 0; y < pane && !samples.empty(); ++y) {
                uint8_t rgb[3];
                Colour(samples[static_cast<size_t>(y) * samples.size() / pane], rgb);
                unsigned char* pixel = data + static_cast<size_t>(top + y) * stride + 4 * x;
                pixel[0] = rgb[2];
                pixel[1] = rgb[1];
                pixel[2] = rgb[0];
            }
        }
        top += static_cast<int>(gColumns[c][0].samples.size()) + 8;
    }
    cairo_surface_mark_dirty(surface);
    const ErrorOr<void> written = WritePngFile(surface, out);
    cairo_surface_destroy(surface);
    if (!written) {
        std::fprintf(stderr, "norvane-echogram: %s\n", written.GetError().Message().c_str());
        return 1;
    }
    std::printf("%s: %d pings, %d pane(s)\n", out.c_str(), width, panes);
    return 0;
}

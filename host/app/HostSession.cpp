#include "host/app/HostSession.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "desktop/DXDesktopDeviceManager.h"
#include "host/app/HostFrame.h"
#include "host/app/HostObjectsImpl.h"
#include "host/app/ModuleLibrary.h"
#include "host/app/SdlDesktop.h"
#include "host/chart/HostChart.h"
#include "host/geodata/BathymetryRaster.h"
#include "host/geodata/HistoricProfileCsv.h"
#include "host/replay/NmeaSummary.h"
#include "host/replay/SonarFeed.h"
#include "host/replay/SounderFeed.h"
#include "module/CommandNames.h"
#include "module/CommandState.h"
#include "module/ModuleDataPlotrexInterface.h"
#include "module/ModuleDisplay.h"
#include "platform/HeadlessDesktop.h"
#include "platform/WinApp.h"
#include "platform/WindowMessages.h"
#include "units/Geodesy.h"
#include "units/UnitConversion.h"

namespace {

// The size of the host's frame, and of the pictures.
constexpr int kFrameWidth = 1280;
constexpr int kFrameHeight = 720;
// One host cycle's worth of view timers in headless mode: enough for the
// 100 ms repaint timer to fire.
constexpr DWORD kRepaintMilliseconds = 250;
// A screen pixel of 0.2646 mm (96 dots per inch) at the ladder's scale of
// level 7, 1:2 500.
constexpr double kMetresPerPixelAtLevel7 = 0.0002646 * 2500.0;
constexpr short kReferenceLevel = 7;
// The host has the echo-sounder: the module records its sweeps.
constexpr int kWithEchogram = 1;
// Headless, the chart is a window of its own beside the frame.
constexpr RECT kHeadlessChartRect{kFrameWidth, 0, kFrameWidth + 960, kFrameHeight};
// The built-in trawler's gear: its net kept 40 m above the floor on 1200 m of
// cable, of which 0.7 lies between ship and net.
constexpr double kTrawlCable = 1200.0;
constexpr double kTrawlAboveFloor = 40.0;
constexpr double kTrawlFactor = 0.7;
// What one key press pays out or heaves in, and the least cable left out.
constexpr double kCableStep = 50.0;
constexpr double kLeastCable = 50.0;

// A progress bar on a terminal, for long replays.
class ProgressBar {
  public:
    explicit ProgressBar(bool enabled) : enabled_(enabled && isatty(STDERR_FILENO)) {}
    ~ProgressBar() {
        if (shown_) {
            std::fprintf(stderr, "\r%60s\r", "");
        }
    }
    void Show(double fraction) {
        const int percent = static_cast<int>(fraction * 100.0);
        if (!enabled_ || percent == last_) {
            return;
        }
        last_ = percent;
        shown_ = true;
        const int filled = percent * 40 / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled,
                     "########################################", 40 - filled, "", percent);
        std::fflush(stderr);
    }

  private:
    bool enabled_;
    bool shown_ = false;
    int last_ = -1;
};

// The module's graphs by their name keys, in the order of the keys 1 to 8.
const char* const kGraphKeys[] = {"PLOTREX_DATA_DEPTH",     "PLOTREX_DATA_TEMP",
                                  "PLOTREX_DATA_PREVISION", "PLOTREX_DATA_PROFILE_HISTORIC",
                                  "PLOTREX_DATA_MOBILE",    "PLOTREX_DATA_DRECK_CHALUT",
                                  "PLOTREX_DATA_ETR",       "PLOTREX_DATA_ASCOPE"};

// The echo-sounder's commands, which change what it sends next.
bool IsSounderCommand(const std::string& name) {
    return name.rfind("PLOTREX_ETR_", 0) == 0;
}

// printf into a string of whatever length it takes.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

// Whether files can be made in folder (made first when missing); false with
// the system's reason.
bool CheckWritableFolder(const std::string& folder, std::string& reason) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        reason = ec.message();
        return false;
    }
    if (!std::filesystem::is_directory(folder, ec)) {
        reason = std::strerror(ENOTDIR);
        return false;
    }
    std::string probe = (std::filesystem::path(folder) / ".plotrex-XXXXXX").string();
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    close(fd);
    unlink(probe.c_str());
    return true;
}

}  // namespace

// Everything that lives while the module is loaded, in the order a host
// builds it (and the reverse order it is taken down).
struct HostSession::Module {
    explicit Module(const std::string& profile) : app(profile) {}

    CWinApp app;
    ModuleLibrary library;
    HostFrame frame;
    DXDesktopDeviceManager devices;
    ShipSnapshot now;
    std::unique_ptr<FeedDataSource> dataSource;
    CountingNotificationSink sink;
    std::unique_ptr<ModelDepthSource> depthSource;
    std::unique_ptr<FeedVesselSource> vesselSource;
    std::unique_ptr<SounderFeed> sounder;
    ModuleDataPlotrexInterface* data = nullptr;
    ModuleDisplay* chartDisplay = nullptr;
    std::unique_ptr<HostChart> chart;
    PosType anchorSeen = NoPos;
    bool viewOpen = false;
    bool hadLayout = false;
    UINT executeMessage = RegisterWindowMessageA("WM_PLOTREX_EXECUTE_COMMAND");
    UINT stateMessage = RegisterWindowMessageA("WM_PLOTREX_COMMAND_STATE");
    short dayNight = 0;
    short labelLevel = 1;
};

HostSession::HostSession(HostOptions options) : options_(std::move(options)) {}

HostSession::~HostSession() = default;

bool HostSession::OpenFeed(std::string& error) {
    if (!options_.sonarPath.empty()) {
        auto sonar =
            SonarFeed::Open(options_.sonarPath,
                            ParseEchoGain(options_.echoGain).value_or(EchoGain::kNormal), error);
        sonar_ = sonar.get();
        feed_ = std::move(sonar);
        return sonar_ != nullptr;
    }
    if (options_.nmeaPath.empty()) {
        feed_ = std::make_unique<BuiltInFeed>();
        return true;
    }
    auto replay = NmeaFeed::Open(options_.nmeaPath, error);
    if (replay == nullptr) {
        return false;
    }
    nmea_ = replay.get();
    feed_ = std::move(replay);
    return true;
}

bool HostSession::OpenSeaFloor(std::string& error) {
    if (!options_.bathymetryPath.empty()) {
        const RasterValues values = options_.bathymetryValues == "depths" ? RasterValues::Depths
                                    : options_.bathymetryValues == "elevations"
                                        ? RasterValues::Elevations
                                        : RasterValues::Auto;
        raster_ = BathymetryRaster::Open(options_.bathymetryPath, values, error);
        if (raster_ == nullptr) {
            return false;
        }
    }
    if (options_.historicPath.empty()) {
        historic_ = feed_->EarlierSurvey();
        historicOrigin_ = "the voyage's earlier survey, run the other way";
        return true;
    }
    HistoricProfileCsv csv;
    if (!csv.AddFile(options_.historicPath, error)) {
        return false;
    }
    for (const HistoricProfileCsv::BadLine& line : csv.BadLines()) {
        std::cerr << "plotrex-host: " << options_.historicPath << " line " << line.number << ": "
                  << line.reason << "\n";
    }
    if (csv.BadLineCount() > static_cast<long>(csv.BadLines().size())) {
        std::cerr << "plotrex-host: " << options_.historicPath << ": "
                  << csv.BadLineCount() - static_cast<long>(csv.BadLines().size())
                  << " more bad lines\n";
    }
    if (csv.Points().empty()) {
        error = "no sounding in the historic profile " + options_.historicPath + " (" +
                std::to_string(csv.Lines()) + " lines, " + std::to_string(csv.BadLineCount()) +
                " bad)";
        return false;
    }
    historic_ = csv.Points();
    historicOrigin_ =
        options_.historicPath + ", " +
        (csv.BadLineCount() == 0   ? std::string("no bad line")
         : csv.BadLineCount() == 1 ? std::string("1 bad line set aside")
                                   : std::to_string(csv.BadLineCount()) + " bad lines set aside");
    return true;
}

bool HostSession::OpenDesktop(std::string& error) {
    if (!options_.window) {
        desktop_ = std::make_unique<HeadlessDesktop>();
        return true;
    }
    auto sdl = SdlDesktop::Open(error);
    if (sdl == nullptr) {
        return false;
    }
    sdl_ = sdl.get();
    desktop_ = std::move(sdl);
    return true;
}

int HostSession::Run() {
    // Like any host of the family, nothing starts without the unit converter:
    // a missing library ends the program here, before any setting is touched.
    GetConverter();

    // A path that cannot hold the profile (a device, a pipe, a folder, a
    // read-only or oversized file) stops the program before anything changes.
    if (const std::string problem = CWinApp::ProfileFileProblem(options_.profilePath);
        !problem.empty()) {
        std::cerr << "plotrex-host: profile " << options_.profilePath << " " << problem
                  << "; nothing was changed\n";
        return 2;
    }

    std::string error;
    if (!OpenFeed(error)) {
        std::cerr << "plotrex-host: " << error << "\n";
        return 2;
    }
    if (!OpenSeaFloor(error)) {
        std::cerr << "plotrex-host: " << error << "; nothing was changed\n";
        return 2;
    }
    if (!options_.window) {
        // Found out now, not after a voyage that would leave no picture.
        std::string reason;
        if (!CheckWritableFolder(options_.outDir, reason)) {
            std::cerr << "plotrex-host: cannot write pictures into " << options_.outDir << ": "
                      << reason << "\n";
            return 2;
        }
    }
    if (!OpenDesktop(error)) {
        std::cerr << "plotrex-host: " << error << "\n";
        return 1;
    }
    std::error_code ec;
    const auto profileFolder = std::filesystem::path(options_.profilePath).parent_path();
    if (!profileFolder.empty()) {
        std::filesystem::create_directories(profileFolder, ec);
    }

    Module module(options_.profilePath);
    if (!module.app.ProfileProblem().empty()) {
        std::cerr << "plotrex-host: profile " << options_.profilePath << " "
                  << module.app.ProfileProblem() << "; nothing was changed\n";
        return 2;
    }
    module.hadLayout = !module.app.GetProfileString(kDisplaySection, "ORGANIZER_LEVEL", "").empty();
    if (!module.library.Load(ExecutableFolder(), error)) {
        std::cerr << "plotrex-host: " << error << "\n";
        return 1;
    }
    ModuleDataPlotrexInterface* data = module.data = module.library.Data();

    module.frame.Create(nullptr, "Plotrex", WS_OVERLAPPED | WS_VISIBLE,
                        RECT{0, 0, kFrameWidth, kFrameHeight}, nullptr, 0);
    module.app.m_pMainWnd = &module.frame;
    module.devices.Init();

    module.dataSource = std::make_unique<FeedDataSource>(module.now);
    // Charted depths come from the raster, else from the built-in voyage's
    // modelled floor, or from a replayed log's own soundings read ahead.
    if (raster_ != nullptr) {
        module.depthSource =
            std::make_unique<ModelDepthSource>(raster_.get(), raster_->DeepestDepth());
    } else {
        module.depthSource = std::make_unique<ModelDepthSource>(&feed_->Depths());
    }
    module.vesselSource = std::make_unique<FeedVesselSource>(module.now, feed_->DraughtMetres());
    module.sounder = std::make_unique<SounderFeed>(ExecutableFolder());
    if (sonar_ != nullptr) {
        module.sounder->Play(*sonar_);
    }
    data->Initialize(module.dataSource.get(), &module.sink, module.depthSource.get(),
                     module.vesselSource.get(), kWithEchogram);
    // A first run opens on the profile with the echogram under it; later runs
    // keep the mode the user left.
    const bool modeStored = !module.app.GetProfileString(kDataSection, "NorvaneMode", "").empty();
    data->LoadSettings();
    const int displayMode = options_.displayMode >= 0 ? options_.displayMode : modeStored ? -1 : 0;
    if (displayMode >= 0) {
        // The module falls back on the profile view when it cannot show the mode.
        data->SetMode(displayMode);
        if (data->GetMode() != displayMode) {
            std::cerr << "plotrex-host: the module cannot show display mode " << displayMode
                      << "; it shows mode " << data->GetMode() << "\n";
        }
    }
    if (!historic_.empty()) {
        // Triples of longitude, latitude and depth: the module makes each
        // position from the second and the first number.
        std::vector<double> triples;
        triples.reserve(historic_.size() * 3);
        for (const HistoricPoint& point : historic_) {
            triples.insert(triples.end(), {point.longitude, point.latitude, point.depth});
        }
        data->SetHistoricProfile(triples, historic_.front().latitude, historic_.front().longitude);
    }
    module.chartDisplay = data->CreateDisplay();
    module.chartDisplay->LoadSettings(0);

    data->CreateViewForMode();
    module.viewOpen = OpenView(module);
    if (!module.viewOpen) {
        // Nothing to show: the module is taken down unsaved, the profile as it was.
        std::cerr << "plotrex-host: the module opened no view (display mode " << data->GetMode()
                  << ")\n";
        TakeDown(module);
        return 1;
    }
    // The view fills the frame.
    module.frame.SendMessage(WM_SIZE, 0, MAKELPARAM(kFrameWidth, kFrameHeight));
    OpenChart(module);
    module.dayNight = options_.light;
    data->SetDayNightMode(module.dayNight);
    if (module.chart != nullptr) {
        module.chart->SetLightMode(module.dayNight);
    }
    // A first run shows the depth ahead; later runs keep what the user chose.
    if (!module.hadLayout && !CommandChecked(module, kCommandShowHide, "PLOTREX_DATA_PREVISION")) {
        SendCommand(module, kCommandShowHide, "PLOTREX_DATA_PREVISION");
    }

    bool sailed = true;
    if (options_.window) {
        if (!sdl_->Show(module.frame.GetSafeHwnd(), WindowTitle(module), error)) {
            std::cerr << "plotrex-host: " << error << "\n";
            sailed = false;
        } else {
            SailInWindow(module);
        }
    } else {
        SailHeadless(module);
    }

    module.chartDisplay->SaveSettings(0);
    data->SaveSettings();
    const std::string summary = Summary(module);
    TakeDown(module);
    const bool saved = module.app.SaveProfile();
    std::fputs(summary.c_str(), stdout);
    std::printf("Settings: %s%s\n", options_.profilePath.c_str(), saved ? "" : " (NOT saved)");
    if (sonar_ != nullptr && sonar_->ReadFailed()) {
        std::cerr << "plotrex-host: the sonar recording " << options_.sonarPath
                  << " could not be read to its end\n";
        return 1;
    }
    if (nmea_ != nullptr && nmea_->Log().ReadFailed()) {
        std::cerr << "plotrex-host: the NMEA log " << options_.nmeaPath
                  << " could not be read to its end\n";
        return 1;
    }
    return saved && sailed && !pictureFailed_ ? 0 : 1;
}

bool HostSession::OpenView(Module& module) {
    const double unitsPerPixel = Convert(kMetresPerPixelAtLevel7, kUnitMetre, kUnitRadianOfArc);
    if (!module.data->OpenView(&module.devices, unitsPerPixel, kReferenceLevel)) {
        return false;
    }
    // The view fills the frame.
    RECT frame{};
    module.frame.GetClientRect(&frame);
    module.frame.SendMessage(WM_SIZE, 0, MAKELPARAM(frame.right, frame.bottom));
    return true;
}

void HostSession::NextMode(Module& module) {
    // The other kind of view cannot take over the open one: closed (its
    // layout saved), the mode set, a view of the new mode made and opened.
    const int next = (module.data->GetMode() + 1) % 3;
    module.data->CloseView();
    module.data->SetMode(next);
    module.data->CreateViewForMode();
    module.viewOpen = OpenView(module);
}

void HostSession::TakeDown(Module& module) {
    if (module.chart != nullptr) {
        // It symbolizes through the display object: gone before it.
        module.frame.SetChartWindow(nullptr);
        module.chart->DestroyWindow();
        module.chart.reset();
    }
    module.data->Terminate();    // closes the view, which saves its layout
    delete module.chartDisplay;  // displays go before their data object
    module.chartDisplay = nullptr;
    module.library.DestroyData();
    module.data = nullptr;
    module.app.m_pMainWnd = nullptr;
    module.frame.DestroyWindow();
}

void HostSession::Fed(const ShipSnapshot& snapshot) {
    ++cycles_;
    if (!snapshot.position.IsNoPos()) {
        if (!lastFed_.IsNoPos() && !(snapshot.position == lastFed_)) {
            double course = 0.0;
            double distance = 0.0;
            if (ComputeCourseDistance(lastFed_.First(), lastFed_.Second(),
                                      snapshot.position.First(), snapshot.position.Second(),
                                      &course, &distance, kRhumbLine)) {
                distanceFed_ += distance;
            }
        }
        lastFed_ = snapshot.position;
    }
    auto widen = [](ValueSpan& span, double value) {
        if (IsUndefined(value) || !std::isfinite(value)) {
            return;
        }
        span.low = span.count == 0 ? value : std::min(span.low, value);
        span.high = span.count == 0 ? value : std::max(span.high, value);
        ++span.count;
    };
    widen(depthsFed_, snapshot.depthMetres);
    widen(temperaturesFed_, snapshot.temperatureCelsius);
}

void HostSession::HandTrawl(Module& module) {
    TrawlParameters trawl{kTrawlCable, 0.0, kTrawlFactor, 0};
    if (options_.trawl) {
        trawl = *options_.trawl;
    } else if (module.now.towing && !IsUndefined(module.now.depthMetres)) {
        trawl.depth = std::max(0.0, module.now.depthMetres - kTrawlAboveFloor);
        trawl.visible = 1;
    } else if (trawlSent_) {
        // Hauled: the net stays where it was, out of sight.
        trawl.depth = trawlSent_->depth;
    }
    trawl.cableLength = std::max(kLeastCable, trawl.cableLength + cablePaidOut_);
    if (trawlSent_ && *trawlSent_ == trawl) {
        return;
    }
    if (trawl.visible != 0 && (!trawlSent_ || trawlSent_->visible == 0)) {
        ++trawlsShot_;
    }
    module.data->SetTrawlValue(trawl);
    trawlSent_ = trawl;
}

std::string HostSession::TrawlSummary() const {
    if (!trawlSent_ || trawlsShot_ == 0) {
        return "Trawl: none (--trawl CABLE:DEPTH[:FACTOR] gives one)\n";
    }
    const TrawlParameters& t = *trawlSent_;
    const double between = t.cableLength * t.cableFactor;
    std::string net;
    if (options_.trawl) {
        net = Format("net at %.0f m", t.depth);
    } else {
        net = Format("net %.0f m above the floor, shot %d time%s on the fishing legs",
                     kTrawlAboveFloor, trawlsShot_, trawlsShot_ == 1 ? "" : "s");
    }
    std::string now;
    if (t.visible == 0) {
        now = "hauled at the end";
    } else if (between > t.depth) {
        now = Format("at the end %.0f m behind the ship at %.0f m",
                     std::sqrt(between * between - t.depth * t.depth), t.depth);
    } else {
        now = Format("at the end out of reach at %.0f m", t.depth);
    }
    return Format("Trawl: %.0f m of cable (factor %.2g), %s; %s\n", t.cableLength, t.cableFactor,
                  net.c_str(), now.c_str());
}

void HostSession::SailHeadless(Module& module) {
    // The sounder shows a new display mode or range in the sweeps it sends
    // after the change: its commands go before the voyage, so that the
    // pictures show them.
    SendUserCommands(module, true);
    ProgressBar progress(nmea_ != nullptr || sonar_ != nullptr);
    double nextPicture = 0.25;
    while (feed_->Next(module.now)) {
        module.sounder->Sail(module.now);
        module.sounder->Settle();
        HandTrawl(module);
        module.data->UpdateGraphs();
        Fed(module.now);
        FollowShip(module);
        desktop_->PumpMessages();
        progress.Show(feed_->Progress());
        if (module.viewOpen && feed_->Progress() >= nextPicture && nextPicture < 1.0) {
            // Without a layout of the user's, each picture shows the ship with
            // a kilometre of the track behind it (the net on its cable) and
            // the depth ahead.
            if (!module.hadLayout) {
                SendCommand(module, "PLOTREX_SCALE_VALUE", "8");
                SendCommand(module, "PLOTREX_CENTER_ON", nullptr);
            }
            TakePicture(module, Format("view-%03d.png", static_cast<int>(nextPicture * 100)));
            nextPicture += 0.25;
        }
    }
    if (!module.viewOpen) {
        return;
    }
    // A first run has no layout yet: show the whole voyage.
    if (!module.hadLayout) {
        SendCommand(module, "PLOTREX_FIT_TO_WINDOW", nullptr);
    }
    // As a user resting the mouse on the middle of the profile: the set-square
    // there, and the anchor mark on the chart at the same place.
    RECT view{};
    if (::GetWindowRect(module.frame.ViewWindow(), &view)) {
        desktop_->MoveMouse(POINT{(view.left + view.right) / 2, (view.top + view.bottom) / 2});
    }
    SendUserCommands(module, false);
    TakePicture(module, "view.png");
    TakeChartPicture(module);
}

void HostSession::SendUserCommands(Module& module, bool sounder) {
    for (const HostCommand& command : options_.commands) {
        if (IsSounderCommand(command.name) != sounder) {
            continue;
        }
        if (SendCommand(module, command.name,
                        command.hasArgument ? command.argument.c_str() : nullptr) == 0) {
            unhandledCommands_.push_back(command.name);
        } else if (sounder) {
            echoCommandsHandled_.push_back(command.name +
                                           (command.hasArgument ? "=" + command.argument : ""));
        }
    }
}

std::string HostSession::EchoSounderDisplay(Module& module) {
    static const char* const kDisplays[][2] = {
        {"PLOTREX_ETR_DUALFREQ_PARAM", "dual frequency"},
        {"PLOTREX_ETR_SINGLEFREQ_PARAM", "single frequency"},
        {"PLOTREX_ETR_MARKERZOOM_PARAM", "marker zoom"},
        {"PLOTREX_ETR_BOTTOMZOOM_PARAM", "bottom zoom"},
        {"PLOTREX_ETR_BOTTOMLOCK_PARAM", "bottom lock"},
        {"PLOTREX_ETR_BOTTOMDISCR_PARAM", "bottom discrimination"},
    };
    std::string shown;
    for (const auto& display : kDisplays) {
        if (CommandChecked(module, "PLOTREX_ETR_DISPLAY", display[0])) {
            shown += (shown.empty() ? "" : ", ") + std::string(display[1]);
        }
    }
    if (shown.empty()) {
        return shown;
    }
    if (CommandChecked(module, "PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HF_PARAM")) {
        shown += ", HF";
    } else if (CommandChecked(module, "PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_LF_PARAM")) {
        shown += ", LF";
    }
    return shown;
}

void HostSession::SailInWindow(Module& module) {
    SendUserCommands(module, true);
    SendUserCommands(module, false);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto last = start;
    double shipSeconds = 0.0;
    bool pending = feed_->Next(module.now);
    ShipSnapshot next = module.now;
    if (pending) {
        module.sounder->Forecast(next);
    }
    auto lastTitle = start;
    auto lastChart = start;
    while (sdl_->Step([&](int key) { OnKey(module, key); })) {
        const auto now = Clock::now();
        shipSeconds += std::chrono::duration<double>(now - last).count() * options_.speed;
        last = now;
        module.sounder->Clock(shipSeconds);
        while (pending && next.time <= shipSeconds) {
            module.now = next;
            HandTrawl(module);
            module.data->UpdateGraphs();
            Fed(module.now);
            FollowShip(module);
            pending = feed_->Next(next);
            if (pending) {
                module.sounder->Forecast(next);
            }
        }
        if (now - lastChart > std::chrono::milliseconds(100)) {
            RefreshChart(module, now - lastChart > std::chrono::milliseconds(400));
            lastChart = now;
        }
        if (now - lastTitle > std::chrono::milliseconds(500)) {
            sdl_->SetTitle(WindowTitle(module));
            lastTitle = now;
        }
        if (options_.durationSeconds > 0 &&
            std::chrono::duration<double>(now - start).count() >= options_.durationSeconds) {
            break;
        }
        usleep(10000);
    }
}

void HostSession::OnKey(Module& module, int key) {
    switch (key) {
        case '+':
            SendCommand(module, "PLOTREX_SCALE_PLUS", nullptr);
            break;
        case '-':
            SendCommand(module, "PLOTREX_SCALE_MOINS", nullptr);
            break;
        case '^':
            SendCommand(module, "PLOTREX_SLOPE_PLUS", nullptr);
            break;
        case 'v':
            SendCommand(module, "PLOTREX_SLOPE_MOINS", nullptr);
            break;
        case 'c':
            SendCommand(module, "PLOTREX_CENTER_ON", nullptr);
            break;
        case 'f':
            SendCommand(module, "PLOTREX_FIT_TO_WINDOW", nullptr);
            break;
        case 'm':
            NextMode(module);
            break;
        case 'n':
            module.dayNight = static_cast<short>((module.dayNight + 1) % 3);
            module.data->SetDayNightMode(module.dayNight);
            if (module.chart != nullptr) {
                module.chart->SetLightMode(module.dayNight);
            }
            break;
        case 's':
            module.frame.SwapShares();
            break;
        case 'p': {
            // A picture of the window as it is, into --out.
            const std::string name = Format("window-%03zu.png", pictures_.size() + 1);
            const std::string path = (std::filesystem::path(options_.outDir) / name).string();
            std::error_code ec;
            std::filesystem::create_directories(options_.outDir, ec);
            if (desktop_->SaveWindowPng(module.frame.GetSafeHwnd(), path)) {
                pictures_.push_back(path);
            } else {
                std::cerr << "plotrex-host: cannot write " << path << "\n";
            }
            break;
        }
        case 'o':
        case 'i':
            // Pay cable out or heave it in.
            cablePaidOut_ += key == 'o' ? kCableStep : -kCableStep;
            HandTrawl(module);
            break;
        case 'l':
            // Label sizes 1, 2 and 3 come from levels 1, 2 and 4.
            module.labelLevel = module.labelLevel == 1 ? 2 : module.labelLevel == 2 ? 4 : 1;
            module.data->SetLabelSize(module.labelLevel);
            break;
        default:
            if (key >= '1' && key <= '8') {
                SendCommand(module, "PLOTREX_SHOW_HIDE", kGraphKeys[key - '1']);
            }
            break;
    }
    if (HWND view = module.frame.ViewWindow()) {
        ::InvalidateRect(view, nullptr, TRUE);
    }
}

long HostSession::SendCommand(Module& module, const std::string& name, const char* argument) {
    HWND view = module.frame.ViewWindow();
    if (view == nullptr) {
        return 0;
    }
    return static_cast<long>(::SendMessageA(view, module.executeMessage,
                                            reinterpret_cast<WPARAM>(name.c_str()),
                                            reinterpret_cast<LPARAM>(argument)));
}

bool HostSession::QueryCommand(Module& module, const std::string& name, const std::string& argument,
                               CommandState& state) {
    HWND view = module.frame.ViewWindow();
    if (view == nullptr) {
        return false;
    }
    state.argument = argument.c_str();
    const LRESULT known =
        ::SendMessageA(view, module.stateMessage, reinterpret_cast<WPARAM>(name.c_str()),
                       reinterpret_cast<LPARAM>(&state));
    state.argument = nullptr;
    return known != 0;
}

bool HostSession::CommandChecked(Module& module, const std::string& name,
                                 const std::string& argument) {
    CommandState state;
    return QueryCommand(module, name, argument, state) && state.checked;
}

std::string HostSession::WindowTitle(Module& module) {
    std::string title = "Plotrex";
    if (module.data->GetMode() == 1) {
        return title + " - echogram";
    }
    for (int level = 3; level <= 15; ++level) {
        if (CommandChecked(module, "PLOTREX_SCALE_VALUE", std::to_string(level))) {
            title += " - level " + std::to_string(level);
        }
    }
    for (int power = -10; power <= 10; ++power) {
        const std::string text = Format("%.10g", std::ldexp(1.0, power));
        if (CommandChecked(module, "PLOTREX_SLOPE_VALUE", text)) {
            title +=
                power >= 0 ? " - slope x " + text : " - slope 1:" + std::to_string(1 << -power);
        }
    }
    return title;
}

bool HostSession::TakePicture(Module& module, const std::string& name) {
    desktop_->Idle(kRepaintMilliseconds);
    const std::string path = (std::filesystem::path(options_.outDir) / name).string();
    errno = 0;
    if (!desktop_->SaveWindowPng(module.frame.GetSafeHwnd(), path)) {
        const int reason = errno;
        std::cerr << "plotrex-host: cannot write " << path << ": "
                  << (reason != 0 ? std::strerror(reason) : "the picture could not be made")
                  << "\n";
        pictureFailed_ = true;
        return false;
    }
    pictures_.push_back(path);
    return true;
}

std::string HostSession::DescribePanes(Module& module) {
    // What the sounder shows, as the echogram's command states tell.
    auto display = [&](const char* param) {
        return CommandChecked(module, "PLOTREX_ETR_DISPLAY", param);
    };
    const bool hf = CommandChecked(module, "PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HF_PARAM");
    const std::string frequency = hf ? "HF" : "LF";
    std::string first = frequency;
    std::string second;
    if (display("PLOTREX_ETR_DUALFREQ_PARAM")) {
        first = "HF";
        second = "LF";
    } else if (display("PLOTREX_ETR_MARKERZOOM_PARAM")) {
        second = frequency + " marker zoom";
    } else if (display("PLOTREX_ETR_BOTTOMZOOM_PARAM")) {
        second = frequency + " bottom zoom";
    } else if (display("PLOTREX_ETR_BOTTOMLOCK_PARAM")) {
        second = frequency + " bottom lock";
    } else if (display("PLOTREX_ETR_BOTTOMDISCR_PARAM")) {
        second = frequency + " bottom discrimination";
    }
    if (second.empty()) {
        return "one pane: " + first;
    }
    // Two panes share the window along its longer side.
    RECT client{};
    if (HWND view = module.frame.ViewWindow()) {
        ::GetClientRect(view, &client);
    }
    if (client.right > client.bottom) {
        return "two panes side by side: " + second + " (left), " + first + " (right)";
    }
    return "two panes stacked: " + first + " (top), " + second + " (bottom)";
}

void HostSession::OpenChart(Module& module) {
    module.chart = std::make_unique<HostChart>(
        module.chartDisplay, [this, &module](const char* name, const char* argument) {
            return SendCommand(module, name, argument);
        });
    if (raster_ != nullptr) {
        const BathymetryRaster* raster = raster_.get();
        module.chart->SetFloor(
            [raster](const GeoBox& box, int columns, int rows) {
                return raster->SampleGrid(box, columns, rows);
            },
            raster->Bounds());
    }
    if (options_.window) {
        module.chart->Create(nullptr, "Chart", WS_CHILD | WS_VISIBLE, RECT{0, 0, 1, 1},
                             &module.frame, 0);
        module.frame.SetChartWindow(module.chart->GetSafeHwnd());
    } else {
        module.chart->Create(nullptr, "Chart", WS_POPUP | WS_VISIBLE, kHeadlessChartRect, nullptr,
                             0);
    }
}

void HostSession::FollowShip(Module& module) {
    if (module.chart != nullptr) {
        const double heading = IsUndefined(module.now.heading) ? 0.0 : module.now.heading;
        module.chart->SetOwnShip(module.now.position, heading);
    }
}

void HostSession::RefreshChart(Module& module, bool shipMoved) {
    if (module.chart == nullptr) {
        return;
    }
    // The mark of the point under the view's anchor follows it.
    double first = kUndefined;
    double second = kUndefined;
    PosType anchor = NoPos;
    if (module.data->GetAnchorPosition(&first, &second)) {
        anchor = PosType(first, second);
    }
    const bool anchorMoved = !(anchor == module.anchorSeen);
    module.anchorSeen = anchor;
    module.chart->Refresh(anchorMoved || shipMoved);
}

void HostSession::TakeChartPicture(Module& module) {
    if (module.chart == nullptr) {
        return;
    }
    RefreshChart(module, true);
    desktop_->PumpMessages();
    const std::string path = (std::filesystem::path(options_.outDir) / "chart.png").string();
    errno = 0;
    if (!desktop_->SaveWindowPng(module.chart->GetSafeHwnd(), path)) {
        const int reason = errno;
        std::cerr << "plotrex-host: cannot write " << path << ": "
                  << (reason != 0 ? std::strerror(reason) : "the picture could not be made")
                  << "\n";
        pictureFailed_ = true;
        return;
    }
    chartPicture_ = path;
}

std::string HostSession::Summary(Module& module) {
    ModuleDataPlotrexInterface* data = module.data;
    std::string text;
    auto add = [&](const char* format, auto... values) { text += Format(format, values...); };
    add("Voyage: %s, %ld host cycles over %.0f minutes of ship time\n", feed_->Describe().c_str(),
        cycles_, feed_->DurationSeconds() / 60.0);
    if (nmea_ != nullptr) {
        text += NmeaSummary(nmea_->Log());
    }
    if (sonar_ != nullptr) {
        text += sonar_->Summary();
    }
    // The run along the track as the module measures it: rhumb lines between
    // the positions it was given.
    const double metresPerRadian = Convert(1.0, kUnitRadianOfArc, kUnitMetre);
    add("Distance run: %.2f NM (%.6f rad)\n", distanceFed_ * metresPerRadian / 1852.0,
        distanceFed_);
    add("Final position: %s\n", FormatPosition(module.now.position).c_str());
    if (depthsFed_.count > 0) {
        add("Depths fed: %ld, %.1f to %.1f m\n", depthsFed_.count, depthsFed_.low, depthsFed_.high);
    }
    if (temperaturesFed_.count > 0) {
        add("Temperatures fed: %ld, %.1f to %.1f \xC2\xB0"
            "C\n",
            temperaturesFed_.count, temperaturesFed_.low, temperaturesFed_.high);
    }
    if (raster_ != nullptr) {
        add("Depths from: %s (%s, %s, %.1f to %.1f m)", options_.bathymetryPath.c_str(),
            raster_->Describe().c_str(),
            raster_->ReadsElevations() ? "read as elevations" : "read as depths",
            raster_->ShallowestDepth(), raster_->DeepestDepth());
    } else if (nmea_ == nullptr && sonar_ == nullptr) {
        add("Depths from: the voyage's modelled sea floor");
    } else {
        add("Depths from: the log's own soundings ahead of the ship");
    }
    add(", %ld of %ld queries answered\n", module.depthSource->Answered(),
        module.depthSource->Queries());
    if (!historic_.empty()) {
        add("Historic profile: %zu point%s handed over (%s)\n", historic_.size(),
            historic_.size() == 1 ? "" : "s", historicOrigin_.c_str());
    }
    if (module.viewOpen && data->GetMode() == 1) {
        add("View: echogram, %s\n", DescribePanes(module).c_str());
    } else if (module.viewOpen) {
        // What the title of the window shows, without the program's name.
        const std::string view = WindowTitle(module);
        add("View:%s\n", view.substr(std::string("Plotrex").size()).c_str());
    }
    if (module.viewOpen) {
        // The graphs the view holds, as its show-and-hide states tell.
        std::string graphs;
        int count = 0;
        for (const char* graph : kGraphKeys) {
            CommandState state;
            if (!QueryCommand(module, kCommandShowHide, graph, state) || !state.enabled) {
                continue;
            }
            graphs += (count++ == 0 ? " (" : ", ") + std::string(graph);
            if (!state.checked) {
                graphs += " hidden";
            }
        }
        add("Graphs in the view: %d%s%s\n", count, graphs.c_str(), count > 0 ? ")" : "");
        double first = kUndefined;
        double second = kUndefined;
        if (data->GetAnchorPosition(&first, &second)) {
            std::string under = FormatPosition(PosType(first, second));
            double immersion = kUndefined;
            double depth = kUndefined;
            if (data->GetAnchorDepthAndImmersion(&first, &second, &immersion, &depth)) {
                under += Format(", depth %.1f m", depth);
            }
            add("Under the anchor: %s\n", under.c_str());
        }
    }
    text += TrawlSummary();
    text += module.sounder->Summary();
    if (module.viewOpen) {
        const std::string echo = EchoSounderDisplay(module);
        if (!echo.empty()) {
            add("  Echo-sounder display: %s\n", echo.c_str());
        }
    }
    for (const std::string& command : echoCommandsHandled_) {
        add("  Echo-sounder command handled: %s\n", command.c_str());
    }
    if (!chartPicture_.empty() && module.chart != nullptr) {
        const PosType anchor = module.chart->AnchorMark();
        std::string mark = "no anchor mark";
        if (!anchor.IsNoPos()) {
            const ChartPoint at = module.chart->Projection().ToPixel(anchor);
            mark = Format("anchor mark at %s (pixel %.0f, %.0f)", FormatPosition(anchor).c_str(),
                          std::floor(at.x), std::floor(at.y));
        }
        add("Chart: %s, Mercator 1:%.0f, %zu marks, %s\n", chartPicture_.c_str(),
            module.chart->Projection().GetScale(), module.chart->Marks().GetCount(), mark.c_str());
    }
    if (!pictures_.empty()) {
        add("Pictures: %zu in %s (the last one is %s)\n", pictures_.size(), options_.outDir.c_str(),
            pictures_.back().c_str());
    }
    for (const std::string& command : unhandledCommands_) {
        add("Command not handled: %s\n", command.c_str());
    }
    return text;
}

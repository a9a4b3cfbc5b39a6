#include "host/HostSession.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "drawing/DXDesktopDeviceManager.h"
#include "graphdata/Commandable.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataContainer.h"
#include "graphdata/PlotrexDataProfile.h"
#include "graphdata/ProfileSeries.h"
#include "host/HostFrame.h"
#include "host/HostObjectsImpl.h"
#include "host/ModuleLibrary.h"
#include "host/SdlDesktop.h"
#include "host/SounderFeed.h"
#include "module/ModuleDataPlotrex.h"
#include "module/ModuleDisplay.h"
#include "platform/HeadlessDesktop.h"
#include "platform/WinApp.h"
#include "platform/WindowMessages.h"
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

bool IsProfile(const std::string& name) {
    return name == kGraphTemp || name == kGraphDepth || name == kGraphHistoric ||
           name == kGraphPrevision;
}

const char* const kGraphKeys[] = {kGraphDepth,  kGraphTemp,        kGraphPrevision, kGraphHistoric,
                                  kGraphMobile, kGraphDReckChalut, kGraphEtr,       kGraphAScope};

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
    ModuleDataPlotrex* data = nullptr;
    ModuleDisplay* chartDisplay = nullptr;
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
    if (options_.nmeaPath.empty()) {
        feed_ = std::make_unique<BuiltInFeed>();
        return true;
    }
    NmeaLog log;
    if (!log.Load(options_.nmeaPath, error)) {
        return false;
    }
    auto replay = std::make_unique<NmeaFeed>(std::move(log), options_.nmeaPath);
    nmea_ = replay.get();
    feed_ = std::move(replay);
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

    std::string error;
    if (!OpenFeed(error)) {
        std::cerr << "plotrex-host: " << error << "\n";
        return 2;
    }
    if (!options_.window) {
        std::error_code ec;
        std::filesystem::create_directories(options_.outDir, ec);
        if (ec || !std::filesystem::is_directory(options_.outDir)) {
            std::cerr << "plotrex-host: cannot make the picture folder " << options_.outDir << "\n";
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
    module.hadLayout = !module.app.GetProfileString(kDisplaySection, "ORGANIZER_LEVEL", "").empty();
    if (!module.library.Load(ExecutableFolder(), error)) {
        std::cerr << "plotrex-host: " << error << "\n";
        return 1;
    }
    ModuleDataPlotrex* data = module.data = module.library.Data();

    module.frame.Create(nullptr, "Plotrex", WS_OVERLAPPED | WS_VISIBLE,
                        RECT{0, 0, kFrameWidth, kFrameHeight}, nullptr, 0);
    module.app.m_pMainWnd = &module.frame;
    module.devices.Init();

    module.dataSource = std::make_unique<FeedDataSource>(module.now);
    module.depthSource = std::make_unique<ModelDepthSource>(feed_->Depths());
    module.vesselSource = std::make_unique<FeedVesselSource>(module.now, feed_->DraughtMetres());
    module.sounder = std::make_unique<SounderFeed>(ExecutableFolder());
    data->Initialize(module.dataSource.get(), &module.sink, module.depthSource.get(),
                     module.vesselSource.get(), 0);
    data->LoadSettings();
    module.chartDisplay = data->CreateDisplay();
    module.chartDisplay->LoadSettings(0);

    data->CreateViewForMode();
    const double unitsPerPixel = Convert(kMetresPerPixelAtLevel7, kUnitMetre, kUnitRadianOfArc);
    module.viewOpen = data->OpenView(&module.devices, unitsPerPixel, kReferenceLevel);
    if (!module.viewOpen) {
        std::cerr << "plotrex-host: the module opened no view\n";
    } else {
        // The view fills the frame.
        module.frame.SendMessage(WM_SIZE, 0, MAKELPARAM(kFrameWidth, kFrameHeight));
    }

    if (options_.window) {
        if (!sdl_->Show(module.frame.GetSafeHwnd(), WindowTitle(module), error)) {
            std::cerr << "plotrex-host: " << error << "\n";
        } else {
            SailInWindow(module);
        }
    } else {
        SailHeadless(module);
    }

    module.chartDisplay->SaveSettings(0);
    data->SaveSettings();
    const std::string summary = Summary(module);
    data->Terminate();           // closes the view, which saves its layout
    delete module.chartDisplay;  // displays go before their data object
    module.chartDisplay = nullptr;
    module.library.DestroyData();
    module.app.m_pMainWnd = nullptr;
    module.frame.DestroyWindow();
    const bool saved = module.app.SaveProfile();
    std::fputs(summary.c_str(), stdout);
    std::printf("Settings: %s%s\n", options_.profilePath.c_str(), saved ? "" : " (NOT saved)");
    return saved ? 0 : 1;
}

void HostSession::SailHeadless(Module& module) {
    ProgressBar progress(nmea_ != nullptr);
    double nextPicture = 0.25;
    while (feed_->Next(module.now)) {
        module.sounder->Sail(module.now);
        module.sounder->Settle();
        module.data->UpdateGraphs();
        ++cycles_;
        desktop_->PumpMessages();
        progress.Show(feed_->Progress());
        if (module.viewOpen && feed_->Progress() >= nextPicture && nextPicture < 1.0) {
            char name[32];
            std::snprintf(name, sizeof name, "view-%03d.png", static_cast<int>(nextPicture * 100));
            TakePicture(module, name);
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
    for (const HostCommand& command : options_.commands) {
        if (SendCommand(module, command.name,
                        command.hasArgument ? command.argument.c_str() : nullptr) == 0) {
            unhandledCommands_.push_back(command.name);
        }
    }
    TakePicture(module, "view.png");
}

void HostSession::SailInWindow(Module& module) {
    for (const HostCommand& command : options_.commands) {
        SendCommand(module, command.name, command.hasArgument ? command.argument.c_str() : nullptr);
    }
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
    while (sdl_->Step([&](int key) { OnKey(module, key); })) {
        const auto now = Clock::now();
        shipSeconds += std::chrono::duration<double>(now - last).count() * options_.speed;
        last = now;
        module.sounder->Clock(shipSeconds);
        while (pending && next.time <= shipSeconds) {
            module.now = next;
            module.data->UpdateGraphs();
            ++cycles_;
            pending = feed_->Next(next);
            if (pending) {
                module.sounder->Forecast(next);
            }
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
        case 'n':
            module.dayNight = static_cast<short>((module.dayNight + 1) % 3);
            module.data->SetDayNightMode(module.dayNight);
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

bool HostSession::CommandChecked(Module& module, const std::string& name,
                                 const std::string& argument) {
    HWND view = module.frame.ViewWindow();
    if (view == nullptr) {
        return false;
    }
    CommandState state;
    state.argument = argument.c_str();
    const LRESULT known =
        ::SendMessageA(view, module.stateMessage, reinterpret_cast<WPARAM>(name.c_str()),
                       reinterpret_cast<LPARAM>(&state));
    return known != 0 && state.checked;
}

std::string HostSession::WindowTitle(Module& module) {
    std::string title = "Plotrex";
    for (int level = 3; level <= 15; ++level) {
        if (CommandChecked(module, "PLOTREX_SCALE_VALUE", std::to_string(level))) {
            title += " - level " + std::to_string(level);
        }
    }
    for (int power = -10; power <= 10; ++power) {
        const double slope = std::ldexp(1.0, power);
        char text[32];
        std::snprintf(text, sizeof text, "%.10g", slope);
        if (CommandChecked(module, "PLOTREX_SLOPE_VALUE", text)) {
            title += power >= 0 ? " - slope x " + std::string(text)
                                : " - slope 1:" + std::to_string(1 << -power);
        }
    }
    return title;
}

bool HostSession::TakePicture(Module& module, const std::string& name) {
    desktop_->Idle(kRepaintMilliseconds);
    const std::string path = (std::filesystem::path(options_.outDir) / name).string();
    if (!desktop_->SaveWindowPng(module.frame.GetSafeHwnd(), path)) {
        std::cerr << "plotrex-host: cannot write " << path << "\n";
        return false;
    }
    pictures_.push_back(path);
    return true;
}

std::string HostSession::Summary(Module& module) {
    ModuleDataPlotrex* data = module.data;
    std::string text;
    char line[512];
    auto add = [&](const char* format, auto... values) {
        std::snprintf(line, sizeof line, format, values...);
        text += line;
    };
    add("Voyage: %s, %ld host cycles over %.0f minutes of ship time\n", feed_->Describe().c_str(),
        cycles_, feed_->DurationSeconds() / 60.0);
    if (nmea_ != nullptr) {
        const NmeaStats& stats = nmea_->Stats();
        add("NMEA lines: %lld read, %lld used, %lld skipped, %lld malformed, "
            "%lld failed the checksum\n",
            static_cast<long long>(stats.lines), static_cast<long long>(stats.used),
            static_cast<long long>(stats.skipped), static_cast<long long>(stats.malformed),
            static_cast<long long>(stats.checksumFailed));
    }
    const double distance = data->GetDistanceTracker(0)->GetDistance();
    const double metresPerRadian = Convert(1.0, kUnitRadianOfArc, kUnitMetre);
    add("Distance run: %.2f NM (%.6f rad)\n", distance * metresPerRadian / 1852.0, distance);
    add("Final position: %s\n", FormatPosition(module.now.position).c_str());
    if (module.viewOpen) {
        // What the title of the window shows, without the program's name.
        const std::string view = WindowTitle(module);
        add("View:%s\n", view.substr(std::string("Plotrex").size()).c_str());
    }

    PlotrexDataContainer graphs;
    data->CollectGraphs(0, graphs);
    std::string names;
    std::string details;
    int count = 0;
    for (PlotrexData* graph : graphs) {
        if (graph == nullptr) {
            continue;
        }
        const std::string name = graph->GetName();
        names += (count++ == 0 ? " (" : ", ") + name;
        const Extent extent = graph->GetExtent();
        if (IsProfile(name)) {
            // The profile graphs are known by their names.
            const int points = static_cast<PlotrexDataProfile*>(graph)->GetSeries()->GetCount();
            std::snprintf(line, sizeof line, "  %s: %d points", name.c_str(), points);
            details += line;
            if (!extent.IsUndefined()) {
                std::snprintf(line, sizeof line, ", from %.2f to %.2f NM along the track",
                              extent.minX * metresPerRadian / 1852.0,
                              extent.maxX * metresPerRadian / 1852.0);
                details += line;
            }
            details += "\n";
        }
        if (!extent.IsUndefined() && (name == kGraphDepth || name == kGraphTemp)) {
            const bool depth = name == kGraphDepth;
            double a = depth ? -extent.maxY : extent.minY;
            double b = depth ? -extent.minY : extent.maxY;
            std::snprintf(line, sizeof line, "  %s range: %.1f to %.1f %s\n",
                          depth ? "Depth" : "Temperature", a, b,
                          depth ? "m"
                                : "\xC2\xB0"
                                  "C");
            details += line;
        }
    }
    add("Graphs registered: %d%s%s\n", count, names.c_str(), count > 0 ? ")" : "");
    text += details;
    text += module.sounder->Summary();
    if (!pictures_.empty()) {
        add("Pictures: %zu in %s (the last one is %s)\n", pictures_.size(), options_.outDir.c_str(),
            pictures_.back().c_str());
    }
    for (const std::string& command : unhandledCommands_) {
        add("Command not handled: %s\n", command.c_str());
    }
    return text;
}

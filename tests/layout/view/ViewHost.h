#pragma once
// A host on the headless desktop for the view tests: its main window, the
// desktop's device manager, and the module data object following a fake ship
// along a voyage over a sloping sea bottom with a temperature front.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "desktop/DXDesktopDeviceManager.h"
#include "layout/PlotrexOrganizer.h"
#include "layout/PlotrexView.h"
#include "module/CommandMessages.h"
#include "module/ModuleDataPlotrex.h"
#include "module/ModuleWideValues.h"
#include "platform/HeadlessDesktop.h"
#include "resources/ModuleCursors.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/FakeSounder.h"
#include "tests/support/TestProfile.h"

namespace viewtest {

constexpr double kEarthRadius = 6371000.0;  // metres, as radians of arc go
inline double Metres(double radians) {
    return radians * kEarthRadius;
}
inline double Radians(double metres) {
    return metres / kEarthRadius;
}

// The voyage: the ship steams north from the shelf toward deeper water.
struct Voyage {
    double startLatitude = 0.8290;  // 47.5 N
    double longitude = -0.0698;     // 4 W
    double metresPerCycle = 25.0;

    // Depth in metres under the ship after `metres` run: a slope from 18 m to
    // the nineties with sand waves and a bank half way.
    static double Depth(double metres) {
        const double slope = 18.0 + 75.0 * (metres / 7500.0);
        const double waves = 2.5 * std::sin(metres / 180.0) + 1.2 * std::sin(metres / 47.0);
        const double bank = -14.0 * std::exp(-std::pow((metres - 3600.0) / 500.0, 2.0));
        return slope + waves + bank;
    }
    // Sea temperature: warm coastal water, a front near 4.8 km, cold water beyond.
    static double Temperature(double metres) {
        return 11.9 - 0.7 * std::tanh((metres - 4800.0) / 250.0) + 0.05 * std::sin(metres / 95.0);
    }
};

// The sea floor of the voyage as a chart knows it, for the depth forecast.
class VoyageChart : public HostDepthSource {
  public:
    explicit VoyageChart(const Voyage& voyage) : voyage_(voyage) {}
    bool IsAvailable() override { return true; }
    double GetMaximumDepth() override { return kUndefined; }
    bool QueryDepths(std::vector<DepthQueryPoint>& points, double, double, double, double,
                     const int&) override {
        for (DepthQueryPoint& point : points) {
            point.depth = Voyage::Depth(Metres(point.first - voyage_.startLatitude));
        }
        return true;
    }

  private:
    const Voyage& voyage_;
};

class ViewHost {
  public:
    // The main window's client area, in screen coordinates.
    static constexpr RECT kHostRect{100, 50, 900, 530};

    // withEchogram: a scripted sounder pings three times a cycle over the
    // voyage's bottom, and the profile view shows the echogram.
    explicit ViewHost(bool withMainWindow = true, RECT hostRect = kHostRect,
                      bool withEchogram = false) {
        gLabelFontSizeMultiplier = 1;
        gDayNightMode = 0;
        if (withMainWindow) {
            mainWindow.Create(nullptr, "host", WS_POPUP | WS_VISIBLE, hostRect, nullptr, 0);
            profile.App().m_pMainWnd = &mainWindow;
        }
        managerReady = manager.Init();
        if (withEchogram) {
            sounder.emplace();
        }
        data.Initialize(&source, nullptr, &chart, &vessel, withEchogram ? 1 : 0);
        if (withEchogram) {
            data.SetMode(0);
        }
    }
    ~ViewHost() { data.Terminate(); }
    ViewHost(const ViewHost&) = delete;
    ViewHost& operator=(const ViewHost&) = delete;

    // One host cycle per step of the voyage.
    void Sail(int cycles) {
        for (int i = 0; i < cycles; ++i, ++cycle_) {
            const double run = cycle_ * voyage.metresPerCycle;
            source.position = PosType(voyage.startLatitude + Radians(run), voyage.longitude);
            source.samples[kDataKindDepth] = static_cast<float>(Voyage::Depth(run));
            source.samples[kDataKindTemperature] = static_cast<float>(Voyage::Temperature(run));
            if (pings && sounder && sounder->sweepCallback != nullptr) {
                for (int ping = 0; ping < 3; ++ping) {
                    Ping(run + ping * voyage.metresPerCycle / 3);
                }
            }
            data.UpdateGraphs();
        }
    }
    // The distance run (radians of arc) since the first position.
    double Distance() { return data.GetDistanceTracker(0)->GetDistance(); }

    // Creates and opens the view; by default 10 m to the pixel at level 7.
    bool Open(double metresPerPixel = 10.0, short referenceLevel = 7) {
        data.CreateViewForMode();
        const bool opened = data.OpenView(&manager, Radians(metresPerPixel), referenceLevel);
        desktop.PumpMessages();
        return opened;
    }

    HWND View() const { return data.GetViewWindow(); }
    PlotrexOrganizer& Organizer() { return *data.GetViewOrganizer(); }
    RECT ViewClient() const {
        RECT r{};
        ::GetClientRect(View(), &r);
        return r;
    }
    POINT Screen(POINT client) const {
        ::ClientToScreen(View(), &client);
        return client;
    }
    // Where a distance run (radians) is drawn, in client pixels.
    double PixelOf(double distance) {
        return Organizer().GetHorizontalProjection().ToPixel(distance);
    }
    int Presents() const { return desktop.PresentCount(View()); }

    LRESULT Execute(const char* command, const char* argument = nullptr) {
        const LRESULT result =
            ::SendMessage(View(), CommandMessages::Execute(), reinterpret_cast<WPARAM>(command),
                          reinterpret_cast<LPARAM>(argument));
        desktop.PumpMessages();
        return result;
    }
    LRESULT State(const char* command, CommandState* state) {
        return ::SendMessage(View(), CommandMessages::State(), reinterpret_cast<WPARAM>(command),
                             reinterpret_cast<LPARAM>(state));
    }

    HeadlessDesktop desktop;
    TestProfile profile;
    CWnd mainWindow;
    DXDesktopDeviceManager manager;
    bool managerReady = false;
    FakeDataSource source;
    Voyage voyage;
    std::optional<FakeSounder> sounder;
    VoyageChart chart{voyage};
    FakeVesselSource vessel{4.5};
    // Whether Sail pings the sounder's channel 0 by itself.
    bool pings = true;
    ModuleDataPlotrex data;

  private:
    // One sweep of 0 to 120 m, two samples a metre: a hard bottom with its
    // tail, a scattering layer at 12 m and a school of fish near 6.1 km.
    void Ping(double run) {
        constexpr std::uint32_t kSamples = 240;
        const double bottom = Voyage::Depth(run);
        std::vector<std::uint8_t> samples(kSamples);
        for (std::uint32_t i = 0; i < kSamples; ++i) {
            const double depth = i * 0.5;
            std::uint8_t level = 0;
            if (depth >= bottom) {
                level = depth < bottom + 1.5 ? 15 : depth < bottom + 5 ? 12 : 5;
            } else if (std::abs(depth - 12.0) < 2.0) {
                level = 6;
            } else if (std::hypot((run - 6100.0) / 40.0, depth - 35.0) < 5.0) {
                level = 10;
            }
            samples[i] = level;
        }
        ZXRawSweep raw{};
        raw.channel = 0;
        raw.samples = samples.data();
        raw.sampleCount = kSamples;
        // The module reads the count in tenths of the depth unit: 24 steps of 5 m.
        raw.sampleStep = 5u << 21;
        sounder->sweepCallback(&raw);
    }

    int cycle_ = 0;
};

}  // namespace viewtest

#pragma once
// A profile view's organizer set up as the module sets it up: a headless
// desktop with the desktop's Direct3D devices, a host window, and a depth and
// a temperature profile fed by a fake host data source while the ship sails
// east along the equator. Tests and benchmarks share it.
#include <cmath>

#include "desktop/DXDesktopDeviceManager.h"
#include "drawing/StyleTable.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/PlotrexDataContainer.h"
#include "graphdata/PlotrexDataProfile.h"
#include "layout/PlotrexOrganizer.h"
#include "platform/CWnd.h"
#include "platform/HeadlessDesktop.h"
#include "tests/support/FakeHostObjects.h"

// Radians of arc sailed per host cycle (about 6.4 m).
inline constexpr double kLeg = 1e-6;
// Data units per pixel at the reference level: four pixels per leg.
inline constexpr double kUnitsPerPixel = kLeg / 4.0;
inline constexpr short kReferenceLevel = 7;

inline double Seabed(int leg) {
    return 30.0 + 12.0 * std::sin(leg * 0.05) + 3.0 * std::sin(leg * 0.37);
}
inline double WaterTemperature(int leg) {
    return 12.0 + 2.0 * std::sin(leg * 0.03 + 1.0);
}

class OrganizerScene {
  public:
    explicit OrganizerScene(int width = 400, int height = 300) {
        window.Create(nullptr, "view", WS_POPUP | WS_VISIBLE, RECT{0, 0, width, height}, nullptr,
                      0);
        manager.Init();
        tracker.Initialize(&source);
        styles.FillDefaults();
        graphs.Add(&depth);
        graphs.Add(&temperature);
    }
    ~OrganizerScene() { organizer.Shutdown(); }
    OrganizerScene(const OrganizerScene&) = delete;
    OrganizerScene& operator=(const OrganizerScene&) = delete;

    bool Open(const char* mainType = kGraphDepth, short referenceLevel = kReferenceLevel) {
        return organizer.Init(&window, &manager, graphs, &tracker, &styles, kUnitsPerPixel,
                              referenceLevel, mainType);
    }

    // One host cycle: the ship sails a leg east; when it moved, the profiles
    // read the host's latest samples.
    void Cycle(double depthMetres, double degrees) {
        source.position = PosType(0.0, legs * kLeg);
        ++legs;
        source.samples[kDataKindDepth] = static_cast<float>(depthMetres);
        source.samples[kDataKindTemperature] = static_cast<float>(degrees);
        if (tracker.AdvanceDistance()) {
            depth.Update();
            temperature.Update();
        }
    }
    // count cycles over the sea of Seabed and WaterTemperature.
    void Sail(int count) {
        for (int i = 0; i < count; ++i) {
            Cycle(Seabed(legs), WaterTemperature(legs));
        }
    }

    SIZE Size() const { return organizer.GetDeviceSize(); }
    LinearPixelProjectionLeveled& X() { return organizer.GetHorizontalProjection(); }
    // The vertical axis of a unit, read without the organizer's complaint.
    const LinearPixelProjection& Y(const char* unit = kUnitDist) const {
        return organizer.GetVerticalProjections().at(unit);
    }

    HeadlessDesktop desktop;
    CWnd window;
    DXDesktopDeviceManager manager;
    FakeDataSource source;
    DistanceTracker tracker;
    PlotrexDataProfile depth{&tracker, kGraphDepth, kUnitDist};
    PlotrexDataProfile temperature{&tracker, kGraphTemp, kUnitTemp};
    PlotrexDataContainer graphs;
    StyleTable styles;
    PlotrexOrganizer organizer;
    int legs = 0;
};

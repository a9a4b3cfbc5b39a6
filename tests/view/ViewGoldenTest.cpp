// Whole frames of the profile view, as the window shows them after a voyage
// of three hundred cycles over a sloping bottom with a temperature front.
#include <gtest/gtest.h>

#include <string>

#include "drawing/DeviceGraphics.h"
#include "drawing/PlotrexDisplay.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexData.h"
#include "layout/LinearPixelProjection.h"
#include "tests/support/ImageCompare.h"
#include "tests/view/ViewHost.h"

using namespace viewtest;

namespace {

constexpr CompareOptions kFrame = kTextTolerance;

// Stands in for the own-vessel graph, which is not part of the module yet:
// the ship on the surface at the distance run. Its extent reaches the
// surface, so the view shows it; its legend entry can carry a warning.
class TestShip : public PlotrexData {
  public:
    explicit TestShip(DistanceTracker* tracker) : PlotrexData(tracker, "TEST_SHIP", kUnitDist) {}
    PlotrexDisplay* CreateDisplay() override;
    Extent GetExtent() override {
        const double d = GetDistanceTracker()->GetDistance();
        return Extent{d, d, -kDraught, 0.0};
    }

    static constexpr double kDraught = 4.5;
    std::string warning;
};

class TestShipDisplay : public PlotrexDisplay {
  public:
    explicit TestShipDisplay(TestShip* ship) : PlotrexDisplay(ship), ship_(ship) {}

    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection& x,
              const LinearPixelProjection& y, StyleTable* styles) override {
        ClearModified();
        if (layer != 0 || device == nullptr || styles == nullptr) {
            return;
        }
        DeviceGraphics graphics(device);
        graphics.SetClip(area);
        const double surface = y.ToPixel(0.0);
        const double bow = x.ToPixel(ship_->GetDistanceTracker()->GetDistance());
        COLORREF hull = 0;
        COLORREF sea = 0;
        styles->GetColour(2, &hull);
        styles->GetColour(31, &sea);
        const double line[] = {double(area.left), surface, double(area.right), surface};
        graphics.DrawPolyline(line, 2, sea, 1.0, 255);
        const double shape[] = {bow - 15, surface,     bow + 10, surface, bow + 15, surface - 8,
                                bow - 15, surface - 8, bow - 15, surface, bow + 15, surface - 8};
        graphics.FillTriangles(shape, 2, hull, 255);
    }
    Margins GetMargins() override { return Margins{-15, 20, 15, -20}; }
    bool GetLegendEntry(std::string& text) override {
        if (ship_->warning.empty()) {
            return false;
        }
        text = "#w" + ship_->warning;
        return true;
    }

  private:
    TestShip* ship_;
};

PlotrexDisplay* TestShip::CreateDisplay() {
    return new TestShipDisplay(this);
}

// The view as the module opens it in profile mode, with the test ship beside
// the module's own graphs, after the user asked to centre on the ship.
class ProfileFrame {
  public:
    static constexpr RECT kHost{100, 50, 740, 450};

    ProfileFrame() : host(true, kHost), ship(host.data.GetDistanceTracker(0)) {
        host.Sail(250);
        view_ = CreateWindowObject("PlotrexView");
        RECT client{};
        host.mainWindow.GetClientRect(&client);
        view_->Create(nullptr, "Plotrex", WS_CHILD | WS_VISIBLE, client, &host.mainWindow, 0);

        PlotrexDataContainer all;
        host.data.CollectGraphs(0, all);
        PlotrexDataContainer graphs;
        for (PlotrexData* data : all) {
            if (data != nullptr) {
                graphs.Add(data);
            }
        }
        graphs.Add(&ship);
        StyleTable& styles = host.data.GetStyleTable();
        Organizer().Init(view_.get(), &host.manager, graphs, host.data.GetDistanceTracker(0),
                         &styles, Radians(10.0), 7, kGraphDepth);
        View().StartTimers(styles.ViewLightModeField());
        Organizer().CenterOnVessel();
        // The last part of the voyage with the view open: it follows the ship.
        for (int cycle = 0; cycle < 50; ++cycle) {
            host.Sail(1);
            host.desktop.AdvanceClock(100);
        }
        ::SendMessage(view_->m_hWnd, CommandMessages::Execute(),
                      reinterpret_cast<WPARAM>("PLOTREX_CENTER_ON"), 0);
        host.desktop.MoveMouse(POINT{5, 5});  // off the windows
    }
    ~ProfileFrame() {
        Organizer().Shutdown();
        view_.reset();
    }

    PlotrexView& View() { return static_cast<PlotrexView&>(*view_); }
    PlotrexOrganizer& Organizer() { return View().GetOrganizer(); }
    POINT Screen(POINT client) const {
        ::ClientToScreen(view_->m_hWnd, &client);
        return client;
    }
    // What the window shows once the host has asked it to redraw.
    Image Frame() {
        view_->Invalidate(TRUE);
        host.desktop.AdvanceClock(100);
        const PixelImage shot = host.desktop.CaptureWindow(view_->m_hWnd);
        return ImageFromPixels(shot.pixels.data(), shot.width, shot.height, shot.width * 4, true);
    }

    ViewHost host;
    TestShip ship;

  private:
    std::unique_ptr<CWnd> view_;
};

}  // namespace

TEST(ViewGolden, Day) {
    ProfileFrame frame;
    ASSERT_TRUE(frame.host.managerReady);
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/day.png", kFrame));
}

TEST(ViewGolden, Dusk) {
    ProfileFrame frame;
    frame.host.data.SetDayNightMode(1);
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/dusk.png", kFrame));
}

TEST(ViewGolden, Night) {
    ProfileFrame frame;
    frame.host.data.SetDayNightMode(2);
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/night.png", kFrame));
}

TEST(ViewGolden, LargestLabels) {
    ProfileFrame frame;
    frame.host.data.SetLabelSize(4);
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/labels-3.png", kFrame));
}

TEST(ViewGolden, SetSquareAndDataInfoUnderThePointer) {
    ProfileFrame frame;
    frame.host.desktop.MoveMouse(frame.Screen(POINT{300, 180}));
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/hover.png", kFrame));
}

TEST(ViewGolden, AWarningInTheLegend) {
    ProfileFrame frame;
    frame.ship.warning = "No Depth";
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/warning.png", kFrame));
}

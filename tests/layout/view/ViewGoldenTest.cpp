// Whole frames of the profile view, as the window shows them after a voyage
// of three hundred cycles over a sloping bottom with a temperature front.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "drawing/PlotrexDisplay.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexData.h"
#include "tests/layout/view/ViewHost.h"
#include "tests/support/ImageCompare.h"

using namespace viewtest;

namespace {

constexpr CompareOptions kFrame = kTextTolerance;

// An earlier survey of the shelf, run south from 8 km to 3 km of the voyage's
// track: the bottom has moved a little since. Triples as the host hands them
// over, with the place to mark at 5.5 km.
std::vector<double> EarlierSurvey(const Voyage& voyage) {
    std::vector<double> points;
    for (double run = 8000.0; run >= 3000.0; run -= 50.0) {
        points.push_back(voyage.longitude);
        points.push_back(voyage.startLatitude + Radians(run));
        points.push_back(Voyage::Depth(run) + 3.0 + 2.0 * std::sin(run / 400.0));
    }
    return points;
}

// A graph that has nothing to draw, only a warning for the legend.
class Warning : public PlotrexData {
  public:
    explicit Warning(DistanceTracker* tracker) : PlotrexData(tracker, "TEST_WARNING", kUnitDist) {}
    PlotrexDisplay* CreateDisplay() override;
    std::string text;
};

class WarningDisplay : public PlotrexDisplay {
  public:
    explicit WarningDisplay(Warning* warning) : PlotrexDisplay(warning), warning_(warning) {}
    void Draw(short, VexanDevice*, RECT, const LinearPixelProjection&, const LinearPixelProjection&,
              StyleTable*) override {
        ClearModified();
    }
    bool GetLegendEntry(std::string& text) override {
        if (warning_->text.empty()) {
            return false;
        }
        text = "#w" + warning_->text;
        return true;
    }

  private:
    Warning* warning_;
};

PlotrexDisplay* Warning::CreateDisplay() {
    return new WarningDisplay(this);
}

// The view as the module opens it in profile mode with every graph of the
// profile view: the forecast shown, an earlier survey handed over, the net
// shot; after the user asked to centre on the ship.
class ProfileFrame {
  public:
    static constexpr RECT kHost{100, 50, 740, 450};

    ProfileFrame() : host(true, kHost), warning(host.data.GetDistanceTracker(0)) {
        host.data.SetHistoricProfile(EarlierSurvey(host.voyage),
                                     host.voyage.startLatitude + Radians(5500.0),
                                     host.voyage.longitude);
        host.data.SetTrawlValue(TrawlParameters{260.0, 35.0, 0.7, 1});
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
        graphs.Add(&warning);
        StyleTable& styles = host.data.GetStyleTable();
        Organizer().Init(view_.get(), &host.manager, graphs, host.data.GetDistanceTracker(0),
                         &styles, Radians(10.0), 7, kGraphDepth);
        View().StartTimers(styles.ViewLightModeField());
        Organizer().CenterOnVessel();
        Organizer().ExecuteCommand("PLOTREX_SHOW_HIDE", kGraphPrevision);
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
    Warning warning;

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

// Zoomed in, the largest labels would overprint each other: every other
// distance and depth keeps its text, and none runs into another scale's.
TEST(ViewGolden, LargestLabelsZoomedIn) {
    ProfileFrame frame;
    frame.host.data.SetLabelSize(3);
    frame.Organizer().ExecuteCommand("PLOTREX_SCALE_VALUE", "4");
    frame.Organizer().ExecuteCommand("PLOTREX_CENTER_ON", nullptr);
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/labels-3-zoomed.png", kFrame));
}

TEST(ViewGolden, SetSquareAndDataInfoUnderThePointer) {
    ProfileFrame frame;
    frame.host.desktop.MoveMouse(frame.Screen(POINT{300, 180}));
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/hover.png", kFrame));
}

TEST(ViewGolden, AWarningInTheLegend) {
    ProfileFrame frame;
    frame.warning.text = "No Depth";
    EXPECT_TRUE(MatchesGolden(frame.Frame(), "view/warning.png", kFrame));
}

// The historic mode: the survey alone in a profile view, at 10 m to the pixel
// and fitted in height.
TEST(ViewGolden, TheHistoricProfileAlone) {
    for (const bool empty : {false, true}) {
        ViewHost host(true, ProfileFrame::kHost);
        host.Sail(100);
        const std::vector<double> survey = EarlierSurvey(host.voyage);
        host.data.SetHistoricProfile(empty ? std::vector<double>{} : survey,
                                     host.voyage.startLatitude + Radians(5500.0),
                                     host.voyage.longitude);
        host.data.SetMode(2);
        ASSERT_TRUE(host.Open());
        host.Execute("PLOTREX_SCALE_VALUE", "7");
        host.Execute("PLOTREX_CENTER_ON");
        host.desktop.MoveMouse(POINT{5, 5});
        ::InvalidateRect(host.View(), nullptr, TRUE);
        host.desktop.AdvanceClock(100);
        const PixelImage shot = host.desktop.CaptureWindow(host.View());
        const Image frame =
            ImageFromPixels(shot.pixels.data(), shot.width, shot.height, shot.width * 4, true);
        EXPECT_TRUE(
            MatchesGolden(frame, empty ? "view/historic-empty.png" : "view/historic.png", kFrame));
    }
}

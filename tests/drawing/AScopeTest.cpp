// The A-scope: its bars as they land on pixels in both forms, what it does
// with sweeps or windows it cannot place, its redraw limit and warning on the
// virtual clock, and the extent of its data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawing/PlotrexDisplayAScope.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexDataAScope.h"
#include "layout/LinearPixelProjection.h"
#include "platform/HeadlessDesktop.h"
#include "tests/drawing/PixelDevice.h"
#include "tests/support/FakeHostObjects.h"
#include "tests/support/FakeSounder.h"
#include "tests/support/SyntheticSweep.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Levels repeating a pattern over count samples.
std::vector<std::uint8_t> Pattern(int count, std::vector<std::uint8_t> levels) {
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        samples[static_cast<std::size_t>(i)] = levels[static_cast<std::size_t>(i) % levels.size()];
    }
    return samples;
}

// A projection from values to pixels: value `at` on pixel `pixel`, `perPixel`
// values a pixel.
LinearPixelProjection Axis(bool inverted, double at, double pixel, double perPixel) {
    LinearPixelProjection p(inverted);
    p.scale = perPixel;
    p.multiplier = 1.0;
    p.origin = 0.0;
    p.SetOriginAt(at, pixel);
    return p;
}

class AScopeTest : public testing::Test {
  protected:
    AScopeTest()
        : aScope(&tracker, "PLOTREX_DATA_ASCOPE", "DIST"),
          display(dynamic_cast<PlotrexDisplayAScope&>(*aScope.CreateDisplay())) {
        tracker.Initialize(&source);
        styles.FillDefaults();
    }

    // Non-white pixels of a row between two columns (end excluded).
    static int Painted(PixelDevice& device, int y, int from, int to) {
        int count = 0;
        for (int x = from; x < to; ++x) {
            count += device.Pixel(x, y) != kWhite ? 1 : 0;
        }
        return count;
    }
    // Non-white pixels outside a rectangle.
    static int PaintedOutside(PixelDevice& device, RECT inside, int width, int height) {
        int count = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool in =
                    x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
                count += !in && device.Pixel(x, y) != kWhite ? 1 : 0;
            }
        }
        return count;
    }

    HeadlessDesktop desktop{{}, 100000};
    FakeSounder sounder;
    FakeDataSource source;
    DistanceTracker tracker;
    PlotrexDataAScope aScope;
    PlotrexDisplayAScope& display;  // the data's
    StyleTable styles;
};

}  // namespace

TEST_F(AScopeTest, BarLengthsFollowTheLevelUpToFiftyPixels) {
    const int cases[][2] = {{0, 0}, {1, 3}, {3, 10}, {14, 46}, {15, 50}, {16, 50}, {255, 50}};
    for (const auto& [level, length] : cases) {
        EXPECT_EQ(PlotrexDisplayAScope::BarLength(level), length) << "level " << level;
    }
}

TEST_F(AScopeTest, StripBarsCentredOnTheAxisOverTheAreaHeight) {
    // Ten samples over 400 rows, 40 rows each: bars of 10, 50, none and 50
    // pixels (a level above 15 is as long as 15), then none, centred on the
    // axis 25 pixels left of the right edge, which is drawn over them.
    PixelDevice device(200, 460);
    const RECT area{40, 30, 160, 430};
    synthetic::Deliver(1, 0.0, 40.0, Pattern(10, {3, 15, 0, 20, 0, 0, 0, 0, 0, 0}));
    display.SetPixelForm(true, 1);
    display.Draw(0, &device, area, LinearPixelProjection(), LinearPixelProjection(), &styles);
    const int axis = area.right - 25;
    const struct {
        int row;
        int painted;
    } rows[] = {{30, 10},  {69, 10},  {70, 50}, {109, 50}, {110, 1},
                {150, 50}, {189, 50}, {190, 1}, {429, 1}};
    for (const auto& [row, painted] : rows) {
        EXPECT_EQ(Painted(device, row, area.left, area.right), painted) << "row " << row;
    }
    EXPECT_EQ(device.Pixel(axis - 25, 80), RGB(64, 0, 0));  // level 15's colour
    EXPECT_EQ(device.Pixel(axis - 25, 160), RGB(0, 0, 0));  // beyond the scale
    EXPECT_EQ(device.Pixel(axis, 250), RGB(0, 200, 255));   // the axis, day colour 5
    EXPECT_EQ(PaintedOutside(device, area, 200, 460), 0);
}

TEST_F(AScopeTest, MoreSamplesThanRowsDrawOnlyTheSampleThatCompletesEachRow) {
    // 1000 samples over 500 rows: the odd ones (level 15) complete the rows,
    // the even ones (level 3) are merged into them and never shown.
    PixelDevice device(120, 540);
    const RECT area{10, 20, 110, 520};
    synthetic::Deliver(0, 0.0, 100.0, Pattern(1000, {3, 15}));
    display.SetPixelForm(true, 0);
    display.Draw(0, &device, area, LinearPixelProjection(), LinearPixelProjection(), &styles);
    int fullRows = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        fullRows += Painted(device, y, area.left, area.right) == 50 ? 1 : 0;
    }
    EXPECT_EQ(fullRows, 500);
    EXPECT_EQ(PaintedOutside(device, area, 120, 540), 0);
}

TEST_F(AScopeTest, BesideTheShipOverTheSweepsWindow) {
    // The ship at pixel 100, the window 0 to -100 m over pixels 50 to 250:
    // 100 samples of two rows each; the bars start 3 pixels right of the
    // ship and end at the ship plus the bar's length, half-transparent.
    PixelDevice device(300, 300);
    source.position = PosType(0.5, 0.1);
    tracker.AdvanceDistance();
    const LinearPixelProjection x = Axis(false, tracker.GetDistance(), 100.0, 1e-6);
    const LinearPixelProjection y = Axis(true, 0.0, 50.0, 0.5);
    synthetic::Deliver(0, 0.0, 100.0, Pattern(100, {15, 15, 3, 0}));
    display.SetPixelForm(false, 0);
    display.Draw(0, &device, RECT{0, 0, 300, 300}, x, y, &styles);
    const struct {
        int row;
        int painted;
    } rows[] = {{49, 0}, {50, 47}, {53, 47}, {54, 7}, {56, 0}, {249, 0}, {250, 0}};
    for (const auto& [row, painted] : rows) {
        EXPECT_EQ(Painted(device, row, 0, 300), painted) << "row " << row;
    }
    // Level 15's dark red at opacity 180 over white.
    const COLORREF blended = device.Pixel(120, 50);
    EXPECT_GT(GetRValue(blended), 64);
    EXPECT_LT(GetGValue(blended), 255);
}

TEST_F(AScopeTest, NothingIsDrawnWhereTheBarsCannotBePlaced) {
    const LinearPixelProjection x = Axis(false, 0.0, 100.0, 1e-6);
    const LinearPixelProjection y = Axis(true, 0.0, 50.0, 0.5);
    const struct Case {
        const char* name;
        bool pixelForm;
        RECT area;
        double span;
        LinearPixelProjection x;
        LinearPixelProjection y;
    } cases[] = {
        {"window of no height", false, RECT{0, 0, 200, 200}, 0.0, x, y},
        {"projections never set", false, RECT{0, 0, 200, 200}, 50.0, LinearPixelProjection(),
         LinearPixelProjection(true)},
        {"zero-size strip", true, RECT{50, 50, 50, 50}, 50.0, x, y},
        {"strip upside down", true, RECT{50, 150, 150, 50}, 50.0, x, y},
        {"zoomed so far that one sample spans a million rows", false, RECT{0, 0, 200, 200}, 50.0, x,
         Axis(true, 0.0, 50.0, 1e-5)},
        {"an axis of no scale: pixels at infinity or not a number", false, RECT{0, 0, 200, 200},
         50.0, x, Axis(true, 0.0, 50.0, 0.0)},
    };
    for (const Case& c : cases) {
        PixelDevice device(200, 200);
        synthetic::Deliver(0, 0.0, c.span, Pattern(100, {15}));
        display.SetPixelForm(c.pixelForm, 0);
        display.Draw(0, &device, c.area, c.x, c.y, &styles);
        const RECT inside = c.pixelForm ? RECT{0, 0, 0, 0} : RECT{103, 50, 150, 200};
        EXPECT_EQ(PaintedOutside(device, inside, 200, 200), 0) << c.name;
    }
}

TEST_F(AScopeTest, RedrawsAtMostTwiceASecondAndWarnsAfterTenSecondsOfSilence) {
    display.Draw(0, nullptr, RECT{}, LinearPixelProjection(), LinearPixelProjection(), &styles);
    synthetic::Deliver(0, 0.0, 50.0, Pattern(100, {5}));
    synthetic::Deliver(1, 0.0, 50.0, Pattern(100, {5}));
    const struct Step {
        DWORD advance;
        bool sweep;
        bool modified;
        const char* legend;
    } steps[] = {
        {0, false, true, ""},             // the first sweep is news
        {200, false, false, ""},          // 200 ms later: too soon
        {300, true, false, ""},           // 500 ms: still too soon, even with a sweep
        {1, false, true, ""},             // 501 ms
        {500, false, false, ""},          //
        {9499, false, true, ""},          // 10000 ms after the last sweep: no warning yet
        {1, false, false, "#wNo Sweep"},  // 10001 ms
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        desktop.AdvanceClock(step.advance);
        if (step.sweep) {
            synthetic::Deliver(0, 0.0, 50.0, Pattern(100, {5}));
        }
        EXPECT_EQ(display.IsModified(), step.modified) << "step " << i;
        std::string legend;
        EXPECT_TRUE(display.GetLegendEntry(legend));
        EXPECT_EQ(legend, step.legend) << "step " << i;
    }
}

TEST_F(AScopeTest, ExtentRunsOverBothWindowsAtTheShip) {
    source.position = PosType(0.5, 0.1);
    tracker.AdvanceDistance();
    source.position = PosType(0.5001, 0.1);
    tracker.AdvanceDistance();
    synthetic::Deliver(0, 0.0, 100.0, Pattern(100, {1}));
    synthetic::Deliver(1, 20.0, 20.0, Pattern(100, {1}));
    const double d = tracker.GetDistance();
    EXPECT_EQ(aScope.GetExtent(), (Extent{d, d, -100.0, 0.0}));
    EXPECT_EQ(display.GetMargins(), (Margins{0, 0, 80, 0}));
    display.SetPixelForm(true, 0);
    EXPECT_EQ(display.GetMargins(), (Margins{0, 0, 52, 0}));
}

// The host's chart: what it draws of a module's marks, how the mouse on it
// reaches the profile view, and the chart a headless run writes.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "host/chart/ChartPainter.h"
#include "host/chart/HostChart.h"
#include "hostfamily/displaylist/Symbolizable.h"
#include "module/ModuleDisplay.h"
#include "platform/CairoHandles.h"
#include "platform/HeadlessDesktop.h"
#include "tests/support/HostRun.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/TestProfile.h"

namespace {

constexpr double kMinute = M_PI / 10800.0;

// A track running north-east across a chart of a few miles, the marks a
// module makes of it.
DisplayPrimitiveContainer SampleMarks() {
    DisplayPrimitiveContainer marks;
    DisplayPrimitive track(kGeometryLine);
    for (int i = 0; i <= 20; ++i) {
        track.AddPoint(PosType(0.8290 + i * 0.1 * kMinute, -0.0700 + i * 0.15 * kMinute));
    }
    track.SetAttribute(kAttributeWidth, 1);
    track.SetAttribute(kAttributeColor, 0x400000);
    marks.Add(track);
    auto symbol = [&](double minutesNorth, double minutesEast, const char* name, double angle,
                      std::int32_t outline, std::int32_t fill, int size) {
        DisplayPrimitive mark(kGeometryPoint);
        mark.AddPoint(PosType(0.8290 + minutesNorth * kMinute, -0.0700 + minutesEast * kMinute));
        mark.SetAttribute(kAttributeSymbol, std::string(name));
        mark.SetAttribute(kAttributeAngle, angle);
        mark.SetAttribute(kAttributeColor, outline);
        mark.SetAttribute(kAttributeFillColor, fill);
        mark.SetAttribute(kAttributeSize, size);
        marks.Add(mark);
    };
    symbol(0.6, 0.9, "TGAIS", 0.9, 0x062F06, 0x062F06, 20);
    symbol(1.4, 2.1, "CARRE", 0.0, 0x323232, 0x484848, 12);
    return marks;
}

// A display object that hands the chart the sample marks.
class SampleDisplay : public ModuleDisplay, public Symbolizable {
  public:
    SampleDisplay() : ModuleDisplay(nullptr) {}
    ModuleData* GetModuleData() override { return nullptr; }
    void Symbolize(DisplayPrimitiveContainer* primitives, std::int16_t pass, const ValidGeoRect*,
                   double, const ZXFeature*, void*) override {
        ++passes;
        if (pass == 1) {
            primitives->Append(SampleMarks());
        }
    }
    int passes = 0;
};

}  // namespace

// At night, over a shaded floor: the track, the historic reference's
// triangle along its course, the anchor's square, the own ship.
TEST(HostChart, NightChartGolden) {
    const int width = 360, height = 270;
    const ValidGeoRect area(0.8288, -0.0702, 0.8298, -0.0688);
    ChartScene scene;
    scene.chart = ChartProjection(area, ChartProjection::ScaleToFit(area, width));
    scene.width = width;
    scene.height = height;
    scene.lightMode = 2;
    const DisplayPrimitiveContainer marks = SampleMarks();
    scene.marks = &marks;
    scene.ownShip = PosType(0.8290 + 1.9 * kMinute, -0.0700 + 2.85 * kMinute);
    scene.heading = 0.98;
    // Deeper to the east, nothing known in the south-west corner.
    DepthGrid floor;
    floor.columns = width / ChartPainter::kShadeCell;
    floor.rows = height / ChartPainter::kShadeCell;
    for (int row = 0; row < floor.rows; ++row) {
        for (int column = 0; column < floor.columns; ++column) {
            const bool unknown = row > floor.rows * 3 / 4 && column < floor.columns / 4;
            floor.depths.push_back(unknown ? std::nan("") : 20.0 + 3.0 * column);
        }
    }
    scene.floor = &floor;
    const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    const CairoPtr cr(cairo_create(surface.get()));
    ChartPainter::Paint(cr.get(), scene);
    cairo_surface_flush(surface.get());
    const Image image = ImageFromPixels(cairo_image_surface_get_data(surface.get()), width, height,
                                        cairo_image_surface_get_stride(surface.get()), true);
    EXPECT_TRUE(MatchesGolden(image, "host/chart_night.png", kTextTolerance));
}

// The hand on the chart: near the track it names the track's place to the
// profile view, a click centres the view there, away from it nothing.
TEST(HostChart, TheMouseNearTheTrackMovesTheProfileView) {
    HeadlessDesktop desktop;
    SampleDisplay display;
    std::vector<std::pair<std::string, std::string>> sent;
    HostChart chart(&display, [&](const char* name, const char* argument) {
        sent.emplace_back(name, argument);
        return 1L;
    });
    ASSERT_TRUE(
        chart.Create(nullptr, "chart", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300}, nullptr, 0));
    chart.SetOwnShip(PosType(0.8290, -0.0700), 0.0);
    chart.SetOwnShip(PosType(0.8290 + 2.0 * kMinute, -0.0700 + 3.0 * kMinute), 0.0);
    ASSERT_TRUE(chart.Refresh(false)) << "a new chart is symbolized";
    EXPECT_FALSE(chart.Refresh(false)) << "nothing moved";
    EXPECT_EQ(display.passes, 1);

    // A place of the track, 3 pixels beside it, and 12 pixels beside it.
    const PosType place(0.8290 + 0.7 * kMinute, -0.0700 + 1.05 * kMinute);
    const ChartPoint on = chart.Projection().ToPixel(place);
    const double across = std::hypot(0.1, 0.15);  // unit normal of the track, in pixels
    auto beside = [&](double pixels) {
        return POINT{static_cast<LONG>(std::lround(on.x - 0.15 / across * pixels)),
                     static_cast<LONG>(std::lround(on.y - 0.1 / across * pixels))};
    };
    desktop.MoveMouse(beside(12.0));
    EXPECT_TRUE(sent.empty());
    desktop.MoveMouse(beside(3.0));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first, "PLOTREX_HOVER_ON_PROFILE");
    double first = 0.0, second = 0.0;
    ASSERT_EQ(std::sscanf(sent[0].second.c_str(), "%lf %lf", &first, &second), 2);
    // Within a pixel of the place, along the track.
    const double pixel = 1.0 / chart.Projection().PixelsPerRadian();
    EXPECT_NEAR(first, place.First(), 1.5 * pixel);
    EXPECT_NEAR(second, place.Second(), 1.5 * pixel);
    desktop.PressButton(MouseButton::Left, beside(3.0));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].first, "PLOTREX_CENTER_ON_TRACK");
    EXPECT_EQ(sent[1].second, sent[0].second);

    // The chart moves when the ship nears its edge: symbolized again.
    chart.SetOwnShip(PosType(0.8290 + 30.0 * kMinute, -0.0700), 0.0);
    EXPECT_TRUE(chart.Refresh(false));
    chart.DestroyWindow();
}

// A headless run writes chart.png beside the profile's pictures: the track,
// the historic reference, and the anchor mark where the profile view says the
// anchor point is.
TEST(HostChart, HeadlessRunWritesTheChartWithTheAnchorWhereTheProfileSaysIt) {
    TempFolder folder;
    const std::string out = folder.File("pictures");
    // Near the small voyage's first leg (47°48.5'N 4°35.5'W).
    const double latitude = (47.0 + 48.5 / 60.0) * M_PI / 180.0;
    const double longitude = -(4.0 + 35.5 / 60.0) * M_PI / 180.0;
    char command[128];
    std::snprintf(command, sizeof command, " --command PLOTREX_HOVER_ON_PROFILE='%.9f %.9f'",
                  latitude, longitude);
    // An earlier survey along the first leg: its start is the reference.
    std::string survey = "latitude,longitude,depth\n";
    for (int i = 0; i < 10; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%.5f,%.5f,%.1f\n", 47.80120 + i * 0.00190,
                      -4.59871 + i * 0.00190, 40.0 + i);
        survey += line;
    }
    WriteFile(folder.File("survey.csv"), survey);
    const std::string voyage = PLOTREX_SOURCE_DIR "/tests/data/small_voyage.nmea";
    const HostRun run =
        RunHost("--nmea " + voyage + " --historic " + folder.File("survey.csv") + " --profile " +
                folder.File("profile.ini") + " --out " + out + command);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("not handled"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(", 3 marks,"), std::string::npos) << "track, reference, anchor";
    std::smatch under, mark;
    ASSERT_TRUE(std::regex_search(run.output, under, std::regex("Under the anchor: ([^,\n]+)")))
        << run.output;
    ASSERT_TRUE(std::regex_search(run.output, mark,
                                  std::regex("anchor mark at ([^(]+) \\(pixel (\\d+), (\\d+)\\)")))
        << run.output;
    EXPECT_EQ(mark.str(1), under.str(1));

    const auto chart = LoadPng(out + "/chart.png");
    ASSERT_TRUE(chart.has_value());
    // The square's light fill at the mark.
    const std::uint32_t pixel = chart->At(std::stoi(mark.str(2)), std::stoi(mark.str(3)));
    EXPECT_EQ(pixel & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(MatchesGolden(*chart, "host/chart_day.png", kTextTolerance));
}

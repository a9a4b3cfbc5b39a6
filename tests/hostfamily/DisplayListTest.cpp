// The display list a chart host receives: what optimising a primitive into a
// container keeps of it for a chart rectangle at a scale.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "hostfamily/ZXFeature.h"
#include "hostfamily/displaylist/ChartProjection.h"
#include "hostfamily/displaylist/DisplayPrimitive.h"
#include "hostfamily/displaylist/DisplayPrimitiveContainer.h"

namespace {

// A chart 0.02 rad square around (0, 0), 200 pixels wide: 1e-4 rad a pixel.
const ValidGeoRect kChart(-0.01, -0.01, 0.01, 0.01);
constexpr double kPixel = 1e-4;
const double kScale = ChartProjection::ScaleToFit(kChart, 200.0);

DisplayPrimitive Line(const std::vector<PosType>& points) {
    DisplayPrimitive line(kGeometryLine);
    for (const PosType& p : points) {
        line.AddPoint(p);
    }
    line.SetAttribute(kAttributeColor, 0x00FF0000);
    return line;
}

}  // namespace

TEST(DisplayList, ChartPixelsAreTrueAtTheMiddleLatitude) {
    const ChartProjection chart(kChart, kScale);
    ASSERT_TRUE(chart.IsValid());
    EXPECT_NEAR(chart.Width(), 200.0, 1e-9);
    // Near the equator Mercator barely stretches: square.
    EXPECT_NEAR(chart.Height(), 200.0, 0.01);
    const ChartPoint centre = chart.ToPixel(0.0, 0.0);
    EXPECT_NEAR(centre.x, 100.0, 1e-9);
    EXPECT_NEAR(centre.y, 100.0, 0.01);
    const PosType back = chart.ToPosition(ChartPoint{37.0, 151.0});
    const ChartPoint again = chart.ToPixel(back);
    EXPECT_NEAR(again.x, 37.0, 1e-3);
    EXPECT_NEAR(again.y, 151.0, 1e-3);
    // 1:50 000 on a 96 dpi screen: a pixel is 13.2 m.
    const ValidGeoRect at60(1.04, 0.0, 1.05, 0.01);
    const ChartProjection north(at60, 50000.0);
    const double metres = (0.01 / north.Width()) * std::cos(1.045) * 1852.0 * 10800.0 / M_PI;
    EXPECT_NEAR(metres, 50000.0 * 0.0254 / 96.0, 1e-6);
    EXPECT_FALSE(ChartProjection(kChart, 0.0).IsValid());
    EXPECT_FALSE(ChartProjection(ValidGeoRect(), kScale).IsValid());
}

// Lines are cut to the runs of segments that cross the chart; expected runs
// and points counted by hand from the geometry.
TEST(DisplayList, LinesKeepOnlyTheRunsThatCrossTheChart) {
    const struct {
        const char* what;
        std::vector<PosType> points;    // (latitude, longitude)
        std::vector<std::size_t> runs;  // points of each line made
    } cases[] = {
        {"all east of the chart", {{0.0, 0.02}, {0.001, 0.03}, {0.002, 0.04}}, {}},
        {"one segment across", {{0.0, -0.05}, {0.0, 0.05}}, {2}},
        {"inside", {{0.0, 0.0}, {0.001, 0.001}, {0.002, 0.002}}, {3}},
        {"out and back in",
         {{0.0, 0.0}, {0.0, 0.005}, {0.0, 0.02}, {0.005, 0.03}, {0.005, 0.02}, {0.005, 0.0}},
         {3, 2}},
        {"a gap without position",
         {{0.0, 0.0}, {0.0, 0.001}, NoPos, {0.0, 0.003}, {0.0, 0.004}},
         {2, 2}},
        // Its box holds the chart's corner, the segment passes beside it.
        {"beside the corner", {{0.005, 0.02}, {0.02, 0.005}}, {}},
        {"a single point", {{0.0, 0.0}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DisplayPrimitiveContainer out;
        const int made = Line(c.points).OptimizeInto(out, kChart, kScale);
        ASSERT_EQ(static_cast<std::size_t>(made), c.runs.size());
        ASSERT_EQ(out.GetCount(), c.runs.size());
        for (std::size_t i = 0; i < c.runs.size(); ++i) {
            EXPECT_EQ(out.At(i).GetGeometry(), kGeometryLine);
            EXPECT_EQ(out.At(i).GetPoints().size(), c.runs[i]);
            std::int32_t colour = 0;
            EXPECT_TRUE(out.At(i).GetInteger(kAttributeColor, colour));
            EXPECT_EQ(colour, 0x00FF0000);
        }
    }
}

// Points evenly spaced along the equator: with a spacing s below a pixel,
// every ceil(1/s)-th point is kept, and the last one.
TEST(DisplayList, PointsCloserThanAPixelAreThinned) {
    const struct {
        double spacing;  // pixels
        int count;
        std::size_t kept;
    } cases[] = {
        {1.5, 30, 30},                 // all a pixel apart or more
        {0.3, 42, (42 - 2) / 4 + 2},   // every 4th (1.2 px), and the last
        {0.45, 20, (20 - 2) / 3 + 2},  // every 3rd (1.35 px), and the last
        {0.01, 50, 2},                 // all within a pixel: the two ends
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spacing);
        std::vector<PosType> points;
        for (int i = 0; i < c.count; ++i) {
            points.emplace_back(0.0, -0.005 + i * c.spacing * kPixel);
        }
        DisplayPrimitiveContainer out;
        ASSERT_EQ(Line(points).OptimizeInto(out, kChart, kScale), 1);
        const std::vector<PosType>& kept = out.At(0).GetPoints();
        EXPECT_EQ(kept.size(), c.kept);
        EXPECT_EQ(kept.front(), points.front());
        EXPECT_EQ(kept.back(), points.back());
    }
    // Without a usable scale nothing is thinned.
    std::vector<PosType> dense;
    for (int i = 0; i < 10; ++i) {
        dense.emplace_back(0.0, i * 0.01 * kPixel);
    }
    DisplayPrimitiveContainer out;
    Line(dense).OptimizeInto(out, kChart, 0.0);
    EXPECT_EQ(out.At(0).GetPoints().size(), 10u);
}

// A point stays while its symbol reaches into the chart.
TEST(DisplayList, PointsStayWhileTheirSymbolShows) {
    const struct {
        double pixelsEastOfChart;
        int size;  // 0: no SIZE
        int kept;
    } cases[] = {{-100.0, 0, 1}, {0.5, 0, 0}, {5.0, 20, 1}, {15.0, 20, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pixelsEastOfChart);
        DisplayPrimitive point(kGeometryPoint);
        point.AddPoint(PosType(0.0, 0.01 + c.pixelsEastOfChart * kPixel));
        if (c.size > 0) {
            point.SetAttribute(kAttributeSize, c.size);
        }
        DisplayPrimitiveContainer out;
        EXPECT_EQ(point.OptimizeInto(out, kChart, kScale), c.kept);
        EXPECT_EQ(static_cast<int>(out.GetCount()), c.kept);
    }
    // Without a chart to clip against, nothing is lost.
    DisplayPrimitiveContainer out;
    DisplayPrimitive far(kGeometryPoint);
    far.AddPoint(PosType(1.0, 1.0));
    EXPECT_EQ(far.OptimizeInto(out, ValidGeoRect(), kScale), 1);
    EXPECT_EQ(out.GetCount(), 1u);
}

TEST(DisplayList, FeatureValuesReportWhetherTheyExist) {
    ZXFeature params;
    std::int32_t value = 7;
    EXPECT_FALSE(params.GetValue("DAY_NIGHT_MODE", value));
    EXPECT_EQ(value, 7);
    params.SetValue("DAY_NIGHT_MODE", 2);
    EXPECT_TRUE(params.GetValue("DAY_NIGHT_MODE", value));
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(params.GetValue("day_night_mode", value));
    EXPECT_FALSE(params.GetValue(nullptr, value));
}

// What each decoration puts on the device, drawn alone over a profile view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawing/DeviceGraphics.h"
#include "drawing/VexanDevice.h"
#include "hostfamily/GenData.h"
#include "layout/DecorationPainter.h"
#include "layout/PixelViewDecorations.h"
#include "module/ModuleWideValues.h"
#include "platform/CDC.h"
#include "tests/layout/organizer/OrganizerScene.h"

namespace {

constexpr COLORREF kBlank = RGB(1, 2, 3);

class Decorations : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open());
        scene.Sail(150);
        scene.organizer.SetSlope(16.0);
        scene.organizer.Update();
        Clear();
    }
    CDC* Dc() { return scene.organizer.GetDevice()->GetDC(); }
    void Clear() { Dc()->FillSolidRect(RECT{0, 0, 400, 300}, kBlank); }
    COLORREF Pixel(int x, int y) { return Dc()->GetPixel(x, y); }
    // Pixels of the window that are not blank.
    int Painted(RECT r = RECT{0, 0, 400, 300}) {
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                count += Pixel(x, y) != kBlank;
            }
        }
        return count;
    }
    COLORREF Style(const char* name) {
        COLORREF colour = 0;
        EXPECT_TRUE(scene.styles.Lookup(name, &colour, nullptr));
        return colour;
    }

    OrganizerScene scene;
    DecorationPainter painter{&scene.organizer};
};

}  // namespace

TEST_F(Decorations, TheBackgroundSplitsAtTheSurface) {
    LinearPixelProjection& y = *scene.organizer.GetYProjection();
    y.SetOriginAt(0.0, 120.0);
    painter.DrawBackground();
    EXPECT_EQ(Pixel(10, 0), Style("BACKGROUND_BRUSH"));
    EXPECT_EQ(Pixel(399, 119), Style("BACKGROUND_BRUSH"));
    EXPECT_EQ(Pixel(10, 120), Style("SKY_BRUSH"));
    EXPECT_EQ(Pixel(399, 299), Style("SKY_BRUSH"));
    // The surface above the window: all water.
    y.SetOriginAt(0.0, -40.0);
    painter.DrawBackground();
    EXPECT_EQ(Pixel(0, 0), Style("SKY_BRUSH"));
    EXPECT_EQ(Pixel(399, 299), Style("SKY_BRUSH"));
    // Below it: all background.
    y.SetOriginAt(0.0, 1e9);
    painter.DrawBackground();
    EXPECT_EQ(Pixel(0, 0), Style("BACKGROUND_BRUSH"));
    EXPECT_EQ(Pixel(399, 299), Style("BACKGROUND_BRUSH"));
}

TEST_F(Decorations, NoBackgroundWithoutAValueAxis) {
    scene.organizer.Shutdown();
    ASSERT_TRUE(scene.Open(kGraphPrevision));
    Clear();
    painter.DrawBackground();
    EXPECT_EQ(Painted(), 0);
}

TEST_F(Decorations, ValueScalesOfBothUnitsInsideTheWindow) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    const RECT depth = painter.DrawVerticalScales(graphics, {kUnitDist, kUnitTemp});
    // The unit in use at the right edge, the other one at the left edge.
    EXPECT_GE(depth.right, 400);
    EXPECT_GT(depth.left, 300);
    EXPECT_GT(depth.bottom - depth.top, 200);
    EXPECT_GT(Painted(RECT{depth.left, 0, 400, 300}), 500);
    EXPECT_GT(Painted(RECT{0, 0, 40, 300}), 500);
    // The grid runs across the window, between the scales too.
    EXPECT_GT(Painted(RECT{150, 0, 151, 300}), 5);
    // The legend keeps clear of the scale on the left.
    EXPECT_GT(painter.ChooseLegendOffset(graphics, {}, 0), 30);
}

TEST_F(Decorations, AValueScaleNeedsTwoTicks) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    // An axis that shows no span of values has no ticks.
    scene.organizer.GetYProjection()->scale = 0.0;
    EXPECT_EQ(painter.DrawVerticalScales(graphics, {kUnitDist}).right, 0);
    EXPECT_EQ(Painted(), 0);
}

TEST_F(Decorations, TheDistanceScaleRunsAlongTheBottom) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    const RECT box = painter.DrawDistanceScale(graphics, scene.tracker.GetDistance());
    // Across the whole width (the label of a tick at an edge may stick out).
    EXPECT_LE(box.left, 0);
    EXPECT_GE(box.right, 401);
    EXPECT_EQ(box.bottom, 301);
    EXPECT_GT(box.bottom - box.top, 10);
    EXPECT_LT(box.bottom - box.top, 30);
    EXPECT_GT(Painted(RECT{0, box.top, 400, 300}), 1000);
    EXPECT_EQ(Painted(RECT{0, 0, 400, box.top}), 0);
}

TEST_F(Decorations, ADistanceScaleWithFewerThanThreeTicksIsNotDrawn) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    // So coarse an axis that the window shows no finite distance.
    scene.X().scale = 1e308;
    const RECT box = painter.DrawDistanceScale(graphics, 0.0);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 0);
    EXPECT_EQ(box.bottom, 0);
    EXPECT_EQ(Painted(), 0);
    // No distance shown at all.
    scene.X().scale = 0.0;
    EXPECT_EQ(painter.DrawDistanceScale(graphics, 0.0).right, 0);
    EXPECT_EQ(Painted(), 0);
}

TEST_F(Decorations, TheSetSquareReachesTheRightAndBottomEdges) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    const COLORREF line = PaletteColorRef(15);
    scene.organizer.SetHoverPoint(POINT{120, 80});
    painter.DrawSetSquare(graphics, 40, 16, scene.tracker.GetDistance());
    EXPECT_EQ(Pixel(250, 80), line);
    EXPECT_EQ(Pixel(120, 200), line);
    EXPECT_EQ(Pixel(100, 80), kBlank);
    EXPECT_EQ(Pixel(120, 60), kBlank);
    ASSERT_EQ(painter.SetSquareLabels().size(), 2u);
    // The distance above the distance scale, at the pointer; the value left
    // of the value scale, above the horizontal line.
    const LabelBox distance = painter.SetSquareLabels()[0];
    EXPECT_NEAR(distance.left, 119.0, 1.0);
    EXPECT_NEAR(distance.bottom, 300 - 16 + 1, 1.0);
    const LabelBox value = painter.SetSquareLabels()[1];
    EXPECT_NEAR(value.right, 400 - 40 + 1, 1.0);
    EXPECT_NEAR(value.bottom, 81, 1.0);
}

TEST_F(Decorations, TheSetSquareOnTheRightEdgeHasOnlyItsVerticalPart) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    scene.organizer.SetHoverPoint(POINT{400, 80});
    painter.DrawSetSquare(graphics, 40, 16, scene.tracker.GetDistance());
    ASSERT_EQ(painter.SetSquareLabels().size(), 1u);
    EXPECT_NEAR(painter.SetSquareLabels()[0].right, 361, 1.0);
    // At the bottom edge only the horizontal part and the distance.
    Clear();
    scene.organizer.SetHoverPoint(POINT{120, 300});
    painter.DrawSetSquare(graphics, 40, 16, scene.tracker.GetDistance());
    ASSERT_EQ(painter.SetSquareLabels().size(), 1u);
    EXPECT_NEAR(painter.SetSquareLabels()[0].left, 119, 1.0);
    EXPECT_EQ(Painted(RECT{0, 0, 400, 260}), 0);
    // Without a hover point, nothing.
    Clear();
    scene.organizer.SetHoverPoint(kNoPoint);
    painter.DrawSetSquare(graphics, 40, 16, 0.0);
    EXPECT_TRUE(painter.SetSquareLabels().empty());
    EXPECT_EQ(Painted(), 0);
}

TEST_F(Decorations, DataInfoMarksTheValues) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    const double x = scene.X().ToWorld(200);
    const double value = scene.Y().ToWorld(150);
    painter.DrawDataInfo(graphics, {{kUnitDist, x, value}, {"SONAR", x, value}});
    // A square of 8 pixels filled with colour 17, outlined with colour 15.
    EXPECT_EQ(Pixel(200, 150), PaletteColorRef(17));
    EXPECT_EQ(Pixel(196, 150), PaletteColorRef(15));
    EXPECT_EQ(Pixel(204, 146), PaletteColorRef(15));
    EXPECT_EQ(Pixel(195, 150), kBlank);
    // The value beside it.
    EXPECT_GT(Painted(RECT{206, 140, 260, 160}), 20);
    EXPECT_EQ(Painted(RECT{0, 0, 190, 300}), 0);
}

TEST_F(Decorations, TheLegendStaysClearOfTheSetSquaresLabels) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    const std::vector<std::string> entries{"38.1 m",
                                           "10.5 \xC2\xB0"
                                           "C"};
    EXPECT_EQ(painter.ChooseLegendOffset(graphics, entries, 16), 4);
    // The pointer near the left edge: its distance label would lie under the legend.
    scene.organizer.SetHoverPoint(POINT{30, 100});
    painter.DrawSetSquare(graphics, 40, 16, scene.tracker.GetDistance());
    const int offset = painter.ChooseLegendOffset(graphics, entries, 16);
    EXPECT_GE(offset, painter.SetSquareLabels()[0].right);
    // When it cannot move far enough it stays where it was.
    scene.organizer.SetHoverPoint(POINT{330, 100});
    painter.DrawSetSquare(graphics, 40, 16, scene.tracker.GetDistance());
    EXPECT_EQ(painter.ChooseLegendOffset(graphics, entries, 16), 4);
}

TEST_F(Decorations, TheLegendIsDrawnOnlyWhenItFits) {
    DeviceGraphics graphics(scene.organizer.GetDevice());
    painter.DrawLegend(graphics, {"38.1 m"}, 4, 16);
    EXPECT_GT(Painted(RECT{0, 200, 200, 284}), 100);
    EXPECT_EQ(Painted(RECT{0, 0, 400, 150}), 0);
    // Too many lines for the height: the legend is left out.
    Clear();
    painter.DrawLegend(graphics, {"1", "2", "3", "4", "5", "6"}, 4, 16);
    EXPECT_EQ(Painted(), 0);
    // Too wide for the window.
    painter.DrawLegend(graphics, {"a legend line far too long to fit inside this small window"}, 4,
                       16);
    EXPECT_EQ(Painted(), 0);
    // Warnings are shown at the top in red whatever the legend does.
    painter.DrawLegend(graphics, {"#wNo Depth", "1", "2", "3", "4", "5", "6"}, 4, 16);
    EXPECT_GT(Painted(RECT{0, 0, 200, 50}), 500);
    EXPECT_EQ(Painted(RECT{0, 150, 400, 300}), 0);
}

namespace {

// The module-wide label size for the life of a scope.
class LabelSize {
  public:
    explicit LabelSize(short size) { gLabelFontSizeMultiplier = size; }
    ~LabelSize() { gLabelFontSizeMultiplier = 1; }
    LabelSize(const LabelSize&) = delete;
    LabelSize& operator=(const LabelSize&) = delete;
};

std::string Overlapping(const std::vector<LabelBox>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            if (texts[i].Overlaps(texts[j])) {
                return "texts " + std::to_string(i) + " and " + std::to_string(j) + " of " +
                       std::to_string(texts.size());
            }
        }
    }
    return std::string();
}

}  // namespace

// Distances along the bottom, depths at the right edge and temperatures at
// the left edge: at every label size, zoom level and slope, no text of a
// scale runs into another, and each scale keeps at least two.
TEST(ScaleTexts, NeverOverlapAtAnyLabelSizeLevelOrSlope) {
    for (const short size : {1, 2, 3}) {
        LabelSize labels(size);
        for (const short level : {3, 5, 7, 9}) {
            for (const double slope : {1.0, 8.0, 64.0}) {
                OrganizerScene scene(480, 320);
                ASSERT_TRUE(scene.Open());
                scene.Sail(300);
                scene.organizer.SetLevel(level);
                scene.organizer.SetSlope(slope);
                scene.organizer.Update();
                DecorationPainter painter(&scene.organizer);
                DeviceGraphics graphics(scene.organizer.GetDevice());
                painter.DrawScales(graphics, {kUnitDist, kUnitTemp}, scene.tracker.GetDistance());
                const std::vector<LabelBox> texts = painter.ScaleTexts();
                const std::size_t values = texts.size() - painter.DistanceTexts().size();
                EXPECT_EQ(Overlapping(texts), "")
                    << "size " << size << ", level " << level << ", slope " << slope;
                EXPECT_GE(values, 4u) << "size " << size << ", level " << level;
                EXPECT_GE(texts.size() - values, 2u) << "size " << size << ", level " << level;
            }
        }
    }
}

// The pixel view's scales, whose labels are held inside their area: in a low
// area and at large sizes too, none runs into another.
TEST(ScaleTexts, AnAreaScaleThinsItsLabels) {
    OrganizerScene scene(400, 600);
    ASSERT_TRUE(scene.Open());
    DeviceGraphics graphics(scene.organizer.GetDevice());
    for (const short size : {1, 2, 3}) {
        LabelSize labels(size);
        for (const int height : {90, 180, 600}) {
            for (const double deepest : {12.0, 140.0, 1500.0}) {
                const RECT area{0, 0, 300, height};
                LinearPixelProjection depth(true);
                ASSERT_TRUE(depth.FitTwoPoints(area.top, area.bottom, -deepest, 0.0));
                const auto scale = PixelViewDecorations::DrawAreaScale(
                    graphics, area, depth,
                    PixelViewDecorations::ScaleStyle{GenData::kKindDepth, 0, true, true}, 290);
                EXPECT_EQ(Overlapping(scale.texts), "")
                    << "size " << size << ", height " << height << ", " << deepest << " m";
                EXPECT_GE(scale.texts.size(), 2u)
                    << "size " << size << ", height " << height << ", " << deepest << " m";
            }
        }
    }
}

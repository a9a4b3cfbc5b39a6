// Whole frames of the profile view over a small voyage, compared with
// committed pictures: the furniture around the graphs.
#include <gtest/gtest.h>

#include "module/ModuleWideValues.h"
#include "tests/layout/organizer/FixedGraph.h"
#include "tests/layout/organizer/SceneImage.h"

namespace {

constexpr CompareOptions kTolerance = kTextTolerance;

// The module-wide label size and day/night mode for the life of a scope.
class ModuleLook {
  public:
    ModuleLook(short labels, short dayNight) {
        gLabelFontSizeMultiplier = labels;
        gDayNightMode = dayNight;
    }
    ~ModuleLook() {
        gLabelFontSizeMultiplier = 1;
        gDayNightMode = 0;
    }
    ModuleLook(const ModuleLook&) = delete;
    ModuleLook& operator=(const ModuleLook&) = delete;
};

Image Frame(OrganizerScene& scene) {
    scene.organizer.Draw();
    EXPECT_TRUE(scene.organizer.Present());
    return Shown(scene);
}

}  // namespace

TEST(DecorationsGolden, ScalesSetSquareDataInfoAndLegend) {
    OrganizerScene scene(320, 200);
    ASSERT_TRUE(scene.Open());
    scene.Sail(100);
    scene.organizer.SetSlope(8.0);
    scene.organizer.SetHoverPoint(POINT{170, 60});
    EXPECT_TRUE(MatchesGolden(Frame(scene), "decorations/hover.png", kTolerance));
}

TEST(DecorationsGolden, DepthAloneWithoutHover) {
    OrganizerScene scene(320, 200);
    ASSERT_TRUE(scene.Open());
    scene.Sail(100);
    scene.organizer.ExecuteCommand("PLOTREX_SHOW_HIDE", kGraphTemp);
    scene.organizer.ExecuteCommand("PLOTREX_FIT_TO_WINDOW", nullptr);
    EXPECT_TRUE(MatchesGolden(Frame(scene), "decorations/depth-fitted.png", kTolerance));
}

TEST(DecorationsGolden, AWarningAtNight) {
    ModuleLook look(1, 2);
    FixedGraph sounder("SOUNDER");
    OrganizerScene scene(320, 200);
    scene.styles.SetLightMode(2);
    scene.graphs.Add(&sounder);
    ASSERT_TRUE(scene.Open());
    sounder.Display()->legend = "#wNo Depth";
    scene.Sail(100);
    scene.organizer.SetSlope(8.0);
    scene.organizer.SetHoverPoint(POINT{60, 120});
    EXPECT_TRUE(MatchesGolden(Frame(scene), "decorations/warning-night.png", kTolerance));
}

TEST(DecorationsGolden, LargeLabels) {
    ModuleLook look(2, 0);
    OrganizerScene scene(480, 320);
    ASSERT_TRUE(scene.Open());
    scene.Sail(140);
    scene.organizer.SetSlope(16.0);
    scene.organizer.SetHoverPoint(POINT{300, 150});
    EXPECT_TRUE(MatchesGolden(Frame(scene), "decorations/large-labels.png", kTolerance));
}

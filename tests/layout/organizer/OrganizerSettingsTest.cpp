// The organizer's settings in the application's profile, the message about a
// missing axis, and drawing a frame into the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "drawing/Palette.h"
#include "drawing/VexanDevice.h"
#include "module/ModuleDataPlotrex.h"
#include "module/ModuleWideValues.h"
#include "module/UserMessages.h"
#include "persistence/SerializaterReg.h"
#include "platform/CDC.h"
#include "platform/MessageBox.h"
#include "tests/layout/organizer/FixedGraph.h"
#include "tests/layout/organizer/SceneImage.h"
#include "tests/support/TestProfile.h"

namespace {

// Records the message boxes shown while it lives.
class MessageRecorder {
  public:
    MessageRecorder()
        : previous_(SetMessageBoxHandler([this](const std::string& text, const std::string&, UINT) {
              texts.push_back(text);
              return IDOK;
          })) {}
    ~MessageRecorder() { SetMessageBoxHandler(previous_); }
    std::vector<std::string> texts;

  private:
    MessageBoxHandler previous_;
};

struct Layout {
    short level;
    double slope;
    double x;
    double y;
};

Layout LayoutOf(OrganizerScene& scene) {
    return Layout{scene.organizer.GetLevel(), scene.organizer.GetSlope(), scene.X().origin,
                  scene.Y().origin};
}

void ExpectSameLayout(const Layout& a, const Layout& b) {
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.slope, b.slope);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
}

}  // namespace

TEST(OrganizerSettings, SaveAndLoadGiveTheLayoutBack) {
    TestProfile profile;
    FixedGraph wide("WIDE");
    wide.extent = Extent{0.0, 0.5, -500.0, 0.0};
    std::string savedX;
    std::string savedY;
    {
        OrganizerScene scene;
        scene.graphs.Add(&wide);
        ASSERT_TRUE(scene.Open());
        scene.organizer.SetLevel(9);
        scene.organizer.SetSlope(16.0);
        scene.organizer.Scroll(12345, 678);
        scene.organizer.FindDisplayByName(kGraphTemp)->SetVisible(false);
        SerializaterReg settings(&profile.App(), kDisplaySection);
        scene.organizer.Save(settings);
        savedX = settings.Read("ORGANIZER_FIRSTPOS_X");
        savedY = settings.Read("ORGANIZER_FIRSTPOS_Y");
        EXPECT_EQ(settings.Read("ORGANIZER_LEVEL"), "9");
        EXPECT_EQ(settings.Read("ORGANIZER_SLOPE"), "16.000000");
        char text[64];
        std::snprintf(text, sizeof text, "%lf", scene.Y().origin);
        EXPECT_EQ(savedY, text);
        // The displays keep theirs in the same section.
        EXPECT_EQ(settings.Read("PLOTREX_DATA_TEMP_visible"), "0");
        EXPECT_EQ(settings.Read("PLOTREX_DATA_DEPTH_visible"), "1");
    }
    profile.Reload();
    const std::string file = profile.FileText();
    const std::size_t level = file.find("ORGANIZER_LEVEL");
    const std::size_t slope = file.find("ORGANIZER_SLOPE");
    EXPECT_NE(level, std::string::npos);
    EXPECT_LT(level, slope);
    {
        OrganizerScene scene;
        scene.graphs.Add(&wide);
        ASSERT_TRUE(scene.Open());
        SerializaterReg settings(&profile.App(), kDisplaySection);
        scene.organizer.Load(settings);
        EXPECT_EQ(scene.organizer.GetLevel(), 9);
        EXPECT_DOUBLE_EQ(scene.organizer.GetSlope(), 16.0);
        // The first positions as written (six decimals).
        EXPECT_EQ(scene.X().origin, std::atof(savedX.c_str()));
        EXPECT_EQ(scene.Y().origin, std::atof(savedY.c_str()));
        EXPECT_FALSE(scene.organizer.FindDisplayByName(kGraphTemp)->IsVisible());
        EXPECT_TRUE(scene.organizer.IsModified());
    }
}

TEST(OrganizerSettings, ARestoredLevelComesBackOnceTheDataAllowsIt) {
    // Levels above 10 need data over half the window, which a view just
    // opened does not have yet.
    struct Case {
        short level;
        double slope;
        int scrollX;
        int scrollY;
    };
    const Case cases[] = {
        {11, 4.0, 3000, 50}, {12, 16.0, 700, 0}, {13, 64.0, 0, 400},
        {15, 1.0, 20, 20},   {9, 2.0, 5000, 10},  // needs no data: comes back at once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        TestProfile profile;
        FixedGraph wide("WIDE");
        wide.extent = Extent{0.0, 0.5, -5000.0, 0.0};
        Layout saved{};
        {
            OrganizerScene scene;
            scene.graphs.Add(&wide);
            ASSERT_TRUE(scene.Open());
            scene.organizer.SetLevel(c.level);
            scene.organizer.SetSlope(c.slope);
            scene.organizer.Scroll(c.scrollX, c.scrollY);
            scene.organizer.Update();
            saved = LayoutOf(scene);
            ASSERT_EQ(saved.level, c.level);
            SerializaterReg settings(&profile.App(), kDisplaySection);
            scene.organizer.Save(settings);
            // The first positions come back as written (six decimals).
            saved.x = std::atof(settings.Read("ORGANIZER_FIRSTPOS_X").c_str());
            saved.y = std::atof(settings.Read("ORGANIZER_FIRSTPOS_Y").c_str());
        }
        FixedGraph late("WIDE");
        OrganizerScene scene;
        scene.graphs.Add(&late);
        ASSERT_TRUE(scene.Open());
        {
            SerializaterReg settings(&profile.App(), kDisplaySection);
            scene.organizer.Load(settings);
        }
        scene.organizer.Update();
        EXPECT_EQ(scene.organizer.GetLevel(), std::min<short>(c.level, 10));
        {
            // Closed before the data came: the level chosen is what is kept.
            TestProfile other;
            SerializaterReg settings(&other.App(), kDisplaySection);
            scene.organizer.Save(settings);
            EXPECT_EQ(settings.Read("ORGANIZER_LEVEL"), std::to_string(c.level));
            EXPECT_EQ(std::atof(settings.Read("ORGANIZER_SLOPE").c_str()), c.slope);
        }
        late.extent = wide.extent;
        scene.organizer.Update();
        ExpectSameLayout(LayoutOf(scene), saved);
    }
}

TEST(OrganizerSettings, ANewChoiceReplacesTheLevelWaitingForData) {
    FixedGraph late("LATE");
    OrganizerScene scene;
    scene.graphs.Add(&late);
    ASSERT_TRUE(scene.Open());
    scene.organizer.SetLevel(14);
    EXPECT_EQ(scene.organizer.GetLevel(), 10);
    scene.organizer.ExecuteCommand("PLOTREX_SCALE_PLUS", nullptr);
    EXPECT_EQ(scene.organizer.GetLevel(), 9);
    late.extent = Extent{0.0, 0.5, -100.0, 0.0};
    scene.organizer.Update();
    EXPECT_EQ(scene.organizer.GetLevel(), 9);
    // The data shrinks below what a chosen level needs: the view steps down,
    // and back up when the data grows again.
    scene.organizer.SetLevel(13);
    EXPECT_EQ(scene.organizer.GetLevel(), 13);
    late.extent.maxX = 1e-6;
    scene.organizer.Update();
    EXPECT_EQ(scene.organizer.GetLevel(), 10);
    late.extent.maxX = 0.5;
    scene.organizer.Update();
    EXPECT_EQ(scene.organizer.GetLevel(), 13);
}

TEST(OrganizerSettings, MissingOrEmptyKeysChangeNothing) {
    TestProfile profile;
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.Sail(200);
    scene.organizer.Update();
    const Layout before = LayoutOf(scene);
    {
        SerializaterReg empty(&profile.App(), kDisplaySection);
        scene.organizer.Load(empty);
    }
    ExpectSameLayout(LayoutOf(scene), before);
    {
        SerializaterReg settings(&profile.App(), kDisplaySection);
        settings.Write("ORGANIZER_SLOPE", "0.000000");
        scene.organizer.Load(settings);
    }
    ExpectSameLayout(LayoutOf(scene), before);
    // Positions no arithmetic can bring back are not taken either.
    for (const char* damaged : {"nan", "inf", "-inf"}) {
        SerializaterReg settings(&profile.App(), kDisplaySection);
        settings.Write("ORGANIZER_FIRSTPOS_X", damaged);
        settings.Write("ORGANIZER_FIRSTPOS_Y", damaged);
        settings.Write("ORGANIZER_SLOPE", damaged);
        scene.organizer.Load(settings);
        ExpectSameLayout(LayoutOf(scene), before);
    }
    // Without an application object nothing is read either.
    SerializaterReg nowhere(nullptr, kDisplaySection);
    scene.organizer.Load(nowhere);
    ExpectSameLayout(LayoutOf(scene), before);
}

TEST(OrganizerSettings, WithoutTheMainGraphNoValueAxisIsSaved) {
    TestProfile profile;
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open(kGraphPrevision));
    SerializaterReg settings(&profile.App(), kDisplaySection);
    MessageRecorder messages;
    scene.organizer.Save(settings);
    EXPECT_EQ(settings.Read("ORGANIZER_SLOPE"), "1.000000");
    EXPECT_EQ(settings.Read("ORGANIZER_FIRSTPOS_Y"), "");
    EXPECT_FALSE(settings.Read("ORGANIZER_FIRSTPOS_X").empty());
    // No main graph: no axis is in use, which is nothing to complain about.
    scene.organizer.Draw();
    EXPECT_TRUE(messages.texts.empty());
}

TEST(OrganizerMessages, AMissingAxisIsReportedThroughTheHostLibrary) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    ASSERT_NE(GetVexIHM(), nullptr);
    MessageRecorder messages;
    EXPECT_NE(scene.organizer.GetProjection(kUnitDist), nullptr);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(scene.organizer.GetProjection("SONAR"), nullptr);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0],
              "Un type de projection est demand\xC3\xA9 mais n'existe pas dans la map de "
              "l'organizer.");
}

TEST(OrganizerMessages, AMainGraphWithoutAnAxisIsReportedOnceWhenSetUp) {
    FixedGraph odd("ODD", "SONAR");
    OrganizerScene scene;
    scene.graphs.Add(&odd);
    MessageRecorder messages;
    ASSERT_TRUE(scene.Open("ODD"));
    EXPECT_EQ(messages.texts.size(), 1u);
    // Frames, settings and queries only ask whether there is an axis.
    TestProfile profile;
    SerializaterReg settings(&profile.App(), kDisplaySection);
    scene.organizer.Draw();
    scene.organizer.Save(settings);
    scene.organizer.SetHoverPoint(POINT{10, 10});
    EXPECT_EQ(scene.organizer.GetValueAtAnchor("IMMERSION", nullptr, nullptr), kUndefined);
    EXPECT_EQ(scene.organizer.GetYProjection(), nullptr);
    EXPECT_EQ(messages.texts.size(), 1u);
}

TEST(OrganizerMessages, TheHostLibraryLoadsFromBesideTheProgram) {
    std::string message;
    EXPECT_EQ(LoadVexIHMFrom("/nonexistent-folder/", &message), nullptr);
    EXPECT_NE(message.find("(VexIHM.so)"), std::string::npos) << message;
    VexIHMAPI* api = LoadVexIHMFrom(std::string(PLOTREX_BIN_DIR) + "/", &message);
    ASSERT_NE(api, nullptr);
    EXPECT_EQ(api, GetVexIHM());
    EXPECT_EQ(api->GetVersion(), kVexIHMVersion);
    api->SetStatusText("sounding");
    EXPECT_STREQ(api->GetStatusText(), "sounding");
    EXPECT_EQ(api->BeginWait(), 1);
    EXPECT_EQ(api->EndWait(), 0);
    EXPECT_EQ(api->EndWait(), 0);
    MessageRecorder messages;
    EXPECT_EQ(ShowUserMessage("caf\xE9", 1, 0, 0), IDOK);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "caf\xC3\xA9");
    // Without the library the message still reaches the user.
    EXPECT_EQ(ShowUserMessage(nullptr, "sans biblioth\xE8que", 1, 0, 0), IDOK);
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], "sans biblioth\xC3\xA8que");
}

TEST(OrganizerFrame, DrawsAndPresentsIntoTheWindow) {
    OrganizerScene scene;
    ASSERT_TRUE(scene.Open());
    scene.Sail(150);
    scene.organizer.SetSlope(16.0);
    scene.organizer.Draw();
    EXPECT_FALSE(scene.organizer.IsModified());
    ASSERT_TRUE(scene.organizer.Present());
    const Image shown = Shown(scene);
    ASSERT_EQ(shown.width, 400);
    // The top of the data at the top edge: the surface is above the window,
    // the background all water; the depth is filled below its line.
    COLORREF water = 0;
    ASSERT_TRUE(scene.styles.Lookup("SKY_BRUSH", &water, nullptr));
    const std::uint32_t waterPixel =
        0xFF000000u | (GetRValue(water) << 16) | (GetGValue(water) << 8) | GetBValue(water);
    ASSERT_LT(scene.Y().ToPixel(0.0), 0.0);
    int checked = 0;
    for (int x = 100; x < 300; x += 10) {
        double a = 0.0;
        double b = 0.0;
        double depth = 0.0;
        ASSERT_TRUE(scene.depth.GetValueAt(scene.X().ToWorld(x), &a, &b, &depth));
        const int line = static_cast<int>(scene.Y().ToPixel(depth));
        if (line > 20 && line < 200) {
            // (a grid line may cross one of the two)
            EXPECT_TRUE(shown.At(x, line - 10) == waterPixel ||
                        shown.At(x, line - 12) == waterPixel)
                << x;
            EXPECT_NE(shown.At(x, line + 10), waterPixel) << x;
            ++checked;
        }
    }
    EXPECT_GT(checked, 5);
    // A new depth sample asks for a frame again.
    EXPECT_FALSE(scene.organizer.NeedsRedraw());
    scene.Sail(1);
    EXPECT_TRUE(scene.organizer.NeedsRedraw());
    EXPECT_TRUE(scene.organizer.Resize(SIZE{300, 200}));
    EXPECT_EQ(scene.Size().cx, 300);
}

TEST(OrganizerFrame, EachFrameStartsOnAnEmptyBackBuffer) {
    // The forecast is the main graph, and it is not shown: no axis is in
    // use, so no background covers the window. Nothing of an earlier frame
    // may show through.
    for (const short mode : {0, 2}) {
        gDayNightMode = mode;
        OrganizerScene scene;
        ASSERT_TRUE(scene.Open(kGraphPrevision));
        scene.Sail(150);
        CDC* dc = scene.organizer.GetDevice()->GetDC();
        ASSERT_NE(dc, nullptr);
        dc->FillSolidRect(RECT{0, 0, 400, 300}, RGB(255, 0, 255));
        scene.organizer.Draw();
        ASSERT_TRUE(scene.organizer.Present());
        const Image shown = Shown(scene);
        const std::uint32_t empty = PaletteColour(33, mode);
        std::size_t emptyPixels = 0;
        for (const std::uint32_t pixel : shown.pixels) {
            ASSERT_NE(pixel, 0xFFFF00FFu);
            emptyPixels += pixel == empty;
        }
        // Most of the window is empty; the depth curve is still drawn.
        EXPECT_GT(emptyPixels, shown.pixels.size() / 2);
        EXPECT_LT(emptyPixels, shown.pixels.size());
    }
    gDayNightMode = 0;
}

TEST(OrganizerFrame, EveryLayerOfEveryVisibleDisplayInOrder) {
    FixedGraph one("ONE");
    FixedGraph two("TWO", kUnitTemp);
    FixedGraph odd("ODD", "SONAR");
    OrganizerScene scene;
    scene.graphs.Add(&one);
    scene.graphs.Add(&two);
    scene.graphs.Add(&odd);
    ASSERT_TRUE(scene.Open());
    one.Display()->layerCount = 3;
    MessageRecorder messages;
    scene.organizer.Draw();
    EXPECT_EQ(one.Display()->layers, (std::vector<short>{0, 1, 2}));
    EXPECT_EQ(two.Display()->layers, (std::vector<short>{0, 1, 2}));
    // A unit without an axis is not drawn, and not reported at every frame.
    EXPECT_TRUE(odd.Display()->layers.empty());
    EXPECT_TRUE(messages.texts.empty());
    two.Display()->SetVisible(false);
    scene.organizer.Draw();
    EXPECT_EQ(two.Display()->layers.size(), 3u);
    EXPECT_EQ(one.Display()->layers.size(), 6u);
}

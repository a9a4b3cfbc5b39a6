// The profile display in small fixed scenes, compared with committed pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "drawing/LayeredDrawing.h"
#include "drawing/PlotrexDisplayProfile.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexDataProfile.h"
#include "tests/drawing/PixelDevice.h"

namespace {

constexpr double kStep = 1e-4;
constexpr RECT kArea{10, 10, 230, 110};
constexpr COLORREF kSky = RGB(222, 219, 255);

double Seabed(double i) {
    return 30.0 + 15.0 * std::sin(i * 0.05) + 4.0 * std::sin(i * 0.31);
}
double Water(int i) {
    return 12.0 + 3.0 * std::sin(i * 0.04 + 1.0);
}

// A profile view's area: the horizontal axis shows `samples` samples over the
// area's width; depths from the surface (top) to 60 m, temperatures from 20
// (top) to 5 degrees.
class ProfileScene {
  public:
    explicit ProfileScene(int samples) {
        tracker_.Initialize(nullptr);
        styles_.FillDefaults();
        x_.multiplier = y_.multiplier = t_.multiplier = 1.0;
        x_.scale = samples * kStep / (kArea.right - kArea.left);
        x_.SetOriginAt(0.0, kArea.left);
        y_.scale = 60.0 / (kArea.bottom - kArea.top);
        y_.SetOriginAt(0.0, kArea.top);
        t_.scale = 15.0 / (kArea.bottom - kArea.top);
        t_.SetOriginAt(20.0, kArea.top);
    }

    void AddDepth(int i, double depth) { Add(depth_, i, IsUndefined(depth) ? depth : -depth); }
    void AddTemperature(int i, double value) { Add(temperature_, i, value); }
    // Depth and temperature of samples 0 to count - 1, missing from lostFrom to lostTo - 1.
    void AddSea(int count, int lostFrom = 0, int lostTo = 0) {
        for (int i = 0; i < count; ++i) {
            const bool lost = i >= lostFrom && i < lostTo;
            AddDepth(i, lost ? kUndefined : Seabed(i));
            AddTemperature(i, lost ? kUndefined : Water(i));
        }
    }

    Image Draw(bool withTemperature) {
        PixelDevice device(240, 120, kSky);
        std::vector<PlotrexDisplay*> displays{depth_.CreateDisplay()};
        if (withTemperature) {
            displays.push_back(temperature_.CreateDisplay());
        }
        DrawLayered(displays, &device, kArea, x_, {{kUnitDist, y_}, {kUnitTemp, t_}}, &styles_);
        return device.Snapshot();
    }
    Image DrawLayer(PlotrexDataProfile& profile, short layer) {
        PixelDevice device(240, 120, kSky);
        profile.CreateDisplay()->Draw(layer, &device, kArea, x_,
                                      profile.GetDataKind() == kDataKindDepth ? y_ : t_, &styles_);
        return device.Snapshot();
    }

    PlotrexDataProfile& Depth() { return depth_; }
    PlotrexDataProfile& Temperature() { return temperature_; }

  private:
    static void Add(PlotrexDataProfile& profile, int i, double value) {
        profile.GetSeries()->Add(ProfilePoint{PosType(0.8, i * kStep), value, i * kStep});
    }

    DistanceTracker tracker_;
    PlotrexDataProfile depth_{&tracker_, kGraphDepth, kUnitDist};
    PlotrexDataProfile temperature_{&tracker_, kGraphTemp, kUnitTemp};
    StyleTable styles_;
    LinearPixelProjection x_;
    LinearPixelProjection y_{true};
    LinearPixelProjection t_{true};
};

bool Blank(const Image& image) {
    for (std::uint32_t pixel : image.pixels) {
        if (pixel !=
            (0xFF000000u | (GetRValue(kSky) << 16) | (GetGValue(kSky) << 8) | GetBValue(kSky))) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(ProfileDisplayGolden, DepthFilledUnderItsLine) {
    ProfileScene scene(120);
    // The series runs on beyond the window's right edge.
    for (int i = 0; i < 140; ++i) {
        scene.AddDepth(i, Seabed(i));
    }
    EXPECT_TRUE(MatchesGolden(scene.Draw(false), "profile/depth.png"));
}

TEST(ProfileDisplayGolden, TemperatureLineOverTheDepthFill) {
    ProfileScene scene(120);
    scene.AddSea(120);
    EXPECT_TRUE(MatchesGolden(scene.Draw(true), "profile/depth-temperature.png"));
}

TEST(ProfileDisplayGolden, AGapInTheMiddle) {
    ProfileScene scene(120);
    scene.AddSea(120, 50, 66);
    EXPECT_TRUE(MatchesGolden(scene.Draw(true), "profile/gap.png"));
}

TEST(ProfileDisplayGolden, ALongProfileDecimated) {
    ProfileScene scene(1100);
    for (int i = 0; i < 1100; ++i) {
        // A fast ripple on the seabed: only the samples on multiples of 4 show.
        scene.AddDepth(i, Seabed(i * 0.1) + (i % 4 == 0 ? 0.0 : 12.0));
    }
    EXPECT_TRUE(MatchesGolden(scene.Draw(false), "profile/long-decimated.png"));
}

TEST(ProfileDisplay, DrawsOnlyWhatItsStylesAndLayersName) {
    ProfileScene scene(120);
    scene.AddSea(120);
    // No "TEMP_BRUSH": the temperature is never filled.
    EXPECT_TRUE(Blank(scene.DrawLayer(scene.Temperature(), 0)));
    EXPECT_FALSE(Blank(scene.DrawLayer(scene.Temperature(), 1)));
    EXPECT_FALSE(Blank(scene.DrawLayer(scene.Depth(), 0)));
    EXPECT_TRUE(Blank(scene.DrawLayer(scene.Depth(), 2)));
    EXPECT_TRUE(Blank(scene.DrawLayer(scene.Depth(), -1)));
}

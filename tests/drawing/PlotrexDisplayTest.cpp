#include "drawing/PlotrexDisplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "drawing/DeviceGraphics.h"
#include "drawing/LayeredDrawing.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexData.h"
#include "persistence/Serializater.h"
#include "tests/drawing/PixelDevice.h"

namespace {

class MemorySerializater : public Serializater {
  public:
    std::string Read(const std::string& name) override {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
    int Write(const std::string& name, const std::string& text) override {
        values[name] = text;
        return 1;
    }
    std::map<std::string, std::string> values;
};

using Log = std::vector<std::string>;

class FakeData : public PlotrexData {
  public:
    FakeData(const char* name, const char* unit) : PlotrexData(nullptr, name, unit) {}
    PlotrexDisplay* CreateDisplay() override { return nullptr; }
};

// Records every Draw: "<name key> <layer> <vertical scale>".
class RecordingDisplay : public PlotrexDisplay {
  public:
    RecordingDisplay(PlotrexData* data, Log* log, short layers = 1)
        : PlotrexDisplay(data), log_(log), layers_(layers) {}
    void Draw(short layer, VexanDevice*, RECT, const LinearPixelProjection&,
              const LinearPixelProjection& y, StyleTable*) override {
        log_->push_back(std::string(GetData()->GetName()) + " " + std::to_string(layer) + " " +
                        std::to_string(int(y.scale)));
        ClearModified();
    }
    short GetLayerCount() override { return layers_; }

  private:
    Log* log_;
    short layers_;
};

// Draws like a profile: a fill in layer 0 with "<unit>_BRUSH" over the lower
// half of its band, a line in layer 1 with "<unit>_PEN" along its middle.
// Temperature and depth draw in bands that cross each other.
class ProfileLikeDisplay : public PlotrexDisplay {
  public:
    ProfileLikeDisplay(PlotrexData* data, Log* log) : PlotrexDisplay(data), log_(log) {}
    void Draw(short layer, VexanDevice* device, RECT area, const LinearPixelProjection&,
              const LinearPixelProjection&, StyleTable* pens) override {
        const std::string unit = GetData()->GetUnit();
        const bool vertical = unit == "TEMP";
        const char* part = layer == 0 ? "BRUSH" : layer == 1 ? "PEN" : nullptr;
        COLORREF colour = 0;
        BYTE opacity = 0;
        if (part != nullptr && pens->Lookup((unit + "_" + part).c_str(), &colour, &opacity)) {
            DeviceGraphics g(device);
            g.SetClip(area);
            if (layer == 0) {
                g.FillRect(vertical ? RECT{10, 0, 20, 30} : RECT{0, 10, 30, 20}, colour, opacity);
                log_->push_back("fill " + unit);
            } else {
                const double line[] = {vertical ? 15.0 : 0.0, vertical ? 0.0 : 15.0,
                                       vertical ? 15.0 : 29.0, vertical ? 29.0 : 15.0};
                g.DrawPolyline(line, 2, colour, 1.0, 255);
                log_->push_back("line " + unit);
            }
        }
        ClearModified();
    }
    short GetLayerCount() override { return 2; }

  private:
    Log* log_;
};

LinearPixelProjection ProjectionWithScale(double scale) {
    LinearPixelProjection p(true);
    p.scale = scale;
    p.origin = 0.0;
    p.multiplier = 1.0;
    return p;
}

}  // namespace

TEST(PlotrexDisplay, JoinsItsDataAndStartsVisibleAndModified) {
    FakeData data(kGraphDepth, kUnitDist);
    Log log;
    auto* display = new RecordingDisplay(&data, &log);  // owned by data
    ASSERT_EQ(data.GetDisplays().size(), 1u);
    EXPECT_TRUE(display->IsVisible());
    EXPECT_TRUE(display->IsModified());
    display->Draw(0, nullptr, RECT{}, LinearPixelProjection(), LinearPixelProjection(), nullptr);
    EXPECT_FALSE(display->IsModified());
    data.ModifyDisplays();
    EXPECT_TRUE(display->IsModified());
    EXPECT_FALSE(display->SetVisible(false));
    EXPECT_FALSE(display->IsVisible());
    std::string legend = "unchanged";
    EXPECT_FALSE(display->PlotrexDisplay::GetLegendEntry(legend));
    EXPECT_EQ(display->PlotrexDisplay::GetLayerCount(), 1);
    EXPECT_EQ(display->GetMargins(), Margins{});
}

TEST(PlotrexDisplay, VisibilityPersistsUnderTheNameKey) {
    FakeData data(kGraphDepth, kUnitDist);
    Log log;
    auto* display = new RecordingDisplay(&data, &log);
    MemorySerializater s;

    s.values["PLOTREX_DATA_DEPTH_visible"] = "0";
    display->Load(s);
    EXPECT_FALSE(display->IsVisible());

    s.values["PLOTREX_DATA_DEPTH_visible"] = "";
    display->Load(s);
    EXPECT_TRUE(display->IsVisible());

    display->SetVisible(false);
    s.values.clear();
    display->Load(s);
    EXPECT_TRUE(display->IsVisible());

    display->SetVisible(false);
    s.values["PLOTREX_DATA_DEPTH_visible"] = "not a number";
    display->Load(s);
    EXPECT_TRUE(display->IsVisible());

    s.values["PLOTREX_DATA_DEPTH_visible"] = "2";
    display->Load(s);
    EXPECT_TRUE(display->IsVisible());
    display->Save(s);
    EXPECT_EQ(s.values["PLOTREX_DATA_DEPTH_visible"], "1");

    display->SetVisible(false);
    display->Save(s);
    EXPECT_EQ(s.values["PLOTREX_DATA_DEPTH_visible"], "0");
}

TEST(PlotrexDisplay, WithoutDataSettingsAreNeitherReadNorWritten) {
    Log log;
    RecordingDisplay display(nullptr, &log);
    MemorySerializater s;
    s.values["_visible"] = "0";
    display.Load(s);
    EXPECT_TRUE(display.IsVisible());
    display.Save(s);
    EXPECT_EQ(s.values.size(), 1u);
}

TEST(StyleColours, LightModeChangesColoursButNotOpacities) {
    StyleTable styles;
    styles.FillDefaults();
    for (const auto& [name, record] : styles.Entries()) {
        COLORREF day = 0, night = 0;
        BYTE dayOpacity = 0, nightOpacity = 0;
        styles.SetLightMode(0);
        ASSERT_TRUE(styles.Lookup(name.c_str(), &day, &dayOpacity));
        styles.SetLightMode(2);
        ASSERT_TRUE(styles.Lookup(name.c_str(), &night, &nightOpacity));
        EXPECT_NE(day, night) << name;
        EXPECT_EQ(dayOpacity, nightOpacity) << name;
        EXPECT_EQ(dayOpacity, record.opacity) << name;
    }
}

TEST(LayeredDrawing, OneLayerDisplaysAreDrawnOnceWithLayerZero) {
    FakeData depth(kGraphDepth, kUnitDist);
    FakeData mobile(kGraphMobile, kUnitDist);
    FakeData temp(kGraphTemp, kUnitTemp);
    FakeData hidden(kGraphDReckChalut, kUnitDist);
    FakeData unknownUnit("PLOTREX_DATA_OTHER", "SPEED");
    Log log;
    std::vector<PlotrexDisplay*> displays = {
        new RecordingDisplay(&depth, &log),  new RecordingDisplay(&hidden, &log),
        new RecordingDisplay(&temp, &log),   new RecordingDisplay(&unknownUnit, &log),
        new RecordingDisplay(&mobile, &log), nullptr};
    displays[1]->SetVisible(false);
    const VerticalProjections verticals = {{"DIST", ProjectionWithScale(7)},
                                           {"TEMP", ProjectionWithScale(3)}};
    StyleTable styles;

    EXPECT_EQ(CountLayers(displays), 1);
    DrawLayered(displays, nullptr, RECT{0, 0, 10, 10}, LinearPixelProjection(), verticals, &styles);
    EXPECT_EQ(log,
              (Log{"PLOTREX_DATA_DEPTH 0 7", "PLOTREX_DATA_TEMP 0 3", "PLOTREX_DATA_MOBILE 0 7"}));
    EXPECT_FALSE(displays[0]->IsModified());
    EXPECT_TRUE(displays[1]->IsModified());
}

TEST(LayeredDrawing, EveryDisplaySeesEveryLayerOfTheLargestCount) {
    FakeData depth(kGraphDepth, kUnitDist);
    FakeData mobile(kGraphMobile, kUnitDist);
    FakeData hidden(kGraphPrevision, kUnitDist);
    Log log;
    std::vector<PlotrexDisplay*> displays = {new RecordingDisplay(&mobile, &log, 1),
                                             new RecordingDisplay(&depth, &log, 2),
                                             new RecordingDisplay(&hidden, &log, 5)};
    displays[2]->SetVisible(false);
    const VerticalProjections verticals = {{"DIST", ProjectionWithScale(1)}};
    EXPECT_EQ(CountLayers(displays), 2);
    DrawLayered(displays, nullptr, RECT{}, LinearPixelProjection(), verticals, nullptr);
    EXPECT_EQ(log, (Log{"PLOTREX_DATA_MOBILE 0 1", "PLOTREX_DATA_DEPTH 0 1",
                        "PLOTREX_DATA_MOBILE 1 1", "PLOTREX_DATA_DEPTH 1 1"}));
    EXPECT_EQ(CountLayers({}), 1);
}

TEST(LayeredDrawing, TemperatureIsNeverFilledAndLinesLieOverFills) {
    FakeData temp(kGraphTemp, kUnitTemp);
    FakeData depth(kGraphDepth, kUnitDist);
    Log log;
    // The temperature comes first, yet its line lies over the depth fill.
    std::vector<PlotrexDisplay*> displays = {new ProfileLikeDisplay(&temp, &log),
                                             new ProfileLikeDisplay(&depth, &log)};
    const VerticalProjections verticals = {{"DIST", ProjectionWithScale(1)},
                                           {"TEMP", ProjectionWithScale(1)}};
    StyleTable styles;
    styles.FillDefaults();
    PixelDevice device(30, 30);
    DrawLayered(displays, &device, RECT{0, 0, 30, 30}, LinearPixelProjection(), verticals, &styles);
    EXPECT_EQ(log, (Log{"fill DIST", "line TEMP", "line DIST"}));

    COLORREF tempPen = 0, distPen = 0;
    BYTE opacity = 0;
    ASSERT_TRUE(styles.Lookup("TEMP_PEN", &tempPen, &opacity));
    ASSERT_TRUE(styles.Lookup("DIST_PEN", &distPen, &opacity));
    EXPECT_EQ(device.Pixel(15, 12), tempPen);            // temperature line over the depth fill
    EXPECT_EQ(device.Pixel(15, 15), distPen);            // the later line wins where lines cross
    EXPECT_EQ(device.Pixel(12, 5), RGB(255, 255, 255));  // no temperature fill
    EXPECT_NE(device.Pixel(5, 12), RGB(255, 255, 255));  // depth fill
}

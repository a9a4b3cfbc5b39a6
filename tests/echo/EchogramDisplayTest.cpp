#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "desktop/AdapterDevice.h"
#include "echo/CEtrModeManager.h"
#include "echo/EtrPaneLayout.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/EtrTextureRing.h"
#include "tests/echo/EchogramScene.h"

namespace {

// A sea floor between 70 and 130 m, a scattering layer at 40 m and a school
// of fish near sweep 60: one sample per metre from the surface down.
std::uint8_t Level(int sweep, std::uint32_t sample) {
    const double floor = 100.0 + 30.0 * std::sin(sweep / 25.0);
    const double depth = sample;
    if (depth >= floor) {
        return depth < floor + 4 ? 15 : depth < floor + 12 ? 12 : 4;
    }
    if (std::abs(depth - 40.0) < 5.0) {
        return 6;
    }
    if (std::hypot((sweep - 60) / 2.0, depth - 70.0) < 6.0) {
        return 10;
    }
    return (sweep * 7 + sample * 13) % 29 == 0 ? 2 : 0;
}

// Adds count sweeps from sweep `first` on, 160 m deep until sweep 150 and
// 180 m deep after (a range change), and places them up to distance `to`.
void Sail(EchogramScene& scene, int first, int count, double to) {
    for (int n = first; n < first + count; ++n) {
        const std::uint32_t samples = n < 150 ? 160 : 180;
        scene.Add(0, EchogramScene::Sweep(0.0, -static_cast<double>(samples), samples,
                                          [n](std::uint32_t s) { return Level(n, s); }));
    }
    scene.data.GetStore(0).PlaceSweeps(to);
}

}  // namespace

// What the track pane shows, day and night: each sweep at its distance
// between the heights of its window, the current window marked across it.
TEST(EchogramDisplayTest, TrackPaneDayAndNight) {
    EchogramScene scene;
    scene.x.origin = -10.0;
    Sail(scene, 0, 300, 300.0);
    EXPECT_TRUE(MatchesGolden(scene.Frame(), "echo/track-day.png"));
    scene.styles.SetLightMode(2);
    scene.display->RebuildColours();
    EXPECT_TRUE(MatchesGolden(scene.Frame(), "echo/track-night.png"));
}

// Whatever happened to the ring, the picture is the one a display that
// uploads the whole store afresh draws.
TEST(EchogramDisplayTest, RingEventsKeepThePicture) {
    struct Case {
        const char* name;
        std::function<void(EchogramScene&)> event;
    };
    const Case cases[] = {
        {"more sweeps than rows, in several frames",
         [](EchogramScene& s) {
             for (int batch = 1; batch <= 12; ++batch) {
                 Sail(s, 300 + (batch - 1) * 70, 70, 300.0 + batch * 70);
                 s.Frame();
             }
             // Sweep 1024, the first of the ring's second cycle, in the
             // middle, four pixels from the sweep before.
             s.x.scale = 0.25;
             s.x.origin = 1024.0 - 40.0;
         }},
        {"a device reset",
         [](EchogramScene& s) { ASSERT_TRUE(s.manager.GetAdapterDevice(0)->Reset()); }},
        {"the other frequency shown",
         [](EchogramScene& s) {
             // Store 1 numbers its sweeps from 0 as well, with other echoes.
             for (int n = 0; n < 300; ++n) {
                 s.Add(1, EchogramScene::Sweep(0.0, -120.0, 120, [n](std::uint32_t x) {
                           return static_cast<std::uint8_t>((x / 8 + n / 8) % 16);
                       }));
             }
             s.data.GetStore(1).PlaceSweeps(300.0);
             s.sounder.frequency = 5;
             GetEtrModeManager().SetSelectedFrequency(0);
         }},
        {"night colours", [](EchogramScene& s) {
             s.styles.SetLightMode(2);
             s.display->RebuildColours();
         }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EchogramScene scene;
        Sail(scene, 0, 300, 300.0);
        const Image before = scene.Frame();
        c.event(scene);
        const Image after = scene.Frame();
        const Image fresh = scene.FreshFrame();
        EXPECT_TRUE(CompareImages(after, fresh, kExactComparison).Passed(kExactComparison));
        GetEtrModeManager().SetSelectedFrequency(1);
        // Only the reset leaves what is shown as it was.
        const bool reset = std::string(c.name) == "a device reset";
        EXPECT_EQ(CompareImages(after, before, kExactComparison).Passed(kExactComparison), reset);
        if (reset) {
            EXPECT_EQ(scene.display->GetRing().GetResetCount(), scene.device.GetResetCount());
            EXPECT_EQ(scene.display->GetRing().GetLastUpload().rows, 300u);
        }
    }
}

// A window moved to another monitor draws on that monitor's device: the
// texture is made again there, whatever the two devices' reset counts.
TEST(EchogramDisplayTest, AnotherMonitorGetsItsOwnTexture) {
    EchogramScene scene(320, 200, {RECT{0, 0, 1920, 1080}, RECT{1920, 0, 3840, 1080}});
    Sail(scene, 0, 300, 300.0);
    const Image first = scene.Frame();
    IDirect3DDevice9* before = scene.device.GetD3DDevice();
    scene.window.MoveWindow(RECT{2000, 100, 2320, 300});
    ASSERT_TRUE(scene.device.UpdateAdapter());
    ASSERT_NE(scene.device.GetD3DDevice(), before);
    ASSERT_EQ(scene.device.GetResetCount(), scene.display->GetRing().GetResetCount());
    EXPECT_TRUE(CompareImages(scene.Frame(), first, kExactComparison).Passed(kExactComparison));
}

// After 1024 uploads the next sweep takes row 0 and its number becomes the
// ring's first number; sweeps of the previous cycle keep their rows.
TEST(EchogramDisplayTest, RingWrapsAfter1024Rows) {
    EchogramScene scene;
    Sail(scene, 0, 1000, 1000.0);
    scene.Frame();
    Sail(scene, 1000, 24, 1024.0);
    scene.Frame();
    const EtrTextureRing& ring = scene.display->GetRing();
    EXPECT_EQ(ring.GetNextRow(), 0u);
    EXPECT_EQ(ring.GetRowCount(), 1024u);
    Sail(scene, 1024, 1, 1025.0);
    scene.Frame();
    EXPECT_EQ(ring.GetFirstNumber(), 1024u);
    EXPECT_EQ(ring.RowOf(1024), 0u);
    EXPECT_EQ(ring.RowOf(5), 5u);
    EXPECT_EQ(ring.RowOf(0), std::nullopt);     // its row now holds sweep 1024
    EXPECT_EQ(ring.RowOf(1025), std::nullopt);  // not uploaded yet
    // One row written, under a lock of that row alone.
    EXPECT_EQ(ring.GetLastUpload().rows, 1u);
    EXPECT_EQ(ring.GetLastUpload().lockedRows, 1u);
}

// Uploads follow placement in the track pane: sweeps wait until they have a
// distance, then go up together in one frame, under one lock.
TEST(EchogramDisplayTest, TrackPaneUploadsSweepsOncePlaced) {
    EchogramScene scene;
    Sail(scene, 0, 10, 10.0);
    scene.Frame();
    EXPECT_EQ(scene.display->GetRing().GetLastUpload().rows, 10u);
    for (int n = 10; n < 15; ++n) {
        scene.Add(0, EchogramScene::Sweep(0.0, -160.0, 160,
                                          [n](std::uint32_t s) { return Level(n, s); }));
    }
    scene.Frame();
    EXPECT_EQ(scene.display->GetRing().GetLastUpload().rows, 0u);
    scene.data.GetStore(0).PlaceSweeps(15.0);
    scene.Frame();
    EXPECT_EQ(scene.display->GetRing().GetLastUpload().rows, 5u);
    EXPECT_EQ(scene.display->GetRing().GetLastUpload().locks, 1u);
    EXPECT_EQ(scene.display->GetRing().GetRowCount(), 15u);
}

// Input that leaves nothing to draw: no picture, no write beyond a row.
TEST(EchogramDisplayTest, NothingDrawnForUnusableInput) {
    struct Case {
        const char* name;
        bool pixelPane;
        std::function<void(EchogramScene&)> fill;
    };
    const auto flat = [](std::uint32_t) { return std::uint8_t{12}; };
    const Case cases[] = {
        {"one sweep, track pane", false,
         [&](EchogramScene& s) {
             s.Add(0, EchogramScene::Sweep(0, -100, 100, flat));
             s.data.GetStore(0).PlaceSweeps(50.0);
         }},
        {"one sweep, pixel pane", true,
         [&](EchogramScene& s) { s.Add(0, EchogramScene::Sweep(0, -100, 100, flat)); }},
        {"newest window without height, pixel pane", true,
         [&](EchogramScene& s) {
             s.Add(0, EchogramScene::Sweep(0, -100, 100, flat));
             s.Add(0, EchogramScene::Sweep(-20, -20, 100, flat));
         }},
        {"windows that are not numbers, pixel pane", true,
         [&](EchogramScene& s) {
             s.Add(0, EchogramScene::Sweep(NAN, -100, 100, flat));
             s.Add(0, EchogramScene::Sweep(0, INFINITY, 100, flat));
         }},
        {"distances the projection cannot place", false,
         [&](EchogramScene& s) {
             for (int i = 0; i < 5; ++i) {
                 s.Add(0, EchogramScene::Sweep(0, -100, 100, flat));
             }
             s.data.GetStore(0).PlaceSweeps(INFINITY);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EchogramScene scene;
        scene.display->SetChannel(c.pixelPane, 0);
        c.fill(scene);
        const Image image = scene.Frame();
        EXPECT_TRUE(CompareImages(image, Image(image.width, image.height), kExactComparison)
                        .Passed(kExactComparison));
        EXPECT_FALSE(scene.display->IsModified());
    }
}

// More samples than a texture row holds: the row is filled, nothing beyond.
TEST(EchogramDisplayTest, SweepLongerThanARowFillsTheRow) {
    EchogramScene scene(320, 200);
    for (int i = 0; i < 2; ++i) {
        ZxEtrEcho sweep =
            EchogramScene::Sweep(0, -180, kMaxSweepSamples, [](std::uint32_t) { return 9; });
        sweep.sampleCount = 5000;
        scene.Add(0, sweep);
    }
    scene.data.GetStore(0).PlaceSweeps(100.0);
    const Image image = scene.Frame();
    EXPECT_NE(image.At(50, 100), 0xFF000000u);
    std::vector<EtrColumn> columns;
    ASSERT_EQ(LayOutTrackPane(scene.data.GetStore(0), scene.display->GetRing(), scene.x, scene.y,
                              columns),
              EtrPaneLayout::kColumns);
    for (const auto& strip : BuildStrips(columns, 320, 220)) {
        for (const EtrVertex& v : strip) {
            EXPECT_LE(v.u, 1.0f);
        }
    }
}

// The pixel pane lays the newest sweep over the whole area and older ones at
// their depths relative to it, two pixels apart from the right edge.
TEST(EchogramDisplayTest, PixelPaneColumns) {
    EchogramScene scene(700, 700);
    scene.display->SetChannel(true, 0);
    const auto flat = [](std::uint32_t) { return std::uint8_t{9}; };
    scene.Add(0, EchogramScene::Sweep(-20, -70, 50, flat));
    scene.Add(0, EchogramScene::Sweep(-10, -60, 50, flat));
    scene.Frame();
    const RECT area{100, 0, 600, 500};
    struct Case {
        bool bottomFixed;
        double olderTop, olderBottom;
    };
    for (const Case c : {Case{false, 100.0, 600.0}, Case{true, 0.0, 500.0}}) {
        std::vector<EtrColumn> columns;
        ASSERT_EQ(LayOutPixelPane(area, scene.data.GetStore(0), scene.display->GetRing(),
                                  c.bottomFixed, columns),
                  EtrPaneLayout::kColumns);
        ASSERT_EQ(columns.size(), 2u);
        EXPECT_EQ(columns[0].x, 598.0);
        EXPECT_EQ(columns[0].top, c.olderTop);
        EXPECT_EQ(columns[0].bottom, c.olderBottom);
        EXPECT_EQ(columns[1].x, 600.0);
        EXPECT_EQ(columns[1].top, 0.0);
        EXPECT_EQ(columns[1].bottom, 500.0);
    }
}

// The caption: what the sounder shows and on which frequency, or a warning
// once it has been silent for more than ten seconds.
TEST(EchogramDisplayTest, Captions) {
    struct Case {
        bool pixelPane;
        std::uint16_t channel;
        std::int16_t frequency, zoom;
        std::int32_t selected;
        DWORD silence;
        const char* caption;
    };
    const Case cases[] = {
        {false, 0, 1, 1, 1, 0, "HF"},
        {false, 0, 3, 1, 0, 0, "LF"},
        {false, 0, 5, 1, 1, 0, "HF"},
        {false, 0, 5, 1, 0, 0, "LF"},
        {true, 1, 5, 1, 1, 0, "Dual Freq. - LF"},
        {true, 0, 5, 1, 1, 0, "Dual Freq. - HF"},
        {true, 0, 2, 1, 1, 0, "Bottom Lock - HF"},
        {true, 1, 4, 4, 0, 0, "Bottom Dscr. - LF"},
        {true, 0, 1, 1, 1, 0, "Single Freq. - HF"},
        {false, 0, 1, 1, 1, 10000, "HF"},
        {false, 0, 1, 1, 1, 10001, "#wNo Sweep"},
        {true, 1, 5, 1, 1, 10001, "#wNo Sweep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EchogramScene scene;
        scene.sounder.frequency = c.frequency;
        scene.sounder.zoom = c.zoom;
        GetEtrModeManager().SetSelectedFrequency(c.selected);
        scene.display->SetChannel(c.pixelPane, c.channel);
        // Both channels report now, then the sounder falls silent.
        std::uint8_t samples[10] = {};
        for (std::uint16_t channel : {0, 1}) {
            ZXRawSweep raw{};
            raw.channel = channel;
            raw.samples = samples;
            raw.sampleCount = 10;
            GetSweepRecorder().OnSweep(&raw);
        }
        GetSweepRecorder().DiscardPending();
        scene.desktop.AdvanceClock(c.silence);
        std::string caption;
        EXPECT_TRUE(scene.display->GetLegendEntry(caption));
        EXPECT_EQ(caption, c.caption);
    }
    GetEtrModeManager().SetSelectedFrequency(1);
}

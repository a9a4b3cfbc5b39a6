#pragma once
// The views' main frames as the host cycle drives them, each drawn either
// steady (since the last frame only the ship advanced and sweeps arrived) or
// full (something invalidated what was drawn): Advance, then Invalidate for a
// full frame, then Draw. The benchmarks time Draw; the instruction-count gate
// counts one of each.
#include <cstdint>

#include "echo/EtrTextureRing.h"
#include "graphdata/PlotrexDataProfile.h"
#include "module/CommandMessages.h"
#include "module/CommandNames.h"
#include "module/GraphKeys.h"
#include "tests/echo/EchogramScene.h"
#include "tests/layout/organizer/OrganizerScene.h"
#include "tests/layout/view/PixelHost.h"

namespace frames {

// The profile view on a full screen after a long voyage: two pixels per leg,
// depth and temperature at their 1100 points, scales, legend and the
// set-square under the pointer.
class ProfileFrames {
  public:
    static constexpr int kWidth = 1920;
    static constexpr int kHeight = 1080;

    ProfileFrames() {
        scene.Open(kGraphDepth, kReferenceLevel - 1);
        for (int i = 0; i < 1200; ++i) {
            Leg();
        }
        scene.organizer.SetSlope(64.0);
        scene.organizer.SetHoverPoint(POINT{kWidth / 2, kHeight / 3});
        Draw();
    }

    void Advance() { Leg(); }
    // Hidden and shown again: commands, after which nothing drawn before may
    // be kept, though the picture is the same.
    void Invalidate() {
        for (int i = 0; i < 2; ++i) {
            scene.organizer.ExecuteCommand(kCommandShowHide, kGraphTemp);
        }
    }
    void Draw() {
        scene.organizer.Draw();
        scene.organizer.Present();
    }
    int Points() { return scene.depth.GetSeries()->GetCount(); }

    OrganizerScene scene{kWidth, kHeight};

  private:
    void Leg() {
        scene.Cycle(30.0 + (legs_ % 37) * 0.5, 11.0 + (legs_ % 23) * 0.1);
        ++legs_;
    }

    int legs_ = 0;
};

// The profile view's echogram pane alone: 1024 stored sweeps of 1024 samples
// across 1600 x 1000 pixels, ten more between frames. With varying windows
// each sweep has its own, as under bottom lock.
class EchoPaneFrames {
  public:
    static constexpr int kNewSweeps = 10;

    explicit EchoPaneFrames(bool varyingWindows) : varying_(varyingWindows) {
        scene.x.scale = 1024.0 / 1600.0;
        Sail(1024);
        scene.Frame();
    }

    void Advance() { Sail(kNewSweeps); }
    // Scrolled up or down by a pixel: everything moves.
    void Invalidate() { scene.y.origin = scene.y.origin == 0.0 ? 1.0 : 0.0; }
    void Draw() { scene.DrawOnly(); }
    std::uint32_t RowsUploaded() { return scene.display->GetRing().GetLastUpload().rows; }

    EchogramScene scene{1600, 1000};

  private:
    void Sail(int count) {
        for (int i = 0; i < count; ++i, ++sweeps_) {
            const int n = sweeps_;
            const double shift = varying_ ? n % 7 : 0.0;
            scene.Add(0, EchogramScene::Sweep(shift, shift - 1000.0, 1024, [n](std::uint32_t s) {
                          return static_cast<std::uint8_t>((s / 64 + n / 16) % 16);
                      }));
        }
        scene.x.origin = sweeps_ - 1024.0;
        scene.data.GetStore(0).PlaceSweeps(sweeps_);
    }

    bool varying_;
    int sweeps_ = 0;
};

// The pixel view in dual frequency on a full screen: two panes side by side
// with 1024 stored sweeps of 600 samples each, their A-scope strips and the
// temperature curve; one host cycle (three pings a channel) between frames.
// Another frequency and zoom give other panes: HF with the bottom zoom (1, 2)
// has a second pane whose window follows each sweep's bottom.
class PixelFrames {
  public:
    explicit PixelFrames(short frequency = 5, short zoom = 1)
        : pixel(RECT{0, 0, 1920, 1080}, frequency, zoom) {
        pixel.Sail(350);
        opened_ = pixel.Open();
        if (opened_) {
            Draw();
        }
    }
    bool Opened() const { return opened_; }

    void Advance() { pixel.Sail(1); }
    // The A-scopes hidden and shown again by commands, whose paints wait for
    // the frame.
    void Invalidate() {
        for (int i = 0; i < 2; ++i) {
            ::SendMessage(pixel.host.View(), CommandMessages::Execute(),
                          reinterpret_cast<WPARAM>(kCommandShowHide),
                          reinterpret_cast<LPARAM>(kGraphAScope));
        }
    }
    void Draw() {
        ::InvalidateRect(pixel.host.View(), nullptr, TRUE);
        ::UpdateWindow(pixel.host.View());
    }

    viewtest::PixelHost pixel;

  private:
    bool opened_ = false;
};

}  // namespace frames

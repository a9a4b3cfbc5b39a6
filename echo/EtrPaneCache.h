#pragma once
// The pixel pane's echogram kept between frames. The device's back buffer is
// shared and its contents do not outlive a Present, so the pane's pixels are
// copied out into memory of our own after each frame. When the next frame's
// columns are the last frame's moved left by whole sweeps (sweeps arrived,
// nothing else changed), the kept picture is moved by as many pixels and only
// the columns that changed are drawn: the new ones on the right and the
// oldest ones at the left edge. Anything else draws the pane in full.
#include <cstdint>
#include <vector>

#include "drawing/EchoLook.h"
#include "echo/EtrStrip.h"
#include "platform/WinTypes.h"

class VexanDevice;
struct IDirect3DDevice9;
struct IDirect3DTexture9;

class EtrPaneCache {
  public:
    // What the kept picture depends on besides its columns.
    struct Key {
        IDirect3DDevice9* device = nullptr;
        int resetCount = -1;
        EchoLook look;
        short dayNight = 0;
        BYTE opacity = 0;
        friend bool operator==(const Key&, const Key&) = default;
    };

    // Draws the columns in the pane (the device's viewport limits it further),
    // as DrawStrips would, over the background the back buffer holds there.
    // False as DrawStrips.
    bool Draw(VexanDevice* device, IDirect3DTexture9* texture, RECT pane,
              const std::vector<EtrColumn>& columns, const Key& key);
    // The next Draw draws in full.
    void Invalidate() { valid_ = false; }

    // Whether the last Draw moved the kept picture, and how many pixels wide
    // the bands it drew were; for tests and benchmarks.
    bool LastWasSteady() const { return steady_; }
    int LastDrawnWidth() const { return drawnWidth_; }

  private:
    // Pixels the kept picture moves left for the new columns; -1 when the
    // columns are not the last ones moved.
    int ShiftFor(const std::vector<EtrColumn>& columns) const;
    // The pixel ranges [left, right) of the region to draw again after a shift.
    std::vector<std::pair<LONG, LONG>> Bands(const std::vector<EtrColumn>& columns,
                                             int shift) const;
    // Between the back buffer and the kept picture, over the region's columns
    // [left, right); false when the back buffer cannot be locked.
    bool Capture(IDirect3DDevice9* d3d, LONG left, LONG right);
    bool Restore(IDirect3DDevice9* d3d);

    bool valid_ = false;
    bool steady_ = false;
    int drawnWidth_ = 0;
    Key key_;
    RECT region_{0, 0, 0, 0};
    std::uint32_t background_ = 0;
    std::vector<EtrColumn> columns_;
    // The region's pixels, row by row; column x of the region is held at
    // (x + offset_) modulo its width, so that a shift moves no pixel.
    std::vector<std::uint32_t> pixels_;
    LONG offset_ = 0;
};

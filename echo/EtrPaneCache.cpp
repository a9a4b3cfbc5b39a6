#include "echo/EtrPaneCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "direct3d/d3d9.h"
#include "drawing/VexanDevice.h"
#include "drawing/VexanDeviceDX9.h"
#include "platform/ComPtr.h"

namespace {

// Pixels drawn again beside a changed column: a segment covers the pixel
// centres from its left column up to its right one.
constexpr LONG kBandMargin = 2;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameSweep(const EtrColumn& a, const EtrColumn& b) {
    return a.row == b.row && a.sampleCount == b.sampleCount && a.top == b.top &&
           a.bottom == b.bottom;
}

// The back buffer locked whole, released on leaving. A lock only read
// through says so: the device then still knows what the pixels hold.
class LockedBackBuffer {
  public:
    LockedBackBuffer(IDirect3DDevice9* d3d, DWORD flags) {
        if (d3d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface_.Put()) != D3D_OK ||
            !surface_ || surface_->LockRect(&locked_, nullptr, flags) != D3D_OK) {
            locked_.pBits = nullptr;
        }
    }
    ~LockedBackBuffer() {
        if (locked_.pBits != nullptr) {
            surface_->UnlockRect();
        }
    }
    LockedBackBuffer(const LockedBackBuffer&) = delete;
    LockedBackBuffer& operator=(const LockedBackBuffer&) = delete;

    bool IsLocked() const { return locked_.pBits != nullptr; }
    std::uint32_t* Row(LONG y) const {
        return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked_.pBits) +
                                                static_cast<std::ptrdiff_t>(y) * locked_.Pitch);
    }

  private:
    ComPtr<IDirect3DSurface9> surface_;
    D3DLOCKED_RECT locked_{};
};

// Direct3D may not lock the back buffer while its device context is out.
void ReleaseContext(VexanDevice* device) {
    if (auto* dx9 = dynamic_cast<VexanDeviceDX9*>(device)) {
        dx9->ReleaseDC();
    }
}

}  // namespace

bool EtrPaneCache::Draw(VexanDevice* device, IDirect3DTexture9* texture, RECT pane,
                        const std::vector<EtrColumn>& columns, const Key& key) {
    steady_ = false;
    drawnWidth_ = 0;
    IDirect3DDevice9* d3d = device != nullptr ? device->GetD3DDevice() : nullptr;
    D3DVIEWPORT9 viewport{};
    if (d3d == nullptr || d3d->GetViewport(&viewport) != D3D_OK) {
        valid_ = false;
        return DrawStrips(device, texture, columns, key.opacity);
    }
    const RECT region{std::max<LONG>(pane.left, static_cast<LONG>(viewport.X)),
                      std::max<LONG>(pane.top, static_cast<LONG>(viewport.Y)),
                      std::min<LONG>(pane.right, static_cast<LONG>(viewport.X + viewport.Width)),
                      std::min<LONG>(pane.bottom, static_cast<LONG>(viewport.Y + viewport.Height))};
    const LONG width = region.right - region.left;
    ReleaseContext(device);
    std::uint32_t background = 0;
    {
        const LockedBackBuffer buffer(d3d, D3DLOCK_READONLY);
        if (width <= 0 || region.bottom <= region.top || !buffer.IsLocked()) {
            valid_ = false;
            return DrawStrips(device, texture, columns, key.opacity);
        }
        // Nothing is drawn in the pane before the echogram: this is what lies under it.
        background = buffer.Row(region.top)[region.left];
    }

    const int shift =
        valid_ && key == key_ && SameRect(region, region_) && background == background_
            ? ShiftFor(columns)
            : -1;
    if (shift < 0 || shift >= width) {
        const bool drawn = DrawStrips(device, texture, columns, key.opacity);
        key_ = key;
        region_ = region;
        background_ = background;
        columns_ = columns;
        offset_ = 0;
        pixels_.resize(static_cast<std::size_t>(width) * (region.bottom - region.top));
        valid_ = drawn && Capture(d3d, region.left, region.right);
        drawnWidth_ = width;
        return drawn;
    }

    offset_ = (offset_ + shift) % width;
    bool drawn = true;
    for (const auto& [left, right] : Bands(columns, shift)) {
        const D3DVIEWPORT9 band{static_cast<DWORD>(left),
                                static_cast<DWORD>(region.top),
                                static_cast<DWORD>(right - left),
                                static_cast<DWORD>(region.bottom - region.top),
                                viewport.MinZ,
                                viewport.MaxZ};
        d3d->SetViewport(&band);
        drawn = DrawStrips(device, texture, columns, key.opacity, static_cast<double>(left),
                           static_cast<double>(right)) &&
                drawn;
        d3d->SetViewport(&viewport);
        drawn = drawn && Capture(d3d, left, right);
        drawnWidth_ += right - left;
    }
    columns_ = columns;
    valid_ = drawn && Restore(d3d);
    steady_ = valid_;
    return drawn;
}

int EtrPaneCache::ShiftFor(const std::vector<EtrColumn>& columns) const {
    if (columns_.size() < 2 || columns.size() < 2) {
        return -1;
    }
    // The last frame's newest sweep, in this frame's columns.
    const EtrColumn& newest = columns_.back();
    std::size_t at = columns.size();
    for (std::size_t j = columns.size(); j-- > 0;) {
        if (SameSweep(columns[j], newest)) {
            at = j;
            break;
        }
    }
    if (at == columns.size() || at + 1 > columns_.size()) {
        return -1;
    }
    const double moved = newest.x - columns[at].x;
    if (!(moved >= 0.0) || moved != std::floor(moved) || moved > 1e6) {
        return -1;
    }
    // The columns before it are the last frame's, each moved as far: none
    // added at the left, none changed.
    const std::size_t dropped = columns_.size() - 1 - at;
    for (std::size_t j = 0; j <= at; ++j) {
        const EtrColumn& before = columns_[j + dropped];
        if (!SameSweep(columns[j], before) || columns[j].x != before.x - moved) {
            return -1;
        }
    }
    return static_cast<int>(moved);
}

std::vector<std::pair<LONG, LONG>> EtrPaneCache::Bands(const std::vector<EtrColumn>& columns,
                                                       int shift) const {
    // From the column before the last frame's newest (whose segment gains a
    // neighbour) to the right edge; the oldest columns at the left edge,
    // where the first strip begins and the oldest sweeps leave.
    const std::size_t fresh = static_cast<std::size_t>(
        std::count_if(columns.begin(), columns.end(),
                      [&](const EtrColumn& c) { return c.x > columns_.back().x - shift; }));
    const std::size_t previous = columns.size() - 1 - fresh;
    const double rightFrom = columns[previous > 0 ? previous - 1 : 0].x;
    const double leftTo = std::max(columns[1].x, columns_[1].x - shift);
    auto clamp = [&](double x) {
        return std::clamp<LONG>(static_cast<LONG>(std::floor(x)), region_.left, region_.right);
    };
    const LONG rightBand = clamp(rightFrom - kBandMargin);
    const LONG leftBand =
        std::max(clamp(leftTo + kBandMargin + 1), clamp(region_.left + 2 * kBandMargin));
    std::vector<std::pair<LONG, LONG>> bands;
    if (leftBand >= rightBand) {
        bands.emplace_back(region_.left, region_.right);
        return bands;
    }
    bands.emplace_back(region_.left, leftBand);
    if (rightBand < region_.right) {
        bands.emplace_back(rightBand, region_.right);
    }
    return bands;
}

bool EtrPaneCache::Capture(IDirect3DDevice9* d3d, LONG left, LONG right) {
    const LockedBackBuffer buffer(d3d, D3DLOCK_READONLY);
    if (!buffer.IsLocked()) {
        return false;
    }
    const LONG width = region_.right - region_.left;
    // Where the columns land in a kept row: up to its end, the rest from its start.
    const LONG first = (left - region_.left + offset_) % width;
    const std::size_t head = static_cast<std::size_t>(std::min(right - left, width - first));
    const std::size_t tail = static_cast<std::size_t>(right - left) - head;
    for (LONG y = region_.top; y < region_.bottom; ++y) {
        const std::uint32_t* from = buffer.Row(y) + left;
        std::uint32_t* to = pixels_.data() + static_cast<std::size_t>(y - region_.top) * width;
        std::memcpy(to + first, from, head * sizeof(std::uint32_t));
        std::memcpy(to, from + head, tail * sizeof(std::uint32_t));
    }
    return true;
}

bool EtrPaneCache::Restore(IDirect3DDevice9* d3d) {
    const LockedBackBuffer buffer(d3d, 0);
    if (!buffer.IsLocked()) {
        return false;
    }
    const LONG width = region_.right - region_.left;
    // The region's columns from offset_ to the end of a kept row, then those
    // that wrapped to its start.
    const std::size_t head = static_cast<std::size_t>(width - offset_);
    const std::size_t tail = static_cast<std::size_t>(offset_);
    for (LONG y = region_.top; y < region_.bottom; ++y) {
        const std::uint32_t* from =
            pixels_.data() + static_cast<std::size_t>(y - region_.top) * width;
        std::uint32_t* to = buffer.Row(y) + region_.left;
        std::memcpy(to, from + offset_, head * sizeof(std::uint32_t));
        std::memcpy(to + head, from, tail * sizeof(std::uint32_t));
    }
    return true;
}

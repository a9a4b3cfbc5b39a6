#include "echo/PlotrexDisplayETR.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "drawing/VexanDevice.h"
#include "echo/CEtrModeManager.h"
#include "echo/EtrColourBar.h"
#include "echo/EtrPaneCache.h"
#include "echo/EtrPaneLayout.h"
#include "echo/EtrStrip.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/EtrTextureRing.h"
#include "echo/PlotrexDataETR.h"
#include "hostfamily/Undefined.h"
#include "layout/LinearPixelProjection.h"
#include "module/ModuleWideValues.h"
#include "platform/TickCount.h"
#include "resources/ModuleStrings.h"
#include "resources/Resource.h"

namespace {

constexpr BYTE kEchogramOpacity = 220;
// The palette colour of the lines that mark the current window.
constexpr unsigned kWindowLineColour = 31;
constexpr double kWindowLineWidth = 1.5;
// The colour bar's distance right of the newest sweep: clear of the A-scope's
// bars (at most 50 pixels).
constexpr int kBesideNewest = 60;
// Room kept for the profile view's depth scale at its right edge.
constexpr int kDepthScaleRoom = 64;
// Silence after which the caption warns that no sweep arrives.
constexpr std::uint32_t kSilenceMs = 10000;

// The gain and threshold while either is not neutral, for the caption.
std::string LookText(const StyleTable* pens) {
    if (pens == nullptr || pens->GetEchoLook().IsNeutral()) {
        return "";
    }
    const EchoLook& look = pens->GetEchoLook();
    std::string text = " - gain ";
    text += look.gain > 0 ? "+" : "";
    text += std::to_string(look.gain);
    text += " - threshold ";
    text += std::to_string(look.threshold);
    return text;
}

bool IsDefined(double pixel) {
    return std::isfinite(pixel) && !IsUndefined(pixel) && pixel != LinearPixelProjection::kUnset;
}

// The caption of each pane kind, 0 to 5.
constexpr UINT kKindCaptions[] = {IDS_DUAL_FREQ,   IDS_SINGLE_FREQ, IDS_MARKER_ZOOM,
                                  IDS_BOTTOM_ZOOM, IDS_BOTTOM_LOCK, IDS_BOTTOM_DSCR};

}  // namespace

PlotrexDisplayETR::PlotrexDisplayETR(PlotrexData* data)
    : PlotrexDisplay(data),
      ring_(std::make_unique<EtrTextureRing>()),
      cache_(std::make_unique<EtrPaneCache>()) {
    data_ = dynamic_cast<PlotrexDataETR*>(data);
}

PlotrexDisplayETR::~PlotrexDisplayETR() = default;

PlotrexDataETR* PlotrexDisplayETR::GetEchogram() const {
    return dynamic_cast<PlotrexDataETR*>(data_);
}

void PlotrexDisplayETR::SetChannel(bool pixelPane, std::uint16_t channel) {
    pixelPane_ = pixelPane;
    channel_ = channel;
}

void PlotrexDisplayETR::RebuildColours() {
    ring_->Reset();
    cache_->Invalidate();
    SetModified();
}

void PlotrexDisplayETR::RedrawInFull() {
    cache_->Invalidate();
}

void PlotrexDisplayETR::Draw(short layer, VexanDevice* device, RECT area,
                             const LinearPixelProjection& x, const LinearPixelProjection& y,
                             StyleTable* pens) {
    PlotrexDataETR* echogram = GetEchogram();
    if (pens == nullptr || device == nullptr || layer != 0 || echogram == nullptr) {
        ClearModified();
        return;
    }
    const CEtrModeManager& modes = GetEtrModeManager();
    const int channel = pixelPane_ ? channel_ : modes.GetActiveChannel(true);
    ZxEtrEchoContainer& store = echogram->GetStore(channel);
    if (!ring_->Update(device, store, pixelPane_, *pens)) {
        cache_->Invalidate();
        ClearModified();
        return;
    }

    std::vector<EtrColumn> columns;
    EtrPaneLayout layout;
    if (pixelPane_) {
        std::int32_t kind = -1;
        modes.GetPaneKind(static_cast<std::int16_t>(channel), &kind);
        const bool bottomFixed =
            channel == 1 && (kind == kPaneBottomLock || kind == kPaneBottomDiscrimination);
        layout = LayOutPixelPane(area, store, *ring_, bottomFixed, columns);
    } else {
        layout = LayOutTrackPane(store, *ring_, x, y, columns);
    }
    if (layout != EtrPaneLayout::kColumns || !pixelPane_) {
        cache_->Invalidate();
    }
    if (layout == EtrPaneLayout::kMissingRow) {
        ring_->Reset();
    } else if (layout == EtrPaneLayout::kColumns) {
        const EtrPaneCache::Key key{device->GetD3DDevice(), device->GetResetCount(),
                                    pens->GetEchoLook(), gDayNightMode, kEchogramOpacity};
        const bool drawn = pixelPane_
                               ? cache_->Draw(device, ring_->GetTexture(), area, columns, key)
                               : DrawStrips(device, ring_->GetTexture(), columns, kEchogramOpacity);
        if (!drawn) {
            cache_->Invalidate();
            ring_->Reset();
        } else if (!pixelPane_) {
            DrawWindowLines(device, area, columns, *pens);
        }
    }
    if (pens->IsColourBarShown() && (pixelPane_ || layout == EtrPaneLayout::kColumns)) {
        DrawColourBar(device, area, columns, *pens);
    }
    ClearModified();
}

void PlotrexDisplayETR::DrawColourBar(VexanDevice* device, RECT area,
                                      const std::vector<EtrColumn>& columns,
                                      const StyleTable& pens) {
    const EtrReadingCommands& reading = GetEchogram()->GetReading();
    std::vector<std::string> labels;
    for (int level = 0; level < kEchoLevels; ++level) {
        labels.push_back(reading.LevelLabel(level));
    }
    const EtrColourBar bar(pens, std::move(labels));
    const SIZE size = bar.Measure(device);
    // The pixel pane: in the middle, left of its depth scale (its left edge
    // holds the temperature's). The track pane: beside the newest sweep, past
    // the A-scope's bars, in the middle of the current window.
    int left = area.right - size.cx - kDepthScaleRoom;
    int top = (area.top + area.bottom - size.cy) / 2;
    if (!pixelPane_ && !columns.empty() && IsDefined(columns.back().x) &&
        IsDefined(columns.back().top)) {
        left = static_cast<int>(columns.back().x) + kBesideNewest;
        if (IsDefined(columns.back().bottom)) {
            top = static_cast<int>((columns.back().top + columns.back().bottom - size.cy) / 2);
        }
    }
    // Clear of the depth scale on the right.
    const int rightmost = area.right - size.cx - kDepthScaleRoom;
    left = std::clamp(left, static_cast<int>(area.left), std::max<int>(area.left, rightmost));
    top =
        std::clamp(top, static_cast<int>(area.top), std::max<int>(area.top, area.bottom - size.cy));
    bar.Draw(device, area, left, top);
}

void PlotrexDisplayETR::DrawWindowLines(VexanDevice* device, RECT area,
                                        const std::vector<EtrColumn>& columns,
                                        const StyleTable& pens) {
    const EtrColumn& first = columns.front();
    const EtrColumn& last = columns.back();
    if (!IsDefined(first.x) || !IsDefined(last.x) || !IsDefined(last.top) ||
        !IsDefined(last.bottom)) {
        return;
    }
    COLORREF colour = 0;
    pens.GetColour(kWindowLineColour, &colour);
    DeviceGraphics graphics(device);
    graphics.SetClip(area);
    // The current window across the whole echogram.
    const double top[] = {first.x, last.top, last.x, last.top};
    const double bottom[] = {first.x, last.bottom, last.x, last.bottom};
    graphics.DrawPolyline(top, 2, colour, kWindowLineWidth, 255);
    graphics.DrawPolyline(bottom, 2, colour, kWindowLineWidth, 255);
}

bool PlotrexDisplayETR::GetLegendEntry(std::string& text) {
    if (GetEchogram() == nullptr) {
        return false;
    }
    const std::uint32_t silence = GetTickCount() - GetLastSweepTime();
    if (silence > kSilenceMs) {
        // The legend shows entries starting with "#w" as warnings.
        text = std::string("#w") + LoadModuleString(IDS_NO_SWEEP);
        return true;
    }
    const CEtrModeManager& modes = GetEtrModeManager();
    const int active = modes.GetActiveChannel(false);
    std::int32_t kind = -1;
    modes.GetPaneKind(static_cast<std::int16_t>(active), &kind);

    std::string mode;
    if (pixelPane_ && kind >= 0 && kind <= 5) {
        mode = LoadModuleString(kKindCaptions[kind]);
    }
    std::string frequency;
    if (kind == kPaneDualFrequency) {
        const int shown = pixelPane_ ? channel_ : active;
        if (shown == 0 || shown == 1) {
            frequency = LoadModuleString(shown == 0 ? IDS_HF : IDS_LF);
        }
    } else {
        bool enabled = false;
        bool checked = false;
        modes.GetFrequencyState(true, &enabled, &checked);
        frequency = LoadModuleString(checked ? IDS_HF : IDS_LF);
    }
    if (!mode.empty() && !frequency.empty()) {
        text = mode + " - " + frequency;
    } else {
        text = mode.empty() ? frequency : mode;
    }
    text += LookText(GetEchogram()->GetReading().GetStyleTable());
    return true;
}

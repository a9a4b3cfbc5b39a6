#include "layout/PlotrexViewPixel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "direct3d/d3d9.h"
#include "drawing/ClearFrame.h"
#include "drawing/DeviceGraphics.h"
#include "drawing/PlotrexDisplay.h"
#include "drawing/PlotrexDisplayAScope.h"
#include "drawing/StyleTable.h"
#include "drawing/VexanDeviceDX9.h"
#include "echo/CEtrModeManager.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/PlotrexDisplayETR.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataContainer.h"
#include "graphdata/PlotrexDataProfile.h"
#include "hostfamily/GenData.h"
#include "layout/LabelBatch.h"
#include "layout/PixelViewDecorations.h"
#include "layout/PlotrexOrganizerPixel.h"
#include "module/CommandDispatch.h"
#include "module/CommandNames.h"
#include "module/CommandState.h"
#include "module/GraphKeys.h"
#include "module/ModuleWideValues.h"

namespace {

constexpr unsigned kClearColour = 33;
// The temperature curve: 4e-07 radians of the track (about 2.5 m) a pixel,
// and a degree of room above and below the temperatures shown.
constexpr double kTrackPerPixel = 4e-07;
constexpr double kTemperatureRoom = 1.0;
constexpr double kTopTemperature = 35.0;
constexpr double kDegreesPerPixel = 0.1;
// Grid of the depth scale: the palette's colour of the grid lines.
constexpr unsigned kGridColour = 23;
// Room between the scales or legends and the edges they keep clear of.
constexpr int kGap = 3;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool IsEmptyArea(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The viewport of an area, cut to the back buffer; false when nothing is left.
bool AreaViewport(IDirect3DDevice9* d3d, RECT area, D3DVIEWPORT9& viewport) {
    IDirect3DSurface9* buffer = nullptr;
    if (d3d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &buffer) != D3D_OK || buffer == nullptr) {
        return false;
    }
    D3DSURFACE_DESC desc{};
    buffer->GetDesc(&desc);
    buffer->Release();
    const LONG left = std::clamp<LONG>(area.left, 0, static_cast<LONG>(desc.Width));
    const LONG top = std::clamp<LONG>(area.top, 0, static_cast<LONG>(desc.Height));
    const LONG right = std::clamp<LONG>(area.right, left, static_cast<LONG>(desc.Width));
    const LONG bottom = std::clamp<LONG>(area.bottom, top, static_cast<LONG>(desc.Height));
    if (right <= left || bottom <= top) {
        return false;
    }
    viewport = D3DVIEWPORT9{static_cast<DWORD>(left),
                            static_cast<DWORD>(top),
                            static_cast<DWORD>(right - left),
                            static_cast<DWORD>(bottom - top),
                            0.0f,
                            1.0f};
    return true;
}

}  // namespace

IMPLEMENT_DYNCREATE(PlotrexViewPixel, CWnd)

BEGIN_MESSAGE_MAP(PlotrexViewPixel, CWnd)
ON_WM_PAINT()
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
ON_WM_SIZE()
ON_WM_TIMER()
END_MESSAGE_MAP()

PlotrexViewPixel::PlotrexViewPixel() = default;

PlotrexViewPixel::~PlotrexViewPixel() {
    // While the displays and the device still exist: the last messages may
    // reach them.
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
    Shutdown();
}

bool PlotrexViewPixel::Init(DXDesktopDeviceManager* deviceManager,
                            const PlotrexDataContainer& graphs, StyleTable* styles) {
    if (deviceManager == nullptr) {
        return false;
    }
    // Set up again: what the first set-up made goes back first.
    Shutdown();
    auto device = std::make_unique<VexanDeviceDX9>(deviceManager);
    RECT client{};
    GetClientRect(&client);
    const SIZE size{std::max<LONG>(client.right, kMinSurface),
                    std::max<LONG>(client.bottom, kMinSurface)};
    if (!device->Create(this, size)) {
        return false;
    }
    device_ = std::move(device);
    deviceManager_ = deviceManager;
    styles_ = styles;
    SetTimer(kRepaintTimer, kRepaintPeriod);

    for (PlotrexData* data : graphs) {
        if (data == nullptr) {
            continue;
        }
        const char* name = data->GetName();
        if (std::strcmp(name, kGraphEtr) == 0) {
            MakeDisplay(echograms_[0], data);
            MakeDisplay(echograms_[1], data);
            for (int channel = 0; channel < 2; ++channel) {
                if (auto* pane = dynamic_cast<PlotrexDisplayETR*>(echograms_[channel].display)) {
                    pane->SetChannel(true, static_cast<std::uint16_t>(channel));
                }
            }
        } else if (std::strcmp(name, kGraphAScope) == 0) {
            MakeDisplay(aScopes_[0], data);
            MakeDisplay(aScopes_[1], data);
            for (int channel = 0; channel < 2; ++channel) {
                if (auto* strip = dynamic_cast<PlotrexDisplayAScope*>(aScopes_[channel].display)) {
                    strip->SetPixelForm(true, static_cast<std::int16_t>(channel));
                }
            }
        } else if (std::strcmp(name, kGraphTemp) == 0) {
            MakeDisplay(temperature_, data);
        } else if (std::strcmp(name, kGraphDepth) == 0) {
            MakeDisplay(depth_, data);
        }
    }
    Layout(client.right, client.bottom);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return true;
}

void PlotrexViewPixel::MakeDisplay(Slot& slot, PlotrexData* data) {
    if (slot.display != nullptr) {
        return;
    }
    // The graph answers commands even when it made no display.
    slot = Slot{data->CreateDisplay(), data};
}

void PlotrexViewPixel::Load(Serializater& s) {
    if (PlotrexDisplay* first = aScopes_[0].display) {
        first->Load(s);
        if (PlotrexDisplay* second = aScopes_[1].display) {
            second->SetVisible(first->IsVisible());
        }
    }
    if (temperature_.display != nullptr) {
        temperature_.display->Load(s);
    }
}

void PlotrexViewPixel::Save(Serializater& s) {
    if (aScopes_[0].display != nullptr) {
        aScopes_[0].display->Save(s);
    }
    if (temperature_.display != nullptr) {
        temperature_.display->Save(s);
    }
}

void PlotrexViewPixel::Shutdown() {
    for (Slot* slot :
         {&echograms_[0], &echograms_[1], &aScopes_[0], &aScopes_[1], &temperature_, &depth_}) {
        if (slot->display != nullptr) {
            slot->owner->DeleteDisplay(slot->display);
        }
        *slot = Slot{};
    }
    // The organizers draw on the device: they go first.
    first_.reset();
    second_.reset();
    device_.reset();
}

void PlotrexViewPixel::RebuildEchogramColours() {
    for (const Slot& slot : echograms_) {
        if (auto* pane = dynamic_cast<PlotrexDisplayETR*>(slot.display)) {
            pane->RebuildColours();
        }
    }
}

void PlotrexViewPixel::Layout(int cx, int cy) {
    if (deviceManager_ == nullptr) {
        return;
    }
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    if (!GetEtrModeManager().HasSecondPane()) {
        firstArea_ = RECT{0, 0, cx, cy};
        secondArea_ = RECT{0, 0, 0, 0};
    } else if (cx > cy) {
        sideBySide_ = true;
        secondArea_ = RECT{0, 0, cx / 2, cy};
        firstArea_ = RECT{cx / 2, 0, cx / 2 + cx / 2, cy};
    } else {
        sideBySide_ = false;
        firstArea_ = RECT{0, 0, cx, cy / 2};
        secondArea_ = RECT{0, cy / 2, cx, cy / 2 + cy / 2};
    }
    if (first_ == nullptr) {
        first_ = std::make_unique<PlotrexOrganizerPixel>(device_.get(), this, 0);
    }
    if (!SameRect(first_->GetArea(), firstArea_)) {
        first_->SetArea(firstArea_.left, firstArea_.top, firstArea_.right, firstArea_.bottom);
    }
    if (IsEmptyArea(secondArea_)) {
        second_.reset();
        return;
    }
    if (second_ == nullptr) {
        second_ = std::make_unique<PlotrexOrganizerPixel>(device_.get(), this, 0);
    }
    if (!SameRect(second_->GetArea(), secondArea_)) {
        second_->SetArea(secondArea_.left, secondArea_.top, secondArea_.right, secondArea_.bottom);
    }
}

LRESULT PlotrexViewPixel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto result = CommandDispatch::Dispatch(commands_, message, wParam, lParam)) {
        return *result;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

template <typename Ask>
std::int32_t PlotrexViewPixel::AskGraphs(Ask ask) {
    for (const Slot* slot : {&echograms_[0], &aScopes_[0], &temperature_}) {
        if (slot->owner != nullptr) {
            if (const std::int32_t result = ask(*slot->owner)) {
                return result;
            }
        }
    }
    return 0;
}

std::int32_t PlotrexViewPixel::Commands::ExecuteCommand(const char* command, const char* argument) {
    std::int32_t result = 0;
    if (std::strcmp(command, kCommandShowHide) == 0) {
        const char* graph = argument != nullptr ? argument : "";
        if (std::strcmp(graph, kGraphAScope) == 0 && view_.aScopes_[0].display != nullptr) {
            const bool shown =
                view_.aScopes_[0].display->SetVisible(!view_.aScopes_[0].display->IsVisible());
            if (view_.aScopes_[1].display != nullptr) {
                view_.aScopes_[1].display->SetVisible(shown);
            }
            result = 1;
        } else if (std::strcmp(graph, kGraphTemp) == 0 && view_.temperature_.display != nullptr) {
            view_.temperature_.display->SetVisible(!view_.temperature_.display->IsVisible());
            result = 1;
        } else if (std::strcmp(graph, kGraphColourBar) == 0) {
            result = view_.AskGraphs(
                [&](PlotrexData& data) { return data.ExecuteCommand(command, argument); });
        }
    } else {
        result = view_.AskGraphs(
            [&](PlotrexData& data) { return data.ExecuteCommand(command, argument); });
    }
    if (result != 0) {
        // A command may change what the panes show in ways their kept
        // pictures cannot tell; the frame after one is drawn whole.
        for (const Slot& slot : view_.echograms_) {
            if (auto* pane = dynamic_cast<PlotrexDisplayETR*>(slot.display)) {
                pane->RedrawInFull();
            }
        }
        view_.Invalidate(TRUE);
    }
    return result;
}

std::int32_t PlotrexViewPixel::Commands::GetCommandState(const char* command, CommandState* state) {
    if (state == nullptr) {
        return 0;
    }
    const bool colourBar =
        state->argument != nullptr && std::strcmp(state->argument, kGraphColourBar) == 0;
    if (std::strcmp(command, kCommandShowHide) != 0 || colourBar) {
        return view_.AskGraphs(
            [&](PlotrexData& data) { return data.GetCommandState(command, state); });
    }
    const char* graph = state->argument != nullptr ? state->argument : "";
    PlotrexDisplay* display = nullptr;
    if (std::strcmp(graph, kGraphAScope) == 0) {
        display = view_.aScopes_[0].display;
    } else if (std::strcmp(graph, kGraphTemp) == 0) {
        display = view_.temperature_.display;
    }
    state->enabled = display != nullptr;
    state->checked = display != nullptr && display->IsVisible();
    return 1;
}

LRESULT PlotrexViewPixel::OnEraseBkgnd(WPARAM, LPARAM) {
    // The device's frame covers the whole window.
    return 1;
}

void PlotrexViewPixel::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (device_ != nullptr) {
        device_->Resize(SIZE{std::max(cx, kMinSurface), std::max(cy, kMinSurface)});
    }
    Layout(cx, cy);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void PlotrexViewPixel::OnTimer(UINT_PTR id) {
    if (id == kRepaintTimer) {
        Invalidate(TRUE);
        return;
    }
    CWnd::OnTimer(id);
}

void PlotrexViewPixel::OnPaint() {
    CPaintScope paint(this);
    if (device_ == nullptr || styles_ == nullptr) {
        return;
    }
    ClearFrame(*device_, kClearColour);
    // The sounder may have changed its panes since the last paint.
    RECT client{};
    GetClientRect(&client);
    Layout(client.right, client.bottom);

    IDirect3DDevice9* d3d = device_->GetD3DDevice();
    D3DVIEWPORT9 whole{};
    const bool viewports = d3d != nullptr && d3d->GetViewport(&whole) == D3D_OK;
    auto drawArea = [&](PlotrexOrganizerPixel& organizer, int channel) {
        D3DVIEWPORT9 viewport{};
        if (viewports && AreaViewport(d3d, organizer.GetArea(), viewport)) {
            d3d->SetViewport(&viewport);
        }
        organizer.Draw(echograms_[channel].display, aScopes_[channel].display, styles_);
    };
    // The temperature curve lies over the first area's echogram.
    bool temperature = false;
    if (first_ != nullptr) {
        drawArea(*first_, 0);
        temperature = DrawTemperature();
    }
    if (second_ != nullptr) {
        drawArea(*second_, 1);
    }
    if (viewports) {
        d3d->SetViewport(&whole);
    }
    DrawDecorations(temperature);
    device_->Present(POINT{0, 0});
}

bool PlotrexViewPixel::DrawTemperature() {
    PlotrexDisplay* display = temperature_.display;
    auto* profile = dynamic_cast<PlotrexDataProfile*>(temperature_.owner);
    if (display == nullptr || profile == nullptr || !display->IsVisible()) {
        return false;
    }
    const ProfileSeries* series = profile->GetSeries();
    if (series->GetCount() == 0) {
        return false;
    }
    double low = 0.0;
    double high = 0.0;
    bool any = false;
    for (int i = 0; i < series->GetCount(); ++i) {
        const double value = series->At(i).value;
        if (IsUndefined(value) || !std::isfinite(value)) {
            continue;
        }
        low = any ? std::min(low, value) : value;
        high = any ? std::max(high, value) : value;
        any = true;
    }
    const double last = series->At(series->GetCount() - 1).distance;
    if (!any || IsUndefined(last) || !std::isfinite(last)) {
        return false;
    }
    const RECT area = firstArea_;
    temperatureProjection_.scale = kDegreesPerPixel;
    temperatureProjection_.origin = kTopTemperature;
    temperatureProjection_.multiplier = 1.0;
    // The newest temperature at the left edge of the A-scope strip.
    LinearPixelProjection track(false);
    track.scale = kTrackPerPixel;
    track.multiplier = 1.0;
    track.origin = 0.0;
    track.SetOriginAt(last, area.right - PlotrexOrganizerPixel::StripWidth(aScopes_[0].display));
    if (!temperatureProjection_.FitTwoPoints(area.top, area.bottom, low - kTemperatureRoom,
                                             high + kTemperatureRoom)) {
        return false;
    }
    for (short layer = 0; layer < display->GetLayerCount(); ++layer) {
        display->Draw(layer, device_.get(), area, track, temperatureProjection_, styles_);
    }
    return true;
}

void PlotrexViewPixel::DrawDecorations(bool temperatureShown) {
    DeviceGraphics graphics(device_.get());
    if (!graphics.CanDraw()) {
        return;
    }
    COLORREF grid = 0;
    styles_->GetColour(kGridColour, &grid);
    DecorateArea(graphics, grid, firstArea_, 0, temperatureShown);
    if (second_ != nullptr) {
        DecorateArea(graphics, grid, secondArea_, 1, false);
        PixelViewDecorations::DrawSeparator(graphics, firstArea_, secondArea_, sideBySide_);
    }
}

void PlotrexViewPixel::DecorateArea(DeviceGraphics& graphics, COLORREF grid, const RECT& area,
                                    int channel, bool withTemperature) {
    if (IsEmptyArea(area)) {
        return;
    }
    const int right =
        area.right - PlotrexOrganizerPixel::StripWidth(aScopes_[channel].display) - kGap;
    const PixelViewDecorations::ScaleStyle temperatureStyle{GenData::kKindTemperature, grid, false,
                                                            false};
    int left = area.left + kGap;
    if (withTemperature) {
        const RECT box = PixelViewDecorations::AreaScaleBox(graphics, area, temperatureProjection_,
                                                            temperatureStyle, area.left + kGap);
        left = std::max<int>(left, box.right + kGap);
    }
    std::vector<std::string> entries;
    for (PlotrexDisplay* display : {echograms_[channel].display, aScopes_[channel].display,
                                    withTemperature ? temperature_.display : nullptr}) {
        std::string entry;
        if (display != nullptr && display->IsVisible() && display->GetLegendEntry(entry)) {
            entries.push_back(std::move(entry));
        }
    }
    // The depths give way to the legend, which tells the mode and the temperature.
    std::vector<LabelBox> legend;
    const LabelBox legendBox =
        PixelViewDecorations::AreaLegendBox(graphics, area, entries, left, right);
    if (!legendBox.IsEmpty()) {
        legend.push_back(legendBox);
    }
    // The depth scale reads the window of the channel's last sweep.
    const auto [top, bottom] = GetDepthWindow(static_cast<std::int16_t>(channel));
    LinearPixelProjection depth(true);
    if (depth.FitTwoPoints(area.top, area.bottom, bottom, top)) {
        PixelViewDecorations::DrawAreaScale(
            graphics, area, depth,
            PixelViewDecorations::ScaleStyle{GenData::kKindDepth, grid, true, true}, right, legend);
    }
    if (withTemperature) {
        PixelViewDecorations::DrawAreaScale(graphics, area, temperatureProjection_,
                                            temperatureStyle, area.left + kGap);
    }
    PixelViewDecorations::DrawAreaLegend(graphics, area, entries, left, right);
}

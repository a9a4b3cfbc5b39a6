#include "echo/EtrStrip.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "direct3d/d3d9.h"
#include "drawing/VexanDevice.h"
#include "drawing/VexanDeviceDX9.h"
#include "echo/EtrTextureRing.h"
#include "platform/ComPtr.h"

namespace {

bool IsFinite(const EtrColumn& c) {
    return std::isfinite(c.x) && std::isfinite(c.top) && std::isfinite(c.bottom);
}

bool SameWindow(const EtrColumn& a, const EtrColumn& b) {
    return a.top == b.top && a.bottom == b.bottom;
}

EtrVertex MakeVertex(double x, double y, double u, double row, std::uint32_t colour) {
    const double v = row / EtrTextureRing::kRows;
    return EtrVertex{static_cast<float>(x), static_cast<float>(y), 0.5f, 1.0f, colour,
                     static_cast<float>(u), static_cast<float>(v)};
}

// One strip of the columns first..last (at least two): the first column shows
// the texture row of the second, the last keeps the window of the one before.
std::vector<EtrVertex> MakeStrip(const std::vector<EtrColumn>& columns,
                                 const std::vector<double>& rows, std::size_t first,
                                 std::size_t last, std::uint32_t colour) {
    std::vector<EtrVertex> strip;
    strip.reserve(2 * (last - first + 1));
    for (std::size_t j = first; j <= last; ++j) {
        const EtrColumn& c = columns[j];
        const EtrColumn& window = j == last ? columns[j - 1] : c;
        const double row = j == first ? rows[first + 1] : rows[j];
        const double u = static_cast<double>(std::min(c.sampleCount, EtrTextureRing::kColumns)) /
                         EtrTextureRing::kColumns;
        strip.push_back(MakeVertex(c.x, window.top, 0.0, row, colour));
        strip.push_back(MakeVertex(c.x, window.bottom, u, row, colour));
    }
    return strip;
}

// The strips of one unbroken stretch of finite columns.
void AddStrips(const std::vector<EtrColumn>& columns, std::size_t begin, std::size_t end,
               std::uint32_t colour, std::vector<std::vector<EtrVertex>>& strips) {
    if (end - begin < 2) {
        return;
    }
    // Where the rows wrap from the last back to row 0, the rows go on past the
    // texture's end, which the sampler wraps: the step between the two sweeps
    // is one row as anywhere else, not the whole texture backwards.
    std::vector<double> rows(columns.size());
    double wraps = 0.0;
    for (std::size_t j = begin; j < end; ++j) {
        if (j > begin && columns[j].row < columns[j - 1].row) {
            wraps += EtrTextureRing::kRows;
        }
        rows[j] = columns[j].row + wraps;
    }
    std::size_t start = begin;
    for (std::size_t j = begin + 1; j < end; ++j) {
        if (j == end - 1 || !SameWindow(columns[j], columns[j - 1])) {
            strips.push_back(MakeStrip(columns, rows, start, j, colour));
            start = j;
        }
    }
}

}  // namespace

std::vector<std::vector<EtrVertex>> BuildStrips(const std::vector<EtrColumn>& columns, int width,
                                                BYTE opacity) {
    std::vector<std::vector<EtrVertex>> strips;
    if (columns.size() < 2) {
        return strips;
    }
    // The columns on the surface, and one beyond each side.
    std::size_t from = 0;
    std::size_t to = columns.size() - 1;
    for (std::size_t j = 0; j < columns.size(); ++j) {
        if (columns[j].x < 0) {
            from = j;
        }
    }
    for (std::size_t j = from; j < columns.size(); ++j) {
        if (columns[j].x > width) {
            to = j;
            break;
        }
    }
    const std::uint32_t colour = (static_cast<std::uint32_t>(opacity) << 24) | 0xFFFFFFu;
    std::size_t begin = from;
    for (std::size_t j = from; j <= to + 1; ++j) {
        if (j == to + 1 || !IsFinite(columns[j])) {
            AddStrips(columns, begin, j, colour, strips);
            begin = j + 1;
        }
    }
    return strips;
}

namespace {

// Texels times the strip's colour, alpha-blended over the frame, sampled
// bilinearly; the sampler's filters as they were are returned for restoring.
std::pair<DWORD, DWORD> SetEchogramStates(IDirect3DDevice9* d3d) {
    d3d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d3d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d3d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d3d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d3d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    d3d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    DWORD minFilter = D3DTEXF_POINT;
    DWORD magFilter = D3DTEXF_POINT;
    d3d->GetSamplerState(0, D3DSAMP_MINFILTER, &minFilter);
    d3d->GetSamplerState(0, D3DSAMP_MAGFILTER, &magFilter);
    d3d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d3d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d3d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d3d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d3d->SetFVF(kEtrVertexFormat);
    return {minFilter, magFilter};
}

// Whether any of the strip lies between fromX and toX.
bool Spans(const std::vector<EtrVertex>& strip, double fromX, double toX) {
    const auto [low, high] =
        std::minmax_element(strip.begin(), strip.end(),
                            [](const EtrVertex& a, const EtrVertex& b) { return a.x < b.x; });
    return high->x >= fromX && low->x <= toX;
}

// All strips in one vertex buffer, each drawn from where it starts in it: a
// buffer per strip cost more than the drawing when every sweep has a window
// of its own. Nothing is drawn when the buffer cannot be had.
void DrawStripsFromOneBuffer(IDirect3DDevice9* d3d,
                             const std::vector<const std::vector<EtrVertex>*>& strips) {
    std::size_t count = 0;
    for (const std::vector<EtrVertex>* strip : strips) {
        count += strip->size();
    }
    if (count == 0) {
        return;
    }
    const UINT bytes = static_cast<UINT>(count * sizeof(EtrVertex));
    ComPtr<IDirect3DVertexBuffer9> buffer;
    void* data = nullptr;
    if (FAILED(d3d->CreateVertexBuffer(bytes, 0, kEtrVertexFormat, D3DPOOL_DEFAULT, buffer.Put(),
                                       nullptr)) ||
        !buffer || FAILED(buffer->Lock(0, bytes, &data, 0))) {
        return;
    }
    auto* to = static_cast<EtrVertex*>(data);
    for (const std::vector<EtrVertex>* strip : strips) {
        to = std::copy(strip->begin(), strip->end(), to);
    }
    buffer->Unlock();
    d3d->SetStreamSource(0, buffer.Get(), 0, sizeof(EtrVertex));
    UINT start = 0;
    for (const std::vector<EtrVertex>* strip : strips) {
        d3d->DrawPrimitive(D3DPT_TRIANGLESTRIP, start, static_cast<UINT>(strip->size() - 2));
        start += static_cast<UINT>(strip->size());
    }
}

}  // namespace

bool DrawStrips(VexanDevice* device, IDirect3DTexture9* texture,
                const std::vector<EtrColumn>& columns, BYTE opacity, double fromX, double toX) {
    IDirect3DDevice9* d3d = device != nullptr ? device->GetD3DDevice() : nullptr;
    if (d3d == nullptr) {
        return false;
    }
    auto* dx9 = dynamic_cast<VexanDeviceDX9*>(device);
    // Direct3D may not draw while the back buffer's context is out.
    if (dx9 != nullptr) {
        dx9->ReleaseDC();
    }
    const std::vector<std::vector<EtrVertex>> strips =
        BuildStrips(columns, device->GetSize().cx, opacity);

    d3d->BeginScene();
    const auto [minFilter, magFilter] = SetEchogramStates(d3d);
    const bool textureSet = SUCCEEDED(d3d->SetTexture(0, texture));
    std::vector<const std::vector<EtrVertex>*> shown;
    for (const std::vector<EtrVertex>& strip : strips) {
        if (Spans(strip, fromX, toX)) {
            shown.push_back(&strip);
        }
    }
    DrawStripsFromOneBuffer(d3d, shown);
    // Nothing of the echogram stays bound to the device.
    d3d->SetStreamSource(0, nullptr, 0, 0);
    d3d->SetTexture(0, nullptr);

    const bool restored = SUCCEEDED(d3d->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter)) &&
                          SUCCEEDED(d3d->SetSamplerState(0, D3DSAMP_MAGFILTER, magFilter));
    d3d->EndScene();
    if (dx9 != nullptr) {
        dx9->ReleaseDC();
    }
    return textureSet && restored;
}

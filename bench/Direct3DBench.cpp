// The echogram's drawing through the software Direct3D, against a plain copy
// of one 1920 x 1080 frame: a 1024 x 1024 texture drawn as a strip of 1024
// columns over 1600 x 1000 pixels at opacity 220, and the upload of one row.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "bench/FrameCopy.h"
#include "direct3d/d3d9.h"
#include "platform/HeadlessDesktop.h"

namespace {

constexpr int kFrameWidth = 1920;
constexpr int kFrameHeight = 1080;
constexpr int kTexels = 1024;

struct Vertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};

// A desktop, a device with a frame-sized back buffer and the echogram's
// texture, filled with noise.
class EchogramScene {
  public:
    EchogramScene() {
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = kFrameWidth;
        p.BackBufferHeight = kFrameHeight;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.Windowed = TRUE;
        p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktop_.GetDesktopWindow(), 0x22, &p, &device_);
        device_->CreateTexture(kTexels, kTexels, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_,
                               nullptr);
        D3DLOCKED_RECT locked;
        texture_->LockRect(0, &locked, nullptr, 0);
        std::mt19937 random(1);
        for (int y = 0; y < kTexels; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                         y * locked.Pitch);
            for (int x = 0; x < kTexels; ++x) {
                row[x] = 0xFF000000u | (random() & 0xFFFFFF);
            }
        }
        texture_->UnlockRect(0);
        // 1024 columns over x 100..1700, samples over y 40..1040.
        for (int i = 0; i < kTexels; ++i) {
            const float x = 100.0f + 1600.0f * static_cast<float>(i) / (kTexels - 1);
            const float v = static_cast<float>(i == 0 ? 1 : i) / kTexels;
            strip_.push_back(Vertex{x, 40, 0.5f, 1, 0xDCFFFFFFu, 0, v});
            strip_.push_back(Vertex{x, 1040, 0.5f, 1, 0xDCFFFFFFu, 1, v});
        }
    }
    ~EchogramScene() {
        texture_->Release();
        device_->Release();
        d3d_->Release();
    }
    EchogramScene(const EchogramScene&) = delete;
    EchogramScene& operator=(const EchogramScene&) = delete;

    IDirect3DTexture9* Texture() const { return texture_; }

    // What the echogram does for one strip of columns.
    void Draw(DWORD filter, const Vertex* vertices, UINT count) {
        DrawRuns(filter, vertices, count, count);
    }
    // What it does for strips of runLength vertices each, one after the other
    // in one buffer: a draw per strip.
    void DrawRuns(DWORD filter, const Vertex* vertices, UINT count, UINT runLength) {
        device_->BeginScene();
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetFVF(0x144);
        device_->SetTexture(0, texture_);
        IDirect3DVertexBuffer9* buffer = nullptr;
        device_->CreateVertexBuffer(count * sizeof(Vertex), 0, 0x144, D3DPOOL_DEFAULT, &buffer,
                                    nullptr);
        void* data = nullptr;
        buffer->Lock(0, 0, &data, 0);
        std::memcpy(data, vertices, count * sizeof(Vertex));
        buffer->Unlock();
        device_->SetStreamSource(0, buffer, 0, sizeof(Vertex));
        for (UINT first = 0; first + runLength <= count; first += runLength) {
            device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, first, runLength - 2);
        }
        device_->SetStreamSource(0, nullptr, 0, 0);
        buffer->Release();
        device_->EndScene();
    }
    void DrawStrip(DWORD filter) { Draw(filter, strip_.data(), static_cast<UINT>(strip_.size())); }

    // Locks one row, writes its samples and unlocks it.
    void UploadRow(int row, std::uint32_t value) {
        const RECT r{0, row, kTexels, row + 1};
        D3DLOCKED_RECT locked;
        texture_->LockRect(0, &locked, &r, 0);
        auto* texels = static_cast<std::uint32_t*>(locked.pBits);
        for (int x = 0; x < kTexels; ++x) {
            texels[x] = value + static_cast<std::uint32_t>(x);
        }
        texture_->UnlockRect(0);
    }

  private:
    HeadlessDesktop desktop_;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DTexture9* texture_ = nullptr;
    std::vector<Vertex> strip_;
};

void FrameMemcpy(benchmark::State& state) {
    std::vector<std::uint32_t> from(kFrameWidth * kFrameHeight, 0x123456u);
    std::vector<std::uint32_t> to(kFrameWidth * kFrameHeight);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FrameMemcpy)->Unit(benchmark::kMillisecond);

// The ratio of the mean time an iteration took to a frame copy from memory.
void ReportFrameCopyRatio(benchmark::State& state, double seconds) {
    const double frameMs = 1000.0 * seconds / static_cast<double>(state.iterations());
    state.counters["frame_copy_ms"] = benchframe::FrameCopyFromMemoryMs();
    state.counters["x_frame_copy"] = frameMs / state.counters["frame_copy_ms"];
}

// Every column drawn afresh: the strip is always a full frame's work (the
// pane's steady frames are in frames_bench).
void EchogramStripFull(benchmark::State& state, DWORD filter) {
    EchogramScene scene;
    scene.DrawStrip(filter);  // builds the texture's sampling copy
    const double start = benchframe::ThreadSeconds();
    for (auto _ : state) {
        scene.DrawStrip(filter);
    }
    ReportFrameCopyRatio(state, benchframe::ThreadSeconds() - start);
}
BENCHMARK_CAPTURE(EchogramStripFull, Point, D3DTEXF_POINT)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EchogramStripFull, Linear, D3DTEXF_LINEAR)->Unit(benchmark::kMillisecond);

// Every column at its own depth window, as in bottom lock: the echogram then
// draws each pair of neighbouring columns as a run of its own, the first
// column with the texture row of the second and the second with the window
// of the first, all runs from one vertex buffer in one scene.
void EchogramStripVaryingWindowsFull(benchmark::State& state) {
    EchogramScene scene;
    std::vector<Vertex> columns;
    for (int i = 0; i < kTexels; ++i) {
        const float x = 100.0f + 1600.0f * static_cast<float>(i) / (kTexels - 1);
        const float v = static_cast<float>(i == 0 ? 1 : i) / kTexels;
        const auto shift = static_cast<float>(i % 7);
        columns.push_back(Vertex{x, 40 + shift, 0.5f, 1, 0xDCFFFFFFu, 0, v});
        columns.push_back(Vertex{x, 1030 + shift, 0.5f, 1, 0xDCFFFFFFu, 1, v});
    }
    std::vector<Vertex> runs;
    for (int i = 0; i + 1 < kTexels; ++i) {
        Vertex run[4] = {columns[2 * i], columns[2 * i + 1], columns[2 * i + 2],
                         columns[2 * i + 3]};
        run[0].v = run[1].v = run[2].v;
        run[2].y = run[0].y;
        run[3].y = run[1].y;
        runs.insert(runs.end(), run, run + 4);
    }
    const auto filter = static_cast<DWORD>(state.range(0));
    const double start = benchframe::ThreadSeconds();
    for (auto _ : state) {
        scene.DrawRuns(filter, runs.data(), static_cast<UINT>(runs.size()), 4);
    }
    ReportFrameCopyRatio(state, benchframe::ThreadSeconds() - start);
}
BENCHMARK(EchogramStripVaryingWindowsFull)
    ->Arg(D3DTEXF_POINT)
    ->Arg(D3DTEXF_LINEAR)
    ->Unit(benchmark::kMillisecond);

void RowUpload(benchmark::State& state) {
    EchogramScene scene;
    scene.DrawStrip(D3DTEXF_POINT);
    int row = 0;
    for (auto _ : state) {
        scene.UploadRow(row, 0xFF000000u);
        row = (row + 1) % kTexels;
    }
}
BENCHMARK(RowUpload)->Unit(benchmark::kMicrosecond);

// The part of an upload deferred to the next draw: the row reaches the
// transposed copy that strips sample. Drawn as a two-column strip of a few
// pixels, so that the draw itself costs little.
void RowUploadWithRefresh(benchmark::State& state) {
    EchogramScene scene;
    scene.DrawStrip(D3DTEXF_POINT);
    const Vertex tiny[] = {{10, 10, 0.5f, 1, 0xDCFFFFFFu, 0, 0},
                           {10, 12, 0.5f, 1, 0xDCFFFFFFu, 1, 0},
                           {12, 10, 0.5f, 1, 0xDCFFFFFFu, 0, 1.0f / kTexels},
                           {12, 12, 0.5f, 1, 0xDCFFFFFFu, 1, 1.0f / kTexels}};
    int row = 0;
    for (auto _ : state) {
        scene.UploadRow(row, 0xFF000000u);
        scene.Draw(D3DTEXF_POINT, tiny, 4);
        row = (row + 1) % kTexels;
    }
}
BENCHMARK(RowUploadWithRefresh)->Unit(benchmark::kMicrosecond);

}  // namespace

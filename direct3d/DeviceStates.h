#pragma once
// The render, texture stage and sampler states of a software device. They
// start at Direct3D's defaults but for culling, which starts off; every
// state is kept, and only those DrawState can express are drawn with.
#include <array>

#include "direct3d/DrawState.h"
#include "direct3d/d3d9types.h"

namespace d3d9soft {

class DeviceStates {
  public:
    static constexpr int kStages = 8;
    static constexpr int kSamplers = 16;

    DeviceStates() { SetDefaults(); }

    void SetDefaults();

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) const;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) const;

    // The draw's blending, combiner and filters (its texture is the caller's
    // to fill in), or false when the device cannot draw with these states.
    bool Resolve(DrawState* state) const;

  private:
    std::array<DWORD, 256> render_{};
    std::array<std::array<DWORD, 33>, kStages> stages_{};
    std::array<std::array<DWORD, 14>, kSamplers> samplers_{};
};

}  // namespace d3d9soft

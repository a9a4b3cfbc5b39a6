#include "direct3d/DeviceStates.h"

namespace d3d9soft {

namespace {

// Adds the texture or the diffuse colour named by a stage argument.
bool AddArgument(DWORD argument, bool& texture, bool& diffuse) {
    bool& flag = argument == D3DTA_TEXTURE ? texture : diffuse;
    if ((argument != D3DTA_TEXTURE && argument != D3DTA_DIFFUSE && argument != D3DTA_CURRENT) ||
        flag) {
        return false;
    }
    flag = true;
    return true;
}

bool AddOperation(DWORD op, DWORD arg1, DWORD arg2, bool& texture, bool& diffuse) {
    switch (op) {
        case D3DTOP_DISABLE:
            diffuse = true;
            return true;
        case D3DTOP_SELECTARG1:
            return AddArgument(arg1, texture, diffuse);
        case D3DTOP_SELECTARG2:
            return AddArgument(arg2, texture, diffuse);
        case D3DTOP_MODULATE:
            return AddArgument(arg1, texture, diffuse) && AddArgument(arg2, texture, diffuse);
        default:
            return false;
    }
}

bool SupportedBlend(DWORD factor) {
    return factor >= D3DBLEND_ZERO && factor <= D3DBLEND_INVSRCALPHA;
}

Filter ToFilter(DWORD value) {
    return value == D3DTEXF_POINT ? Filter::kPoint : Filter::kLinear;
}

}  // namespace

void DeviceStates::SetDefaults() {
    render_.fill(0);
    render_[D3DRS_ZENABLE] = FALSE;
    render_[D3DRS_FILLMODE] = 3;   // D3DFILL_SOLID
    render_[D3DRS_SHADEMODE] = 2;  // D3DSHADE_GOURAUD
    render_[D3DRS_ZWRITEENABLE] = TRUE;
    render_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    render_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    render_[D3DRS_CULLMODE] = D3DCULL_NONE;
    render_[D3DRS_LIGHTING] = TRUE;
    render_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    for (int stage = 0; stage < kStages; ++stage) {
        auto& s = stages_[stage];
        s.fill(0);
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(stage);
    }
    for (auto& s : samplers_) {
        s.fill(0);
        s[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        s[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        s[3] = D3DTADDRESS_WRAP;  // D3DSAMP_ADDRESSW
        s[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        s[10] = 1;  // D3DSAMP_MAXANISOTROPY
    }
}

HRESULT DeviceStates::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= render_.size()) {
        return D3DERR_INVALIDCALL;
    }
    render_[state] = value;
    return D3D_OK;
}

HRESULT DeviceStates::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const {
    if (state >= render_.size() || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = render_[state];
    return D3D_OK;
}

HRESULT DeviceStates::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                           DWORD value) {
    if (stage >= kStages || type >= stages_[0].size()) {
        return D3DERR_INVALIDCALL;
    }
    stages_[stage][type] = value;
    return D3D_OK;
}

HRESULT DeviceStates::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                           DWORD* value) const {
    if (stage >= kStages || type >= stages_[0].size() || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = stages_[stage][type];
    return D3D_OK;
}

HRESULT DeviceStates::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler >= kSamplers || type >= samplers_[0].size()) {
        return D3DERR_INVALIDCALL;
    }
    samplers_[sampler][type] = value;
    return D3D_OK;
}

HRESULT DeviceStates::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) const {
    if (sampler >= kSamplers || type >= samplers_[0].size() || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = samplers_[sampler][type];
    return D3D_OK;
}

bool DeviceStates::Resolve(DrawState* state) const {
    const auto& rs = render_;
    const auto& stage0 = stages_[0];
    const auto& sampler0 = samplers_[0];
    if (rs[D3DRS_FILLMODE] != 3 || rs[D3DRS_SHADEMODE] != 2 || rs[D3DRS_ALPHATESTENABLE] ||
        rs[D3DRS_BLENDOP] != D3DBLENDOP_ADD || !SupportedBlend(rs[D3DRS_SRCBLEND]) ||
        !SupportedBlend(rs[D3DRS_DESTBLEND]) || rs[D3DRS_CULLMODE] < D3DCULL_NONE ||
        rs[D3DRS_CULLMODE] > D3DCULL_CCW || stages_[1][D3DTSS_COLOROP] != D3DTOP_DISABLE ||
        stage0[D3DTSS_TEXCOORDINDEX] != 0 || sampler0[D3DSAMP_ADDRESSU] != D3DTADDRESS_WRAP ||
        sampler0[D3DSAMP_ADDRESSV] != D3DTADDRESS_WRAP ||
        sampler0[D3DSAMP_MINFILTER] == D3DTEXF_NONE ||
        sampler0[D3DSAMP_MAGFILTER] == D3DTEXF_NONE) {
        return false;
    }
    Combiner& c = state->combiner;
    if (stage0[D3DTSS_COLOROP] == D3DTOP_DISABLE) {
        c.colourDiffuse = c.alphaDiffuse = true;
    } else if (!AddOperation(stage0[D3DTSS_COLOROP], stage0[D3DTSS_COLORARG1],
                             stage0[D3DTSS_COLORARG2], c.colourTexture, c.colourDiffuse) ||
               !AddOperation(stage0[D3DTSS_ALPHAOP], stage0[D3DTSS_ALPHAARG1],
                             stage0[D3DTSS_ALPHAARG2], c.alphaTexture, c.alphaDiffuse)) {
        return false;
    }
    state->blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
    state->srcBlend = rs[D3DRS_SRCBLEND];
    state->destBlend = rs[D3DRS_DESTBLEND];
    state->cull = rs[D3DRS_CULLMODE];
    state->minFilter = ToFilter(sampler0[D3DSAMP_MINFILTER]);
    state->magFilter = ToFilter(sampler0[D3DSAMP_MAGFILTER]);
    return true;
}

}  // namespace d3d9soft

#include "direct3d/PresentParameters.h"

#include <algorithm>

#include "direct3d/D3D9Sim.h"
#include "platform/Desktop.h"

namespace d3d9soft {

HRESULT CompletePresentParameters(D3DPRESENT_PARAMETERS& p, HWND focusWindow) {
    if (!p.Windowed) {
        return D3DERR_NOTAVAILABLE;
    }
    if (p.BackBufferFormat != D3DFMT_UNKNOWN && p.BackBufferFormat != D3DFMT_X8R8G8B8) {
        return D3DERR_NOTAVAILABLE;
    }
    if (p.BackBufferCount > 1 || p.MultiSampleType != D3DMULTISAMPLE_NONE ||
        p.EnableAutoDepthStencil) {
        return D3DERR_NOTAVAILABLE;
    }
    if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY) {
        return D3DERR_INVALIDCALL;
    }
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
        const HWND window = p.hDeviceWindow != nullptr ? p.hDeviceWindow : focusWindow;
        Desktop* desktop = GetCurrentDesktop();
        RECT client{};
        if (desktop == nullptr || !desktop->GetClientRect(window, &client)) {
            return D3DERR_INVALIDCALL;
        }
        if (p.BackBufferWidth == 0) {
            p.BackBufferWidth = static_cast<UINT>(std::max(0, client.right - client.left));
        }
        if (p.BackBufferHeight == 0) {
            p.BackBufferHeight = static_cast<UINT>(std::max(0, client.bottom - client.top));
        }
        if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
            return D3DERR_INVALIDCALL;
        }
    }
    const d3d9sim::Limits& limits = d3d9sim::GetLimits();
    if (p.BackBufferWidth > limits.maxBackBufferWidth ||
        p.BackBufferHeight > limits.maxBackBufferHeight) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    return D3D_OK;
}

bool IsWindowOrDesktop(HWND window) {
    Desktop* desktop = GetCurrentDesktop();
    return desktop != nullptr && window != nullptr &&
           (window == desktop->GetDesktopWindow() || desktop->IsWindow(window));
}

}  // namespace d3d9soft

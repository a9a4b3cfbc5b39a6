#include "drawing/ClearFrame.h"

#include <cstdint>

#include "direct3d/d3d9.h"
#include "drawing/Palette.h"
#include "drawing/VexanDeviceDX9.h"
#include "module/ModuleWideValues.h"
#include "platform/CDC.h"

void ClearFrame(VexanDevice& device, unsigned paletteIndex) {
    const std::uint32_t argb = PaletteColour(paletteIndex, gDayNightMode);
    if (IDirect3DDevice9* d3d = device.GetD3DDevice()) {
        // Direct3D may not touch the back buffer while its context is out.
        if (auto* dx9 = dynamic_cast<VexanDeviceDX9*>(&device)) {
            dx9->ReleaseDC();
        }
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET, argb | 0xFF000000u, 1.0f, 0);
        return;
    }
    if (CDC* dc = device.GetDC()) {
        const SIZE size = device.GetSize();
        dc->FillSolidRect(RECT{0, 0, size.cx, size.cy},
                          RGB(static_cast<BYTE>(argb >> 16), static_cast<BYTE>(argb >> 8),
                              static_cast<BYTE>(argb)));
    }
}

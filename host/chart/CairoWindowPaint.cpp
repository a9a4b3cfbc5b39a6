#include "host/chart/CairoWindowPaint.h"

#include <algorithm>
#include <cstdint>

#include "platform/CWnd.h"
#include "platform/CairoHandles.h"
#include "platform/Desktop.h"

void PaintWithCairo(CWnd& window,
                    const std::function<void(cairo_t*, int width, int height)>& paint) {
    CPaintScope scope(&window);
    RECT client{};
    window.GetClientRect(&client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    Desktop* desktop = GetCurrentDesktop();
    if (width <= 0 || height <= 0 || desktop == nullptr) {
        return;
    }
    // Drawn straight into the window's pixels: an image of our own would be
    // one more copy of the window. They start black, as a new image does.
    const WindowSurface target = desktop->GetWindowSurface(window.GetSafeHwnd());
    if (target.pixels == nullptr || target.width != width || target.height != height ||
        target.stride != cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width)) {
        return;
    }
    std::fill_n(target.pixels, static_cast<std::size_t>(target.stride / 4) * height, 0u);
    const CairoSurfacePtr surface(
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(target.pixels),
                                            CAIRO_FORMAT_RGB24, width, height, target.stride));
    const CairoPtr cr(cairo_create(surface.get()));
    paint(cr.get(), width, height);
    cairo_surface_flush(surface.get());
    desktop->PresentToWindow(window.GetSafeHwnd(), target.pixels, width, height, target.stride,
                             nullptr, nullptr);
}

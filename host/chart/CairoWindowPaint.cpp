#include "host/chart/CairoWindowPaint.h"

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
    const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    const CairoPtr cr(cairo_create(surface.get()));
    paint(cr.get(), width, height);
    cairo_surface_flush(surface.get());
    desktop->PresentToWindow(
        window.GetSafeHwnd(),
        reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface.get())), width,
        height, cairo_image_surface_get_stride(surface.get()), nullptr, nullptr);
}

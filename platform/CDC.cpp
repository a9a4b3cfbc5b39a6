#include "platform/CDC.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/SolidRows.h"

CDC::CDC(void* pixels, int width, int height, int stride, Format format) : format_(format) {
    if (pixels == nullptr || width <= 0 || height <= 0 || stride % 4 != 0 || stride / 4 < width) {
        return;
    }
    const cairo_format_t cairoFormat =
        format == Format::kArgb32 ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
    CairoSurfacePtr surface(cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(pixels), cairoFormat, width, height, stride));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return;
    }
    // The memory may already hold a picture: Cairo must not assume it is clear.
    cairo_surface_mark_dirty(surface.get());
    surface_ = std::move(surface);
    width_ = width;
    height_ = height;
}

CDC::~CDC() {
    Flush();
}

HDC CDC::GetSafeHdc() const {
    return surface_ != nullptr ? reinterpret_cast<HDC>(const_cast<CDC*>(this)) : nullptr;
}

CDC* CDC::FromHandle(HDC dc) {
    return reinterpret_cast<CDC*>(dc);
}

void CDC::FillSolidRect(const RECT& r, COLORREF colour) {
    FillSolidRect(r.left, r.top, r.right - r.left, r.bottom - r.top, colour);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
    if (surface_ == nullptr || cx <= 0 || cy <= 0) {
        return;
    }
    SolidRows* known = SolidRows::Of(surface_.get());
    const RECT r{std::max(x, 0), std::max(y, 0),
                 static_cast<LONG>(std::min<long>(long{x} + cx, width_)),
                 static_cast<LONG>(std::min<long>(long{y} + cy, height_))};
    const bool recorded = known != nullptr && r.right > r.left && r.bottom > r.top;
    CairoPtr cr(cairo_create(surface_.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr.get(), GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                         GetBValue(colour) / 255.0);
    // A recorded fill is written later, when its pixels are needed: only its
    // first pixel now, to learn the value the format stores.
    if (recorded) {
        cairo_rectangle(cr.get(), r.left, r.top, 1, 1);
    } else {
        cairo_rectangle(cr.get(), x, y, cx, cy);
    }
    cairo_fill(cr.get());
    if (recorded) {
        cairo_surface_flush(surface_.get());
        std::uint32_t word = 0;
        std::memcpy(&word,
                    cairo_image_surface_get_data(surface_.get()) +
                        r.top * cairo_image_surface_get_stride(surface_.get()) + 4 * r.left,
                    4);
        known->Fill(r, word, true);
    }
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
    if (surface_ == nullptr || source == nullptr || source->surface_ == nullptr || rop != SRCCOPY) {
        return FALSE;
    }
    if (width <= 0 || height <= 0) {
        return TRUE;
    }
    SolidRows::WritePending(source->surface_.get());
    cairo_surface_flush(source->surface_.get());
    SolidRows::Settle(surface_.get());
    CairoPtr cr(cairo_create(surface_.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), source->surface_.get(), x - xSrc, y - ySrc);
    // Pixels outside the source stay as they are, as with a copy from a
    // smaller bitmap.
    cairo_rectangle(cr.get(), x, y, width, height);
    cairo_clip(cr.get());
    cairo_rectangle(cr.get(), x - xSrc, y - ySrc, source->width_, source->height_);
    cairo_fill(cr.get());
    return cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS ? TRUE : FALSE;
}

COLORREF CDC::GetPixel(int x, int y) const {
    if (surface_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) {
        return CLR_INVALID;
    }
    SolidRows::WritePending(surface_.get());
    cairo_surface_flush(surface_.get());
    const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                               y * cairo_image_surface_get_stride(surface_.get());
    std::uint32_t word = 0;
    std::memcpy(&word, row + 4 * x, 4);
    unsigned r = (word >> 16) & 0xFF;
    unsigned g = (word >> 8) & 0xFF;
    unsigned b = word & 0xFF;
    const unsigned a = word >> 24;
    if (format_ == Format::kArgb32 && a != 0 && a != 255) {
        r = (r * 255 + a / 2) / a;
        g = (g * 255 + a / 2) / a;
        b = (b * 255 + a / 2) / a;
    }
    return RGB(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b));
}

void CDC::MarkDirty() {
    if (surface_ != nullptr) {
        SolidRows::Forget(surface_.get());
        cairo_surface_mark_dirty(surface_.get());
    }
}

void CDC::Flush() {
    if (surface_ != nullptr) {
        SolidRows::WritePending(surface_.get());
        cairo_surface_flush(surface_.get());
    }
}

#pragma once
// A GDI device context over 32-bit pixels that belong to someone else (a
// bitmap, a back buffer, a window's client area). The memory is Cairo's
// image layout: one 32-bit 0xAARRGGBB word per pixel in native byte order
// (bytes B, G, R, A in memory, as a Windows 32-bit DIB), rows `stride` bytes
// apart. The pixels must outlive the context.
#include "platform/CairoHandles.h"
#include "platform/WinTypes.h"

// The handle of a device context is the context itself.
using HDC = struct HDC__*;

#ifndef SRCCOPY
#define SRCCOPY 0x00CC0020
#endif
#ifndef CLR_INVALID
#define CLR_INVALID 0xFFFFFFFF
#endif

class CDC {
  public:
    enum class Format {
        // Opaque: the top byte is ignored (X8R8G8B8, a back buffer or a 24-bit bitmap).
        kXrgb32,
        // Premultiplied alpha (A8R8G8B8).
        kArgb32,
    };

    // A context on no pixels: every operation does nothing and reports failure.
    CDC() = default;
    // pixels: width x height words, stride bytes per row (a multiple of 4, at
    // least 4 * width). An invalid description gives a context on no pixels.
    CDC(void* pixels, int width, int height, int stride, Format format = Format::kXrgb32);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Null for a context on no pixels.
    HDC GetSafeHdc() const;
    // The context behind a handle from GetSafeHdc (null for null).
    static CDC* FromHandle(HDC dc);

    bool IsValid() const { return surface_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Format PixelFormat() const { return format_; }
    // The Cairo surface on the pixels, still owned by the context; null when
    // invalid. Drawing on it directly needs SolidRows::Settle first.
    cairo_surface_t* GetSurface() const { return surface_.get(); }

    // Fills the rectangle with the opaque colour, clipped to the pixels.
    void FillSolidRect(const RECT& r, COLORREF colour);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
    // Copies width x height pixels from (xSrc, ySrc) of source to (x, y).
    // Only SRCCOPY is supported; FALSE for any other operation, a null or
    // invalid source or an invalid destination.
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
    // The colour of a pixel (un-premultiplied), CLR_INVALID outside the pixels.
    COLORREF GetPixel(int x, int y) const;

    // Call after writing the pixels other than through this context, and
    // Flush before (Cairo caches what it knows about a surface, and a solid
    // fill may not be written yet: see SolidRows).
    void MarkDirty();
    // Call before reading or writing the pixels directly after drawing
    // through the context.
    void Flush();

  private:
    CairoSurfacePtr surface_;
    int width_ = 0;
    int height_ = 0;
    Format format_ = Format::kXrgb32;
};

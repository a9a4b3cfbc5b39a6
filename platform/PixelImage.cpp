#include "platform/PixelImage.h"

#include <algorithm>

#include "platform/CairoHandles.h"
#include "platform/PixelImageFile.h"

namespace {

// Index of the source pixel whose span holds the centre of destination pixel i.
int NearestSource(int i, int sourceStart, int sourceLength, int destinationLength) {
    const std::int64_t offset = ((2 * static_cast<std::int64_t>(i) + 1) * sourceLength) /
                                (2 * std::int64_t{destinationLength});
    return sourceStart + static_cast<int>(offset);
}

}  // namespace

void CopyScaled(const std::uint32_t* source, int sourceStride, const RECT& sourceRect,
                std::uint32_t* destination, int destinationStride, int destinationWidth,
                int destinationHeight, const RECT& destinationRect) {
    const int sw = sourceRect.right - sourceRect.left;
    const int sh = sourceRect.bottom - sourceRect.top;
    const int dw = destinationRect.right - destinationRect.left;
    const int dh = destinationRect.bottom - destinationRect.top;
    if (source == nullptr || destination == nullptr || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) {
        return;
    }
    const int x0 = std::max<int>(destinationRect.left, 0);
    const int x1 = std::min<int>(destinationRect.right, destinationWidth);
    const int y0 = std::max<int>(destinationRect.top, 0);
    const int y1 = std::min<int>(destinationRect.bottom, destinationHeight);
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    std::vector<int> columns(static_cast<size_t>(x1 - x0));
    for (int x = x0; x < x1; ++x) {
        columns[x - x0] = NearestSource(x - destinationRect.left, sourceRect.left, sw, dw);
    }
    const auto* sourceBytes = reinterpret_cast<const std::uint8_t*>(source);
    auto* destinationBytes = reinterpret_cast<std::uint8_t*>(destination);
    for (int y = y0; y < y1; ++y) {
        const int sy = NearestSource(y - destinationRect.top, sourceRect.top, sh, dh);
        const auto* from = reinterpret_cast<const std::uint32_t*>(
            sourceBytes + static_cast<std::ptrdiff_t>(sy) * sourceStride);
        auto* to = reinterpret_cast<std::uint32_t*>(
            destinationBytes + static_cast<std::ptrdiff_t>(y) * destinationStride);
        if (sw == dw) {
            std::copy_n(from + columns.front(), x1 - x0, to + x0);
            continue;
        }
        for (int x = x0; x < x1; ++x) {
            to[x] = from[columns[x - x0]];
        }
    }
}

bool SavePng(const PixelImage& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
        return false;
    }
    // RGB24 ignores the top byte, as the screen does.
    CairoSurfacePtr surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return false;
    }
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.height; ++y) {
        std::copy_n(
            image.Row(y), image.width,
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride));
    }
    cairo_surface_mark_dirty(surface.get());
    return static_cast<bool>(WritePngFile(surface.get(), path));
}

#include "platform/PixelImage.h"

#include <algorithm>

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
    return static_cast<bool>(WritePngRows(
        image.width, image.height,
        [&image](int first, int count, std::uint32_t* rows) {
            std::copy_n(image.Row(first), static_cast<size_t>(count) * image.width, rows);
        },
        path));
}

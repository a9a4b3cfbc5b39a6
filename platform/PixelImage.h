#pragma once
// A plain 32-bit image (0x00RRGGBB, top-down, rows without padding), the
// pixel copies a desktop makes into windows, and PNG output through Cairo.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    PixelImage() = default;
    PixelImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}
    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
    const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
};

// Copies the source rectangle of an image with rows of `sourceStride` bytes
// into the destination rectangle of another (rows of `destinationStride`
// bytes, `destinationWidth` x `destinationHeight` pixels), scaling with the
// nearest source pixel to each destination pixel centre. Destination pixels
// outside the destination image are skipped. The source rectangle must lie
// within its image.
void CopyScaled(const std::uint32_t* source, int sourceStride, const RECT& sourceRect,
                std::uint32_t* destination, int destinationStride, int destinationWidth,
                int destinationHeight, const RECT& destinationRect);

// Writes the image as an opaque RGB PNG (see WritePngFile); false, with errno
// set, when it is empty or the file cannot be written.
bool SavePng(const PixelImage& image, const std::string& path);

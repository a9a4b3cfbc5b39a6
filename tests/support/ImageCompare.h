#pragma once
// Images for golden tests: PNG files, pixels taken from a drawing surface,
// comparison within a tolerance, and a picture of the differences.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Straight (not premultiplied) 0xAARRGGBB pixels, rows top-down.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0xFF000000);
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    std::uint32_t& At(int x, int y) { return pixels[std::size_t(y) * width + x]; }
};

// From 32-bit words in Cairo's layout (0xAARRGGBB in native order, rows
// `stride` bytes apart). opaque: the top byte is unused and reads as 255;
// otherwise the words are premultiplied.
Image ImageFromPixels(const void* pixels, int width, int height, int stride, bool opaque);

std::optional<Image> LoadPng(const std::string& path);
// Creates missing folders. False when the file cannot be written.
bool SavePng(const Image& image, const std::string& path);

struct CompareOptions {
    // Largest difference allowed in any one channel of a pixel.
    int channelTolerance = 0;
    // How many pixels may exceed the tolerance.
    std::size_t maxDifferentPixels = 0;
};

// Pictures of our own drawing without anti-aliasing (the Direct3D stand-in,
// filled shapes, cursors) compare exactly.
inline constexpr CompareOptions kExactComparison{};
// Pictures with text: the tests pin the fonts and their rendering
// (tests/fonts.conf), so only another build of the font rasteriser may move a
// glyph's edge pixels by a few levels. A digit changed in the smallest label,
// even in the dim night colours, moves at least nine pixels by more than four
// levels (TextTolerance.OneDigitChangedInALabelFails).
inline constexpr CompareOptions kTextTolerance{4, 4};

struct CompareResult {
    bool sameSize = false;
    std::size_t differentPixels = 0;  // beyond the tolerance
    int largestDifference = 0;        // over all channels and pixels
    bool Passed(const CompareOptions& options) const {
        return sameSize && differentPixels <= options.maxDifferentPixels;
    }
};

CompareResult CompareImages(const Image& actual, const Image& expected,
                            const CompareOptions& options);
// Pixels beyond the tolerance in red, those that differ within it in yellow,
// the rest as a faint grey copy of the expected image. Same size images only.
Image DiffImage(const Image& actual, const Image& expected, const CompareOptions& options);

// Compares with tests/golden/<name>. With PLOTREX_UPDATE_GOLDENS=1 the golden
// is written instead. On failure the actual and diff images are written under
// the test output folder (PLOTREX_TEST_OUTPUT, else ./golden-output) and
// named in the message.
::testing::AssertionResult MatchesGolden(const Image& actual, const std::string& name,
                                         const CompareOptions& options = {});

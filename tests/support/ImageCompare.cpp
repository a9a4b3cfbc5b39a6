#include "tests/support/ImageCompare.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/CairoHandles.h"
#include "platform/PixelImageFile.h"

namespace {

int Channel(std::uint32_t pixel, int shift) {
    return int((pixel >> shift) & 0xFF);
}

int LargestChannelDifference(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
    }
    return largest;
}

bool UpdateRequested() {
    const char* value = std::getenv("PLOTREX_UPDATE_GOLDENS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::filesystem::path OutputFolder() {
    const char* value = std::getenv("PLOTREX_TEST_OUTPUT");
    if (value != nullptr && *value != '\0') {
        return value;
    }
    return std::filesystem::current_path() / "golden-output";
}

}  // namespace

Image::Image(int w, int h, std::uint32_t fill)
    : width(w), height(h), pixels(std::size_t(std::max(w, 0)) * std::max(h, 0), fill) {}

Image ImageFromPixels(const void* pixels, int width, int height, int stride, bool opaque) {
    Image image(width, height);
    const auto* bytes = static_cast<const unsigned char*>(pixels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t word = 0;
            std::memcpy(&word, bytes + std::size_t(y) * stride + 4 * std::size_t(x), 4);
            if (opaque) {
                word |= 0xFF000000u;
            } else {
                const std::uint32_t a = word >> 24;
                if (a != 0 && a != 255) {
                    std::uint32_t out = a << 24;
                    for (int shift = 0; shift < 24; shift += 8) {
                        const std::uint32_t c = (word >> shift) & 0xFF;
                        out |= std::min<std::uint32_t>(255, (c * 255 + a / 2) / a) << shift;
                    }
                    word = out;
                } else if (a == 0) {
                    word = 0;
                }
            }
            image.At(x, y) = word;
        }
    }
    return image;
}

std::optional<Image> LoadPng(const std::string& path) {
    CairoSurfacePtr surface(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return std::nullopt;
    }
    const cairo_format_t format = cairo_image_surface_get_format(surface.get());
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
        return std::nullopt;
    }
    cairo_surface_flush(surface.get());
    return ImageFromPixels(
        cairo_image_surface_get_data(surface.get()), cairo_image_surface_get_width(surface.get()),
        cairo_image_surface_get_height(surface.get()),
        cairo_image_surface_get_stride(surface.get()), format == CAIRO_FORMAT_RGB24);
}

bool SavePng(const Image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0) {
        return false;
    }
    const bool opaque = std::all_of(image.pixels.begin(), image.pixels.end(),
                                    [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    CairoSurfacePtr surface(cairo_image_surface_create(
        opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, image.width, image.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return false;
    }
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t p = image.At(x, y);
            const std::uint32_t a = p >> 24;
            if (!opaque && a != 255) {
                std::uint32_t out = a << 24;
                for (int shift = 0; shift < 24; shift += 8) {
                    out |= ((((p >> shift) & 0xFF) * a + 127) / 255) << shift;
                }
                p = out;
            }
            std::memcpy(data + std::size_t(y) * stride + 4 * std::size_t(x), &p, 4);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    std::error_code ignored;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) {
        std::filesystem::create_directories(parent, ignored);
    }
    return static_cast<bool>(WritePngFile(surface.get(), path));
}

CompareResult CompareImages(const Image& actual, const Image& expected,
                            const CompareOptions& options) {
    CompareResult result;
    result.sameSize = actual.width == expected.width && actual.height == expected.height;
    if (!result.sameSize) {
        return result;
    }
    for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
        const int difference = LargestChannelDifference(actual.pixels[i], expected.pixels[i]);
        result.largestDifference = std::max(result.largestDifference, difference);
        if (difference > options.channelTolerance) {
            ++result.differentPixels;
        }
    }
    return result;
}

Image DiffImage(const Image& actual, const Image& expected, const CompareOptions& options) {
    Image diff(expected.width, expected.height);
    if (actual.width != expected.width || actual.height != expected.height) {
        return diff;
    }
    for (std::size_t i = 0; i < diff.pixels.size(); ++i) {
        const int difference = LargestChannelDifference(actual.pixels[i], expected.pixels[i]);
        if (difference > options.channelTolerance) {
            diff.pixels[i] = 0xFFFF0000;
        } else if (difference > 0) {
            diff.pixels[i] = 0xFFFFFF00;
        } else {
            const std::uint32_t p = expected.pixels[i];
            const std::uint32_t grey =
                (Channel(p, 16) + Channel(p, 8) + Channel(p, 0)) / 3 / 4 + 160;
            diff.pixels[i] = 0xFF000000 | grey << 16 | grey << 8 | grey;
        }
    }
    return diff;
}

::testing::AssertionResult MatchesGolden(const Image& actual, const std::string& name,
                                         const CompareOptions& options) {
    const std::filesystem::path golden =
        std::filesystem::path(PLOTREX_SOURCE_DIR) / "tests" / "golden" / name;
    if (UpdateRequested()) {
        if (!SavePng(actual, golden.string())) {
            return ::testing::AssertionFailure() << "cannot write golden " << golden;
        }
        return ::testing::AssertionSuccess() << "golden " << golden << " written";
    }
    const std::filesystem::path out = OutputFolder() / name;
    const std::string actualPath = out.string() + ".actual.png";
    const std::optional<Image> expected = LoadPng(golden.string());
    if (!expected) {
        SavePng(actual, actualPath);
        return ::testing::AssertionFailure()
               << "no golden " << golden << " (actual written to " << actualPath
               << "; set PLOTREX_UPDATE_GOLDENS=1 to create it)";
    }
    const CompareResult result = CompareImages(actual, *expected, options);
    if (result.Passed(options)) {
        return ::testing::AssertionSuccess();
    }
    SavePng(actual, actualPath);
    auto failure = ::testing::AssertionFailure();
    if (!result.sameSize) {
        return failure << name << ": size " << actual.width << "x" << actual.height << ", golden "
                       << expected->width << "x" << expected->height << "; actual written to "
                       << actualPath;
    }
    const std::string diffPath = out.string() + ".diff.png";
    SavePng(DiffImage(actual, *expected, options), diffPath);
    return failure << name << ": " << result.differentPixels << " pixels differ by more than "
                   << options.channelTolerance << " (largest difference "
                   << result.largestDifference << ", " << options.maxDifferentPixels
                   << " allowed); actual " << actualPath << ", diff " << diffPath;
}

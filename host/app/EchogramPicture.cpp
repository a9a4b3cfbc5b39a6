#include "host/app/EchogramPicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "module/ModuleDataPlotrexInterface.h"
#include "platform/CairoHandles.h"
#include "platform/PixelImageFile.h"

namespace {

constexpr int kMaxLevels = 1024;
// Below a window, or where the sounder sent nothing.
constexpr std::uint32_t kNoEcho = 0xFFD8D8D8;
// Level 0 clear water, then weak to strong echoes, as sounders colour them.
constexpr std::array<std::uint32_t, 16> kLevelColours = {
    0xFFFFFFFF, 0xFFD6EEFF, 0xFFA9D8FF, 0xFF6FB4FF, 0xFF2F7FFF, 0xFF1450D0, 0xFF10A0A0, 0xFF20C040,
    0xFF90E020, 0xFFF0F000, 0xFFFFC000, 0xFFFF8000, 0xFFFF4000, 0xFFE00000, 0xFFA00000, 0xFF602000};

struct Span {
    double top = -1e300;
    double bottom = 1e300;
    int sweeps = 0;
};

Span SpanOf(ModuleDataPlotrexInterface& data, short channel) {
    Span span;
    double top = 0.0;
    double bottom = 0.0;
    while (data.GetEchogramSweep(channel, span.sweeps, &top, &bottom, nullptr, 0) >= 0) {
        if (std::isfinite(top) && std::isfinite(bottom) && top > bottom) {
            span.top = std::max(span.top, top);
            span.bottom = std::min(span.bottom, bottom);
        }
        ++span.sweeps;
    }
    return span;
}

// One sweep down its column: each row the level of the sample at its height.
void DrawColumn(std::uint8_t* pixels, int stride, int column, const Span& span, double top,
                double bottom, const std::uint8_t* levels, int count) {
    const double rowHeight = (span.top - span.bottom) / kEchogramPictureRows;
    for (int row = 0; row < kEchogramPictureRows; ++row) {
        const double height = span.top - (row + 0.5) * rowHeight;
        std::uint32_t colour = kNoEcho;
        if (count > 0 && top > bottom && height <= top && height >= bottom) {
            const int sample =
                std::clamp(static_cast<int>((top - height) / (top - bottom) * count), 0, count - 1);
            colour = kLevelColours[levels[sample] & 0x0F];
        }
        std::uint32_t* line = reinterpret_cast<std::uint32_t*>(pixels + row * stride);
        line[column] = colour;
    }
}

}  // namespace

ErrorOr<int> WriteEchogramPicture(ModuleDataPlotrexInterface& data, short channel,
                                  const std::string& path) {
    const Span span = SpanOf(data, channel);
    if (span.sweeps == 0 || !(span.top > span.bottom)) {
        return 0;
    }
    CairoSurfacePtr surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, span.sweeps, kEchogramPictureRows));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return Error::Failed(path + " cannot be made");
    }
    cairo_surface_flush(surface.get());
    std::uint8_t* pixels = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    std::array<std::uint8_t, kMaxLevels> levels{};
    for (int index = 0; index < span.sweeps; ++index) {
        double top = 0.0;
        double bottom = 0.0;
        const int count =
            data.GetEchogramSweep(channel, index, &top, &bottom, levels.data(), kMaxLevels);
        DrawColumn(pixels, stride, index, span, top, bottom, levels.data(), std::max(count, 0));
    }
    cairo_surface_mark_dirty(surface.get());
    if (ErrorOr<void> written = WritePngFile(surface.get(), path); !written) {
        return written.GetError();
    }
    return span.sweeps;
}

#include "drawing/PixelRectFill.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/SolidRows.h"

namespace {

// One colour OVER the pixels, channel by channel: src + dst * (255 - sa) / 255,
// the product rounded as pixman rounds it, ((t + 0x80) * 0x101) >> 16, four
// channels a pixel, the unused byte of a pixel without alpha included, as
// pixman blends it. Four pixels a step; returns how many it blended.
int OverRow(std::uint32_t* p, int count, std::uint32_t src) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i inverse = _mm_set1_epi16(static_cast<short>(255 - (src >> 24)));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i spread = _mm_set1_epi16(0x101);
    const __m128i colour = _mm_set1_epi32(static_cast<int>(src));
    auto times = [&](__m128i channels) {
        return _mm_mulhi_epu16(_mm_adds_epu16(_mm_mullo_epi16(channels, inverse), half), spread);
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        auto* at = reinterpret_cast<__m128i*>(p + i);
        const __m128i d = _mm_loadu_si128(at);
        const __m128i blended =
            _mm_packus_epi16(times(_mm_unpacklo_epi8(d, zero)), times(_mm_unpackhi_epi8(d, zero)));
        _mm_storeu_si128(at, _mm_adds_epu8(blended, colour));
    }
    return i;
}

// dst * inverse / 255 for 16-bit channels, rounded as Over rounds.
[[gnu::target("avx2")]] inline __m256i TimesWide(__m256i channels, __m256i inverse) {
    return _mm256_mulhi_epu16(
        _mm256_adds_epu16(_mm256_mullo_epi16(channels, inverse), _mm256_set1_epi16(0x80)),
        _mm256_set1_epi16(0x101));
}

// Eight pixels a step, where the processor has AVX2.
[[gnu::target("avx2")]] int OverRowWide(std::uint32_t* p, int count, std::uint32_t src) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i inverse = _mm256_set1_epi16(static_cast<short>(255 - (src >> 24)));
    const __m256i colour = _mm256_set1_epi32(static_cast<int>(src));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        auto* at = reinterpret_cast<__m256i*>(p + i);
        const __m256i d = _mm256_loadu_si256(at);
        // The unpacks and the pack work within each half alike: the order holds.
        const __m256i blended =
            _mm256_packus_epi16(TimesWide(_mm256_unpacklo_epi8(d, zero), inverse),
                                TimesWide(_mm256_unpackhi_epi8(d, zero), inverse));
        _mm256_storeu_si256(at, _mm256_adds_epu8(blended, colour));
    }
    return i;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

void BlendRows(std::uint32_t* first, std::ptrdiff_t stride, int width, int height,
               std::uint32_t src) {
    const bool wide = HasAvx2();
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = first + y * stride;
        int i = wide ? OverRowWide(row, width, src) : 0;
        i += OverRow(row + i, width - i, src);
        // The last few through a copy, which the loop takes whole.
        if (const int rest = width - i; rest > 0) {
            std::uint32_t tail[4] = {};
            std::memcpy(tail, row + i, rest * sizeof(std::uint32_t));
            OverRow(tail, 4, src);
            std::memcpy(row + i, tail, rest * sizeof(std::uint32_t));
        }
    }
}

void FillRows(std::uint32_t* first, std::ptrdiff_t stride, int width, int height,
              std::uint32_t src) {
    for (int y = 0; y < height; ++y) {
        SolidRows::FillPixels(first + y * stride, width, src);
    }
}

}  // namespace

bool FillPixelRect(cairo_t* cr, RECT r, RECT clip, COLORREF colour, BYTE opacity) {
    cairo_surface_t* surface = cairo_get_target(cr);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_get_operator(cr) != CAIRO_OPERATOR_OVER || m.xx != 1.0 || m.yy != 1.0 ||
        m.xy != 0.0 || m.yx != 0.0 || m.x0 != 0.5 || m.y0 != 0.5) {
        return false;
    }
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
        return false;
    }
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const LONG left = std::max({r.left, clip.left, LONG{0}});
    const LONG top = std::max({r.top, clip.top, LONG{0}});
    const LONG right = std::min({r.right, clip.right, static_cast<LONG>(width)});
    const LONG bottom = std::min({r.bottom, clip.bottom, static_cast<LONG>(height)});
    if (right <= left || bottom <= top) {
        return true;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    if (data == nullptr) {
        return false;
    }
    // Premultiplied, 16 bits a channel, rounded as Cairo rounds, then the
    // top 8 bits of each, as pixman takes a solid colour for 32-bit pixels.
    const double alpha = opacity / 255.0;
    auto channel = [alpha](double value) {
        return static_cast<std::uint32_t>(value * alpha * 65535.0 + 0.5) >> 8;
    };
    const std::uint32_t src = channel(1.0) << 24 | channel(GetRValue(colour) / 255.0) << 16 |
                              channel(GetGValue(colour) / 255.0) << 8 |
                              channel(GetBValue(colour) / 255.0);
    const int stride = cairo_image_surface_get_stride(surface) / 4;
    std::uint32_t* first = reinterpret_cast<std::uint32_t*>(data) + top * stride + left;
    // An opaque colour replaces, as pixman's OVER then does; a clear one
    // changes nothing.
    if (src >> 24 == 0xFF) {
        FillRows(first, stride, right - left, bottom - top, src);
    } else if (src != 0) {
        BlendRows(first, stride, right - left, bottom - top, src);
    }
    cairo_surface_mark_dirty_rectangle(surface, left, top, right - left, bottom - top);
    return true;
}

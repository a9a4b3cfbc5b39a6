#include "drawing/KnownPixelFill.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "drawing/CairoColour.h"

namespace {

struct CachedBlend {
    cairo_format_t format;
    std::uint32_t under;
    COLORREF colour;
    BYTE opacity;
    std::uint32_t over;
};

// Recent blends: a frame asks for the same few again and again.
constexpr std::size_t kCached = 64;
thread_local std::array<CachedBlend, kCached> gCache{};
thread_local std::size_t gCached = 0;
thread_local std::size_t gNextSlot = 0;

}  // namespace

std::optional<std::uint32_t> KnownPixelFill::Blended(cairo_format_t format, std::uint32_t under,
                                                     COLORREF colour, BYTE opacity) {
    for (std::size_t i = 0; i < gCached; ++i) {
        const CachedBlend& c = gCache[i];
        if (c.under == under && c.colour == colour && c.opacity == opacity && c.format == format) {
            return c.over;
        }
    }
    // A small surface of the pixel, and a triangle over it filled as the
    // drawing context fills: the same path through Cairo, so the same result.
    constexpr int kSide = 4;
    const CairoSurfacePtr surface(cairo_image_surface_create(format, kSide, kSide));
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS || data == nullptr) {
        return std::nullopt;
    }
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            std::memcpy(data + y * stride + 4 * x, &under, 4);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    {
        const CairoPtr cr(cairo_create(surface.get()));
        cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
        cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
        cairo_move_to(cr.get(), 0.0, 0.0);
        cairo_line_to(cr.get(), kSide, 0.0);
        cairo_line_to(cr.get(), 0.0, kSide);
        cairo_close_path(cr.get());
        SetCairoColour(cr.get(), colour, opacity);
        cairo_fill(cr.get());
    }
    cairo_surface_flush(surface.get());
    std::uint32_t over = 0;
    std::memcpy(&over, data + stride + 4, 4);
    gCache[gNextSlot] = CachedBlend{format, under, colour, opacity, over};
    gNextSlot = (gNextSlot + 1) % kCached;
    gCached = std::max(gCached, gNextSlot == 0 ? kCached : gNextSlot);
    return over;
}

bool KnownPixelFill::Prepare(std::uint32_t under) {
    if (!blends_.empty() && blends_.back().under == under) {
        return true;
    }
    for (const Pair& p : blends_) {
        if (p.under == under) {
            return true;
        }
    }
    const std::optional<std::uint32_t> over = Blended(format_, under, colour_, opacity_);
    if (!over) {
        return false;
    }
    blends_.push_back(Pair{under, *over});
    return true;
}

std::uint32_t KnownPixelFill::Lookup(std::uint32_t under) const {
    for (auto p = blends_.rbegin(); p != blends_.rend(); ++p) {
        if (p->under == under) {
            return p->over;
        }
    }
    return under;  // not reached: every value under the spans was prepared
}

bool KnownPixelFill::Fill(cairo_surface_t* surface, SolidRows& known,
                          const std::vector<AliasedFillSpans::FixedPoint>& points, RECT area,
                          COLORREF colour, BYTE opacity) {
    if (known.Empty() || !spans_.Build(points, area)) {
        return false;
    }
    const std::vector<AliasedFillSpans::Span>& spans = spans_.Spans();
    format_ = cairo_image_surface_get_format(surface);
    colour_ = colour;
    opacity_ = opacity;
    blends_.clear();
    // Every pixel under the spans must be known, and its blend found, before
    // any is written. Spans and runs both go left to right: one walk a row.
    for (std::size_t i = 0; i < spans.size();) {
        const int y = spans[i].y;
        const std::span<const SolidRows::Run> runs = known.Row(y);
        std::size_t r = 0;
        for (; i < spans.size() && spans[i].y == y; ++i) {
            int from = spans[i].x0;
            while (from < spans[i].x1) {
                while (r < runs.size() && runs[r].x1 <= from) {
                    ++r;
                }
                if (r == runs.size() || runs[r].x0 > from || !Prepare(runs[r].pixel)) {
                    return false;
                }
                from = runs[r].x1;
            }
        }
    }
    if (spans.empty()) {
        return true;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    using Run = SolidRows::Run;
    std::size_t next = 0;
    known.Rewrite(spans.front().y, spans.back().y + 1,
                  [&](int y, std::span<const Run> old, std::vector<Run>& out) {
                      auto* row =
                          reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t{y} * stride);
                      std::size_t first = next;
                      while (next < spans.size() && spans[next].y == y) {
                          ++next;
                      }
                      std::size_t s = first;
                      for (const Run& run : old) {
                          int from = run.x0;
                          // Spans are within known runs: those of this run, in order.
                          while (s < next && spans[s].x0 < run.x1) {
                              const int x0 = std::max(spans[s].x0, run.x0);
                              const int x1 = std::min(spans[s].x1, run.x1);
                              if (x1 > x0) {
                                  const std::uint32_t over = Lookup(run.pixel);
                                  SolidRows::FillPixels(row + x0, x1 - x0, over);
                                  out.push_back(Run{from, x0, run.pixel, run.pending});
                                  out.push_back(Run{x0, x1, over, false});
                                  from = x1;
                              }
                              if (spans[s].x1 > run.x1) {
                                  break;  // it goes on in the next run
                              }
                              ++s;
                          }
                          out.push_back(Run{from, run.x1, run.pixel, run.pending});
                      }
                  });
    const RECT touched{area.left, spans.front().y, area.right, spans.back().y + 1};
    cairo_surface_mark_dirty_rectangle(surface, touched.left, touched.top,
                                       touched.right - touched.left, touched.bottom - touched.top);
    return true;
}

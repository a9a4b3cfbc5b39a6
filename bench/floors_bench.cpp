// What no full redraw can go below, on the same full-screen frame as the
// views' frames and against the same frame copy: an opaque background paint,
// and one translucent area under a curve, filled as the curves are (Cairo,
// aliased, opacity 150). A frame's own floor is the sum of the passes it
// cannot skip; the frame benchmarks say how far each frame is from it.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <memory>

#include "bench/FrameCopy.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using CairoPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

struct Frame {
    SurfacePtr surface{cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight),
                       &cairo_surface_destroy};
    CairoPtr cr{cairo_create(surface.get()), &cairo_destroy};
    Frame() { cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE); }
};

// Times each pass, flushed to the pixels.
template <class Pass>
void TimePasses(benchmark::State& state, const Frame& frame, Pass pass) {
    benchframe::TimeAgainstFrameCopy(
        state, [] {},
        [&] {
            pass();
            cairo_surface_flush(frame.surface.get());
        });
}

// The two-colour background of the profile view: the whole frame, opaque.
void BM_FloorBackgroundPaint(benchmark::State& state) {
    Frame frame;
    cairo_t* cr = frame.cr.get();
    TimePasses(state, frame, [cr] {
        cairo_rectangle(cr, 0, 0, kWidth, kHeight / 3);
        cairo_set_source_rgb(cr, 0.1, 0.2, 0.5);
        cairo_fill(cr);
        cairo_rectangle(cr, 0, kHeight / 3, kWidth, kHeight - kHeight / 3);
        cairo_set_source_rgb(cr, 0.6, 0.8, 0.9);
        cairo_fill(cr);
    });
}
BENCHMARK(BM_FloorBackgroundPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 500-vertex area under a wavy curve, 60 % of the frame, at opacity 150.
void BM_FloorAlphaPolygonFill(benchmark::State& state) {
    Frame frame;
    cairo_t* cr = frame.cr.get();
    constexpr int kCurvePoints = 498;
    TimePasses(state, frame, [cr] {
        for (int i = 0; i < kCurvePoints; ++i) {
            const double x = kWidth * i / (kCurvePoints - 1.0);
            const double y = kHeight * (0.4 + 0.05 * std::sin(i * 0.3));
            i == 0 ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
        }
        cairo_line_to(cr, kWidth, kHeight);
        cairo_line_to(cr, 0, kHeight);
        cairo_close_path(cr);
        cairo_set_source_rgba(cr, 0.3, 0.5, 0.2, 150.0 / 255.0);
        cairo_fill(cr);
    });
}
BENCHMARK(BM_FloorAlphaPolygonFill)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

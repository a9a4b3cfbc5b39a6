#pragma once
// One owner type per kind of Cairo and Pango handle: each destroys its handle
// with that library's own function, and none can be copied.
#include <memory>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#include <cairo.h>
#include <pango/pangocairo.h>
#pragma GCC diagnostic pop

namespace cairo_handles {
template <class T, void (*Destroy)(T*)>
struct Deleter {
    void operator()(T* handle) const { Destroy(handle); }
};
inline void UnrefLayout(PangoLayout* layout) {
    g_object_unref(layout);
}
inline void UnrefFontMap(PangoFontMap* map) {
    g_object_unref(map);
}
inline void UnrefContext(PangoContext* context) {
    g_object_unref(context);
}
}  // namespace cairo_handles

using CairoSurfacePtr =
    std::unique_ptr<cairo_surface_t,
                    cairo_handles::Deleter<cairo_surface_t, cairo_surface_destroy>>;
using CairoPtr = std::unique_ptr<cairo_t, cairo_handles::Deleter<cairo_t, cairo_destroy>>;
using CairoPatternPtr =
    std::unique_ptr<cairo_pattern_t,
                    cairo_handles::Deleter<cairo_pattern_t, cairo_pattern_destroy>>;
using PangoLayoutPtr =
    std::unique_ptr<PangoLayout, cairo_handles::Deleter<PangoLayout, cairo_handles::UnrefLayout>>;
using PangoFontMapPtr =
    std::unique_ptr<PangoFontMap,
                    cairo_handles::Deleter<PangoFontMap, cairo_handles::UnrefFontMap>>;
using PangoContextPtr =
    std::unique_ptr<PangoContext,
                    cairo_handles::Deleter<PangoContext, cairo_handles::UnrefContext>>;
using PangoFontDescriptionPtr =
    std::unique_ptr<PangoFontDescription,
                    cairo_handles::Deleter<PangoFontDescription, pango_font_description_free>>;
using CairoFontOptionsPtr =
    std::unique_ptr<cairo_font_options_t,
                    cairo_handles::Deleter<cairo_font_options_t, cairo_font_options_destroy>>;
using PangoFontMetricsPtr =
    std::unique_ptr<PangoFontMetrics,
                    cairo_handles::Deleter<PangoFontMetrics, pango_font_metrics_unref>>;

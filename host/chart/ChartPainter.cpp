#include "host/chart/ChartPainter.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#include <cairo.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

struct Rgb {
    double r, g, b;
};

// Colours of the chart itself in day, dusk and night.
constexpr std::array<Rgb, 3> kSea = {{{0.83, 0.91, 0.97}, {0.33, 0.38, 0.44}, {0.06, 0.08, 0.12}}};
constexpr std::array<Rgb, 3> kGrid = {{{0.45, 0.55, 0.65}, {0.55, 0.58, 0.62}, {0.30, 0.34, 0.40}}};
constexpr std::array<Rgb, 3> kText = {{{0.15, 0.20, 0.30}, {0.80, 0.82, 0.85}, {0.55, 0.58, 0.62}}};
constexpr std::array<Rgb, 3> kShip = {{{0.10, 0.10, 0.10}, {0.85, 0.85, 0.85}, {0.60, 0.60, 0.60}}};

constexpr double kDegree = M_PI / 180.0;
// Floor shading: cells of this many pixels, shallow to deep.
constexpr int kShadeCell = ChartPainter::kShadeCell;
constexpr Rgb kShallow{0.55, 0.74, 0.92};
constexpr Rgb kDeep{0.93, 0.96, 0.99};

void SetColour(cairo_t* cr, const Rgb& c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

// A GDI colour value (0x00BBGGRR) as Cairo's.
void SetGdiColour(cairo_t* cr, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    cairo_set_source_rgb(cr, (v & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0,
                         ((v >> 16) & 0xFF) / 255.0);
}

// Whole minutes, or tenths when the graticule is finer than a minute.
std::string AngleLabel(double radians, bool latitude, bool tenths) {
    const double scale = tenths ? 600.0 : 60.0;
    const long units = std::lround(std::fabs(radians) / kDegree * scale);
    const long whole = units / static_cast<long>(scale);
    const double minutes = (units % static_cast<long>(scale)) / (scale / 60.0);
    const char hemisphere = latitude ? (radians < 0 ? 'S' : 'N') : (radians < 0 ? 'W' : 'E');
    char text[32];
    std::snprintf(text, sizeof text, "%0*ld\xC2\xB0%0*.*f'%c", latitude ? 2 : 3, whole,
                  tenths ? 4 : 2, tenths ? 1 : 0, minutes, hemisphere);
    return text;
}

void ShadeFloor(cairo_t* cr, const ChartScene& scene) {
    const DepthGrid& grid = *scene.floor;
    const ValidGeoRect& area = scene.chart.GetRect();
    const double latitudeSpan = area.North() - area.South();
    if (grid.columns <= 0 || grid.rows <= 0 || latitudeSpan <= 0.0) {
        return;
    }
    const double dim = scene.lightMode == 0 ? 1.0 : scene.lightMode == 1 ? 0.5 : 0.25;
    // Tints stretched over the depths the chart shows.
    double shallowest = INFINITY, deepest = -INFINITY;
    for (double depth : grid.depths) {
        if (std::isfinite(depth)) {
            shallowest = std::min(shallowest, depth);
            deepest = std::max(deepest, depth);
        }
    }
    const double range = deepest - shallowest;
    for (int y = 0; y < scene.height; y += kShadeCell) {
        const double latitude = scene.chart.LatitudeAt(y + kShadeCell / 2.0);
        const int row = static_cast<int>((area.North() - latitude) / latitudeSpan * grid.rows);
        if (row < 0 || row >= grid.rows) {
            continue;
        }
        for (int x = 0; x < scene.width; x += kShadeCell) {
            const int column = (x + kShadeCell / 2) * grid.columns / std::max(scene.width, 1);
            const double depth = column < grid.columns ? grid.At(column, row) : std::nan("");
            if (!std::isfinite(depth)) {
                continue;
            }
            // As on paper charts: shallow water blue, deep water pale.
            const double t = range > 0.0 ? (depth - shallowest) / range : 0.5;
            const Rgb& a = kShallow;
            const Rgb& b = kDeep;
            cairo_set_source_rgb(cr, (a.r + (b.r - a.r) * t) * dim, (a.g + (b.g - a.g) * t) * dim,
                                 (a.b + (b.b - a.b) * t) * dim);
            cairo_rectangle(cr, x, y, kShadeCell, kShadeCell);
            cairo_fill(cr);
        }
    }
}

void DrawGraticule(cairo_t* cr, const ChartScene& scene) {
    const ChartProjection& chart = scene.chart;
    const double minutes = ChartPainter::GraticuleMinutes(chart.PixelsPerRadian() * kDegree);
    const double step = minutes / 60.0 * kDegree;
    const bool tenths = minutes < 1.0;
    const ValidGeoRect& area = chart.GetRect();
    cairo_set_line_width(cr, 1.0);
    cairo_select_font_face(cr, "Arial", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11.0);
    const double south = chart.LatitudeAt(scene.height);
    const double east = chart.LongitudeAt(scene.width);
    for (double lat = std::ceil(south / step) * step; lat <= area.North(); lat += step) {
        const double y = std::round(chart.ToPixel(lat, area.West()).y) + 0.5;
        SetColour(cr, kGrid[scene.lightMode], 0.6);
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, scene.width, y);
        cairo_stroke(cr);
        SetColour(cr, kText[scene.lightMode]);
        cairo_move_to(cr, 4, y - 3);
        cairo_show_text(cr, AngleLabel(lat, true, tenths).c_str());
    }
    for (double lon = std::ceil(area.West() / step) * step; lon <= east; lon += step) {
        const double x = std::round(chart.ToPixel(area.North(), lon).x) + 0.5;
        SetColour(cr, kGrid[scene.lightMode], 0.6);
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x, scene.height);
        cairo_stroke(cr);
        SetColour(cr, kText[scene.lightMode]);
        cairo_move_to(cr, x + 3, scene.height - 5);
        cairo_show_text(cr, AngleLabel(lon, false, tenths).c_str());
    }
}

void DrawLine(cairo_t* cr, const ChartScene& scene, const DisplayPrimitive& line) {
    const std::vector<PosType>& points = line.GetPoints();
    if (points.size() < 2) {
        return;
    }
    // A label leaves the current point at its end.
    cairo_new_path(cr);
    for (const PosType& p : points) {
        const ChartPoint at = scene.chart.ToPixel(p);
        cairo_line_to(cr, at.x, at.y);
    }
    std::int32_t colour = 0;
    line.GetInteger(kAttributeColor, colour);
    double width = 1.0;
    line.GetNumber(kAttributeWidth, width);
    SetGdiColour(cr, colour);
    cairo_set_line_width(cr, std::max(width, 1.0) * 2.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void DrawSymbol(cairo_t* cr, const ChartScene& scene, const DisplayPrimitive& mark) {
    if (mark.GetPoints().empty()) {
        return;
    }
    const ChartPoint at = scene.chart.ToPixel(mark.GetPoints().front());
    std::string symbol;
    mark.GetText(kAttributeSymbol, symbol);
    double size = 10.0;
    mark.GetNumber(kAttributeSize, size);
    double angle = 0.0;
    mark.GetNumber(kAttributeAngle, angle);
    std::int32_t outline = 0;
    const bool hasOutline = mark.GetInteger(kAttributeColor, outline);
    std::int32_t fill = outline;
    const bool hasFill = mark.GetInteger(kAttributeFillColor, fill);
    const double half = size / 2.0;
    cairo_save(cr);
    cairo_translate(cr, at.x, at.y);
    if (symbol == "TGAIS") {
        // A triangle whose point shows the course.
        cairo_rotate(cr, angle);
        cairo_move_to(cr, 0, -half);
        cairo_line_to(cr, half * 0.7, half);
        cairo_line_to(cr, -half * 0.7, half);
        cairo_close_path(cr);
    } else if (symbol == "CARRE") {
        cairo_rectangle(cr, -half, -half, size, size);
    } else {
        cairo_arc(cr, 0, 0, half, 0, 2 * M_PI);
    }
    if (hasFill) {
        SetGdiColour(cr, fill);
        cairo_fill_preserve(cr);
    }
    if (hasOutline) {
        SetGdiColour(cr, outline);
        cairo_set_line_width(cr, 2.0);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
    cairo_restore(cr);
}

void DrawOwnShip(cairo_t* cr, const ChartScene& scene) {
    const ChartPoint at = scene.chart.ToPixel(scene.ownShip);
    cairo_save(cr);
    cairo_translate(cr, at.x, at.y);
    cairo_rotate(cr, scene.heading);
    // A hull pointing along the heading, with a heading line ahead.
    cairo_move_to(cr, 0, -13);
    cairo_curve_to(cr, 6, -6, 6, 6, 5, 10);
    cairo_line_to(cr, -5, 10);
    cairo_curve_to(cr, -6, 6, -6, -6, 0, -13);
    cairo_close_path(cr);
    SetColour(cr, kShip[scene.lightMode]);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    cairo_move_to(cr, 0, -13);
    cairo_line_to(cr, 0, -40);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void DrawScaleNote(cairo_t* cr, const ChartScene& scene) {
    char text[64];
    std::snprintf(text, sizeof text, "Mercator 1:%.0f", scene.chart.GetScale());
    cairo_set_font_size(cr, 11.0);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    SetColour(cr, kText[scene.lightMode]);
    cairo_move_to(cr, scene.width - extents.x_advance - 6, 14);
    cairo_show_text(cr, text);
}

}  // namespace

double ChartPainter::GraticuleMinutes(double pixelsPerDegree) {
    static constexpr double kSteps[] = {0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200, 1800};
    for (double step : kSteps) {
        if (step / 60.0 * pixelsPerDegree >= 90.0) {
            return step;
        }
    }
    return kSteps[std::size(kSteps) - 1];
}

void ChartPainter::Paint(cairo_t* cr, const ChartScene& scene) {
    const int light = std::clamp(scene.lightMode, 0, 2);
    ChartScene shown = scene;
    shown.lightMode = light;
    cairo_save(cr);
    SetColour(cr, kSea[light]);
    cairo_paint(cr);
    if (!scene.chart.IsValid()) {
        cairo_restore(cr);
        return;
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    if (scene.floor != nullptr) {
        ShadeFloor(cr, shown);
    }
    DrawGraticule(cr, shown);
    if (scene.marks != nullptr) {
        for (const DisplayPrimitive& p : *scene.marks) {
            if (p.GetGeometry() == kGeometryLine) {
                DrawLine(cr, shown, p);
            }
        }
        // Symbols over the lines.
        for (const DisplayPrimitive& p : *scene.marks) {
            if (p.GetGeometry() == kGeometryPoint) {
                DrawSymbol(cr, shown, p);
            }
        }
    }
    if (!scene.ownShip.IsNoPos()) {
        DrawOwnShip(cr, shown);
    }
    DrawScaleNote(cr, shown);
    cairo_restore(cr);
}

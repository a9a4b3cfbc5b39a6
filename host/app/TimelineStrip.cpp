#include "host/app/TimelineStrip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/chart/CairoWindowPaint.h"
#include "platform/Desktop.h"

namespace {

// The bar's ends stand this far in from the strip's.
constexpr int kInset = 64;

// "1:02:03" for ship seconds.
std::string Clock(double seconds) {
    const long whole = std::lround(std::max(seconds, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

double XOf(double time, int width, double span) {
    const double share = span > 0.0 ? std::clamp(time / span, 0.0, 1.0) : 0.0;
    return kInset + share * std::max(width - 2 * kInset, 1);
}

void Ticks(cairo_t* cr, const std::vector<double>* times, int width, double span, double top,
           double bottom) {
    if (times == nullptr) {
        return;
    }
    for (double time : *times) {
        const double x = std::floor(XOf(time, width, span)) + 0.5;
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x, bottom);
    }
    cairo_stroke(cr);
}

}  // namespace

BEGIN_MESSAGE_MAP(TimelineStrip, CWnd)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

double TimelineStrip::TimeAt(int x, int width, double span) {
    const double share =
        static_cast<double>(x - kInset) / static_cast<double>(std::max(width - 2 * kInset, 1));
    return std::clamp(share, 0.0, 1.0) * span;
}

void TimelineStrip::Paint(cairo_t* cr, int width, int height, const TimelineScene& scene) {
    cairo_set_source_rgb(cr, 0.16, 0.17, 0.20);
    cairo_paint(cr);
    const double middle = height / 2.0;
    const double left = XOf(0.0, width, scene.span);
    const double right = XOf(scene.span, width, scene.span);
    const double now = XOf(scene.position, width, scene.span);
    cairo_set_line_width(cr, 4.0);
    cairo_set_source_rgb(cr, 0.45, 0.47, 0.52);
    cairo_move_to(cr, left, middle);
    cairo_line_to(cr, right, middle);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.25, 0.60, 1.0);
    cairo_move_to(cr, left, middle);
    cairo_line_to(cr, now, middle);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgb(cr, 1.0, 0.62, 0.10);
    Ticks(cr, scene.timeJumps, width, scene.span, 3.0, middle - 3.0);
    cairo_set_source_rgb(cr, 0.95, 0.20, 0.20);
    Ticks(cr, scene.damaged, width, scene.span, middle + 3.0, height - 3.0);
    // Where a jump under way goes: a line across the strip.
    if (scene.jumpTarget >= 0.0) {
        const double target = std::round(XOf(scene.jumpTarget, width, scene.span)) + 0.5;
        cairo_set_line_width(cr, 2.0);
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_move_to(cr, target, 2.0);
        cairo_line_to(cr, target, height - 2.0);
        cairo_stroke(cr);
    }
    // The position: a knob, hollow while paused.
    cairo_arc(cr, now, middle, 6.0, 0.0, 2.0 * M_PI);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    if (scene.paused) {
        cairo_set_line_width(cr, 2.0);
        cairo_stroke(cr);
    } else {
        cairo_fill(cr);
    }
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11.0);
    cairo_set_source_rgb(cr, 0.90, 0.90, 0.90);
    const std::string position = Clock(scene.position);
    cairo_move_to(cr, 6.0, middle + 4.0);
    cairo_show_text(cr, position.c_str());
    const std::string span = Clock(scene.span);
    cairo_text_extents_t extents{};
    cairo_text_extents(cr, span.c_str(), &extents);
    cairo_move_to(cr, width - 6.0 - extents.x_advance, middle + 4.0);
    cairo_show_text(cr, span.c_str());
}

int TimelineStrip::Width() const {
    RECT client{};
    GetClientRect(&client);
    return client.right - client.left;
}

void TimelineStrip::Show(const TimelineScene& scene) {
    const int x = static_cast<int>(XOf(scene.position, Width(), scene.span));
    const bool changed = x != shownX_ || scene.paused != scene_.paused ||
                         scene.span != scene_.span || scene.timeJumps != scene_.timeJumps ||
                         scene.damaged != scene_.damaged || scene.jumpTarget != scene_.jumpTarget;
    scene_ = scene;
    if (changed) {
        shownX_ = x;
        Invalidate(FALSE);
    }
}

void TimelineStrip::OnPaint() {
    PaintWithCairo(*this,
                   [&](cairo_t* cr, int width, int height) { Paint(cr, width, height, scene_); });
}

void TimelineStrip::OnLButtonDown(UINT, POINT point) {
    dragging_ = true;
    SetCapture();
    seek_(TimeAt(point.x, Width(), scene_.span));
}

void TimelineStrip::OnLButtonUp(UINT, POINT) {
    if (dragging_) {
        dragging_ = false;
        ::ReleaseCapture();
    }
}

void TimelineStrip::OnMouseMove(UINT flags, POINT point) {
    if (dragging_ && (flags & MK_LBUTTON) != 0) {
        seek_(TimeAt(point.x, Width(), scene_.span));
    }
}

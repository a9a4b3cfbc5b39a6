#include "drawing/DeviceGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "drawing/CairoColour.h"
#include "drawing/KnownPixelFill.h"
#include "drawing/PixelRectFill.h"
#include "drawing/TextLayouter.h"
#include "drawing/VexanDevice.h"
#include "drawing/Windows1252.h"
#include "platform/CDC.h"
#include "platform/SolidRows.h"

namespace {

// Cairo keeps coordinates in 24.8 fixed point and wraps beyond it; points
// are held well inside, which moves nothing that can be seen in a window.
constexpr double kCoordinateLimit = 4'000'000.0;
// Text sizes beyond this are refused as a font of size 0 is.
constexpr double kMaxTextSize = 4096.0;

// GDI+ puts pixel centres on whole coordinates, Cairo on halves.
constexpr double kPixelCentre = 0.5;

// Single precision as the drawing calls take points, then held in range.
// False for a coordinate that is not a number.
bool ToPoint(double x, double y, double* px, double* py) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    if (std::isnan(fx) || std::isnan(fy)) {
        return false;
    }
    *px = std::clamp(static_cast<double>(fx), -kCoordinateLimit, kCoordinateLimit);
    *py = std::clamp(static_cast<double>(fy), -kCoordinateLimit, kCoordinateLimit);
    return true;
}

// A path through count (x, y) pairs; false (and no path) when one is not a number.
bool AddPath(cairo_t* cr, const double* xy, int count) {
    cairo_new_path(cr);
    for (int i = 0; i < count; ++i) {
        double x = 0.0;
        double y = 0.0;
        if (!ToPoint(xy[2 * i], xy[2 * i + 1], &x, &y)) {
            cairo_new_path(cr);
            return false;
        }
        cairo_line_to(cr, x, y);
    }
    return true;
}

void StrokePath(cairo_t* cr, COLORREF colour, BYTE opacity, double width) {
    // An aliased pen never draws thinner than one pixel.
    const double w = std::isfinite(width) && width > 1.0 ? std::min(width, kCoordinateLimit) : 1.0;
    cairo_set_line_width(cr, w);
    // Thin lines cover both of their end pixels, as GDI+ draws them.
    cairo_set_line_cap(cr, w <= 1.0 ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    SetCairoColour(cr, colour, opacity);
    cairo_stroke(cr);
}

void FillPath(cairo_t* cr, COLORREF colour, BYTE opacity) {
    SetCairoColour(cr, colour, opacity);
    cairo_fill(cr);
}

// One 8 x 8 cell of a hatch, bit x of row y set where the foreground shows.
bool HatchRows(int style, std::uint8_t rows[8]) {
    for (int y = 0; y < 8; ++y) {
        const std::uint8_t forward = static_cast<std::uint8_t>(1u << y);
        const std::uint8_t backward = static_cast<std::uint8_t>(1u << (7 - y));
        switch (style) {
            case kHatchHorizontal:
                rows[y] = y == 0 ? 0xFF : 0x00;
                break;
            case kHatchVertical:
                rows[y] = 0x01;
                break;
            case kHatchForwardDiagonal:
                rows[y] = forward;
                break;
            case kHatchBackwardDiagonal:
                rows[y] = backward;
                break;
            case kHatchCross:
                rows[y] = y == 0 ? 0xFF : 0x01;
                break;
            case kHatchDiagonalCross:
                rows[y] = forward | backward;
                break;
            default:
                return false;
        }
    }
    return true;
}

// A repeating pattern of the hatch, anchored on the device's pixel grid.
CairoPatternPtr CreateHatch(int style, COLORREF colour, BYTE opacity) {
    std::uint8_t rows[8];
    if (!HatchRows(style, rows)) {
        return nullptr;
    }
    const CairoSurfacePtr cell(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
    if (cairo_surface_status(cell.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    cairo_surface_flush(cell.get());
    const std::uint32_t a = opacity;
    const auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    const std::uint32_t ink = a << 24 | premultiply(GetRValue(colour)) << 16 |
                              premultiply(GetGValue(colour)) << 8 | premultiply(GetBValue(colour));
    unsigned char* data = cairo_image_surface_get_data(cell.get());
    const int stride = cairo_image_surface_get_stride(cell.get());
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < 8; ++x) {
            row[x] = (rows[y] >> x) & 1u ? ink : 0u;
        }
    }
    cairo_surface_mark_dirty(cell.get());
    CairoPatternPtr pattern(cairo_pattern_create_for_surface(cell.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    cairo_matrix_t toCell;
    cairo_matrix_init_translate(&toCell, kPixelCentre, kPixelCentre);
    cairo_pattern_set_matrix(pattern.get(), &toCell);
    return pattern;
}

// Where a text goes: its box, and how its lines sit in it.
struct TextPlacement {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    double padding = 0.0;  // before and after each line
};

double AlignedStart(double origin, double extent, short align) {
    switch (align) {
        case kAlignCenter:
            return origin - extent / 2.0;
        case kAlignFar:
            return origin - extent;
        default:
            return origin;
    }
}

// A string laid out at a point: each line padded by a sixth of the size at
// both ends, lines a font's line spacing apart, the whole box placed by the
// alignments.
TextPlacement PlaceText(double x, double y, const TextLayouter::Layout& layout, double size,
                        short align, short lineAlign) {
    TextPlacement p;
    if (layout.lines.empty()) {
        p.left = x;
        p.top = y;
        return p;
    }
    p.padding = size / 6.0;
    p.width = layout.width + 2.0 * p.padding;
    p.height = layout.lineHeight * static_cast<double>(layout.lines.size());
    p.left = AlignedStart(x, p.width, align);
    p.top = AlignedStart(y, p.height, lineAlign);
    return p;
}

const TextLayouter::Layout* LayOut(const char* text, const char* fontName, double size) {
    if (text == nullptr || *text == '\0' || fontName == nullptr || !(size > 0.0) ||
        size > kMaxTextSize) {
        return nullptr;
    }
    return TextLayouter::Get(Windows1252ToUtf8(text), Windows1252ToUtf8(fontName), size);
}

}  // namespace

DeviceGraphics::DeviceGraphics(VexanDevice* device) : device_(device) {
    if (device_ == nullptr) {
        return;
    }
    CDC* dc = device_->GetDC();
    if (dc == nullptr || dc->GetSurface() == nullptr) {
        return;
    }
    // Whatever wrote the pixels since, Cairo must read them afresh. Writers
    // other than the context forget what it knew of the pixels themselves.
    cairo_surface_mark_dirty(dc->GetSurface());
    CairoPtr cr(cairo_create(dc->GetSurface()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        return;
    }
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_translate(cr.get(), kPixelCentre, kPixelCentre);
    surfaceRect_ = RECT{0, 0, cairo_image_surface_get_width(dc->GetSurface()),
                        cairo_image_surface_get_height(dc->GetSurface())};
    clipRect_ = surfaceRect_;
    graphics_ = std::move(cr);
}

DeviceGraphics::~DeviceGraphics() {
    ResetClip();
    device_ = nullptr;
    // The device's pixels are read directly once the pass is over.
    if (graphics_ != nullptr) {
        cairo_surface_flush(cairo_get_target(graphics_.get()));
    }
}

void DeviceGraphics::SetClip(RECT r) {
    if (device_ == nullptr) {
        return;
    }
    if (graphics_ != nullptr) {
        cairo_t* cr = graphics_.get();
        cairo_reset_clip(cr);
        // In device pixels: the rectangle's own pixels, without the centre offset.
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, r.left, r.top, static_cast<double>(r.right) - r.left,
                        static_cast<double>(r.bottom) - r.top);
        cairo_restore(cr);
        cairo_clip(cr);
    }
    clip_ = true;
    clipRect_ = r;
}

void DeviceGraphics::ResetClip() {
    if (!clip_) {
        return;
    }
    if (graphics_ != nullptr && device_ != nullptr) {
        const SIZE size = device_->GetSize();
        cairo_t* cr = graphics_.get();
        cairo_reset_clip(cr);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_new_path(cr);
        cairo_rectangle(cr, 0, 0, size.cx, size.cy);
        cairo_restore(cr);
        cairo_clip(cr);
        clipRect_ = RECT{0, 0, size.cx, size.cy};
    }
    clip_ = false;
}

void DeviceGraphics::Save() {
    savedClips_.push_back(clip_);
    savedClipRects_.push_back(clipRect_);
    if (graphics_ != nullptr) {
        cairo_save(graphics_.get());
    }
}

void DeviceGraphics::Restore() {
    if (savedClips_.empty()) {
        return;
    }
    clip_ = savedClips_.back();
    savedClips_.pop_back();
    clipRect_ = savedClipRects_.back();
    savedClipRects_.pop_back();
    if (graphics_ != nullptr) {
        cairo_restore(graphics_.get());
    }
}

void DeviceGraphics::DrawPolyline(const double* xy, int count, COLORREF colour, double width,
                                  BYTE opacity) {
    if (graphics_ == nullptr || xy == nullptr || count < 2) {
        return;
    }
    ForgetPixels();
    if (AddPath(graphics_.get(), xy, count)) {
        StrokePath(graphics_.get(), colour, opacity, width);
    }
}

void DeviceGraphics::DrawRectangle(RECT r, COLORREF colour, BYTE opacity, double width) {
    const double outline[10] = {
        double(r.left),   double(r.top),   double(r.left), double(r.bottom), double(r.right),
        double(r.bottom), double(r.right), double(r.top),  double(r.left),   double(r.top),
    };
    DrawPolyline(outline, 5, colour, width, opacity);
}

void DeviceGraphics::FillUnderCurve(const double* xy, double baseY, int count, COLORREF colour,
                                    BYTE opacity) {
    if (graphics_ == nullptr || xy == nullptr || count < 2) {
        return;
    }
    std::vector<double> polygon(xy, xy + 2 * static_cast<std::size_t>(count));
    polygon.insert(polygon.end(), {xy[2 * (count - 1)], baseY, xy[0], baseY});
    if (FillOverKnownPixels(polygon, colour, opacity)) {
        return;
    }
    ForgetPixels();
    if (AddPath(graphics_.get(), polygon.data(), count + 2)) {
        cairo_close_path(graphics_.get());
        FillPath(graphics_.get(), colour, opacity);
    }
}

void DeviceGraphics::ForgetPixels() {
    SolidRows::Settle(cairo_get_target(graphics_.get()));
}

bool DeviceGraphics::FillOverKnownPixels(const std::vector<double>& polygon, COLORREF colour,
                                         BYTE opacity) {
    cairo_surface_t* surface = cairo_get_target(graphics_.get());
    SolidRows* known = SolidRows::Of(surface);
    const RECT& c = clipRect_;
    if (known == nullptr || known->Empty() || c.left < 0 || c.top < 0 ||
        c.right > surfaceRect_.right || c.bottom > surfaceRect_.bottom || c.right <= c.left ||
        c.bottom <= c.top) {
        return false;
    }
    std::vector<AliasedFillSpans::FixedPoint> points;
    points.reserve(polygon.size() / 2);
    for (std::size_t i = 0; i + 1 < polygon.size(); i += 2) {
        double x = 0.0;
        double y = 0.0;
        if (!ToPoint(polygon[i], polygon[i + 1], &x, &y)) {
            return false;
        }
        points.push_back({AliasedFillSpans::ToFixed(x + kPixelCentre),
                          AliasedFillSpans::ToFixed(y + kPixelCentre)});
    }
    thread_local KnownPixelFill fill;
    return fill.Fill(surface, *known, points, c, colour, opacity);
}

void DeviceGraphics::FillRect(RECT r, COLORREF colour, BYTE opacity) {
    if (graphics_ == nullptr || r.right <= r.left || r.bottom <= r.top) {
        return;
    }
    ForgetPixels();
    // Cairo's clip is clipRect_, unless that was given upside down: Cairo
    // then clips to the rectangle set upright, which is left to it.
    if (clipRect_.right > clipRect_.left && clipRect_.bottom > clipRect_.top &&
        FillPixelRect(graphics_.get(), r, clipRect_, colour, opacity)) {
        return;
    }
    cairo_t* cr = graphics_.get();
    cairo_new_path(cr);
    cairo_rectangle(cr, r.left, r.top, static_cast<double>(r.right) - r.left,
                    static_cast<double>(r.bottom) - r.top);
    FillPath(cr, colour, opacity);
}

void DeviceGraphics::FillTriangleMarker(POINT centre, COLORREF colour, BYTE opacity, int size) {
    const int half = size / 2;
    const int third = size / 3;
    const double triangle[6] = {
        double(centre.x - half), double(centre.y - third), double(centre.x + half),
        double(centre.y),        double(centre.x - half),  double(centre.y + third),
    };
    FillTriangles(triangle, 1, colour, opacity);
}

void DeviceGraphics::FillTriangles(const double* points, int count, COLORREF colour, BYTE opacity) {
    if (graphics_ == nullptr || points == nullptr || count < 1) {
        return;
    }
    ForgetPixels();
    for (int i = 0; i < count; ++i) {
        if (AddPath(graphics_.get(), points + 6 * static_cast<std::size_t>(i), 3)) {
            cairo_close_path(graphics_.get());
            FillPath(graphics_.get(), colour, opacity);
        }
    }
}

void DeviceGraphics::DrawHatchedPolygon(const PointF* points, int count, COLORREF colour,
                                        BYTE opacity, double width, int hatchStyle) {
    if (graphics_ == nullptr || points == nullptr || count < 2) {
        return;
    }
    ForgetPixels();
    std::vector<double> xy;
    xy.reserve(2 * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        xy.push_back(points[i].X);
        xy.push_back(points[i].Y);
    }
    cairo_t* cr = graphics_.get();
    if (!AddPath(cr, xy.data(), count)) {
        return;
    }
    cairo_close_path(cr);
    StrokePath(cr, colour, opacity, width);
    if (const CairoPatternPtr hatch = CreateHatch(hatchStyle, colour, opacity)) {
        AddPath(cr, xy.data(), count);
        cairo_close_path(cr);
        cairo_set_source(cr, hatch.get());
        cairo_fill(cr);
    }
}

void DeviceGraphics::DrawText(double x, double y, const char* text, const char* fontName,
                              double size, COLORREF colour, short align, short lineAlign) {
    if (graphics_ == nullptr || !std::isfinite(x) || !std::isfinite(y)) {
        return;
    }
    const TextLayouter::Layout* layout = LayOut(text, fontName, size);
    if (layout == nullptr) {
        return;
    }
    const TextPlacement place = PlaceText(x, y, *layout, size, align, lineAlign);
    ForgetPixels();
    cairo_t* cr = graphics_.get();
    cairo_save(cr);
    // Text is placed in device pixels, so that its box and a FillRect of the
    // box cover the same pixels.
    cairo_identity_matrix(cr);
    SetCairoColour(cr, colour, 255);
    for (std::size_t i = 0; i < layout->lines.size(); ++i) {
        const TextLayouter::Line& line = layout->lines[i];
        double lineLeft = place.left + place.padding;
        if (align == kAlignCenter) {
            lineLeft += (layout->width - line.width) / 2.0;
        } else if (align == kAlignFar) {
            lineLeft += layout->width - line.width;
        }
        const double baseline = place.top + layout->ascent + layout->lineHeight * double(i);
        TextLayouter::ShowLine(cr, line, std::round(lineLeft), std::round(baseline));
    }
    cairo_restore(cr);
}

void DeviceGraphics::MeasureText(double x, double y, double rect[4], const char* text,
                                 const char* fontName, double size, short align, short lineAlign) {
    if (rect == nullptr) {
        return;
    }
    TextPlacement place;
    place.left = x;
    place.top = y;
    if (const TextLayouter::Layout* layout = LayOut(text, fontName, size)) {
        place = PlaceText(x, y, *layout, size, align, lineAlign);
    }
    rect[0] = place.left;
    rect[1] = place.top;
    rect[2] = place.left + place.width;
    rect[3] = place.top + place.height;
}

#include "drawing/PixelRectFill.h"

#include <algorithm>
#include <cstdint>

#include "platform/PixmanImage.h"

bool FillPixelRect(cairo_t* cr, RECT r, RECT clip, COLORREF colour, BYTE opacity) {
    cairo_surface_t* surface = cairo_get_target(cr);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_get_operator(cr) != CAIRO_OPERATOR_OVER || m.xx != 1.0 || m.yy != 1.0 ||
        m.xy != 0.0 || m.yx != 0.0 || m.x0 != 0.5 || m.y0 != 0.5) {
        return false;
    }
    pixman_format_code_t format;
    switch (cairo_image_surface_get_format(surface)) {
        case CAIRO_FORMAT_ARGB32:
            format = PIXMAN_a8r8g8b8;
            break;
        case CAIRO_FORMAT_RGB24:
            format = PIXMAN_x8r8g8b8;
            break;
        default:
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
    const PixmanImagePtr target(pixman_image_create_bits_no_clear(
        format, width, height, reinterpret_cast<std::uint32_t*>(data),
        cairo_image_surface_get_stride(surface)));
    // Premultiplied, 16 bits a channel, rounded as Cairo rounds.
    const double alpha = opacity / 255.0;
    auto channel = [alpha](BYTE value) {
        return static_cast<std::uint16_t>(value / 255.0 * alpha * 65535.0 + 0.5);
    };
    const pixman_color_t premultiplied{channel(GetRValue(colour)), channel(GetGValue(colour)),
                                       channel(GetBValue(colour)),
                                       static_cast<std::uint16_t>(alpha * 65535.0 + 0.5)};
    const PixmanImagePtr source(pixman_image_create_solid_fill(&premultiplied));
    if (target == nullptr || source == nullptr) {
        return false;
    }
    pixman_image_composite32(PIXMAN_OP_OVER, source.get(), nullptr, target.get(), 0, 0, 0, 0, left,
                             top, right - left, bottom - top);
    cairo_surface_mark_dirty_rectangle(surface, left, top, right - left, bottom - top);
    return true;
}

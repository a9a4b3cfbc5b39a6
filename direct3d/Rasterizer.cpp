#include "direct3d/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "direct3d/PixelMath.h"
#include "direct3d/TexelFormat.h"
#include "direct3d/TextureStorage.h"

namespace d3d9soft {

namespace {

constexpr double kSubpixels = 256.0;
// Vertices beyond this many pixels from the origin are clipped first, so that
// the fixed-point edge functions cannot overflow.
constexpr double kGuardBand = 1 << 20;
// A texture coordinate this close below a texel edge counts as on it, so
// that rounding in the interpolation does not move exact edges.
constexpr double kEdgeSlack = 1.0 / (1 << 20);

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// Rounds halves away from zero, as the compositor does.
double Snap(float coordinate) {
    return static_cast<double>(std::llround(coordinate * kSubpixels)) / kSubpixels;
}

struct Point {
    double x;
    double y;
};

// a(x, y) = a0 + dx * (x - x0) + dy * (y - y0) over screen pixels: relative
// to a vertex, so that whole steps from it land exactly where they should.
struct Plane {
    double a0 = 0;
    double x0 = 0;
    double y0 = 0;
    double dx = 0;
    double dy = 0;
    double At(double x, double y) const { return a0 + dx * (x - x0) + dy * (y - y0); }
};

Plane MakePlane(const Point p[3], double a0, double a1, double a2) {
    const double x1 = p[1].x - p[0].x, y1 = p[1].y - p[0].y;
    const double x2 = p[2].x - p[0].x, y2 = p[2].y - p[0].y;
    const double area = x1 * y2 - x2 * y1;
    Plane plane;
    plane.dx = ((a1 - a0) * y2 - (a2 - a0) * y1) / area;
    plane.dy = ((a2 - a0) * x1 - (a1 - a0) * x2) / area;
    plane.a0 = a0;
    plane.x0 = p[0].x;
    plane.y0 = p[0].y;
    return plane;
}

struct Attributes {
    Plane u;
    Plane v;
    bool flatColour = true;
    std::uint32_t colour = 0;
    Plane channel[4];  // a, r, g, b
    Filter filter = Filter::kPoint;
};

std::uint32_t ColourAt(const Attributes& at, double x, double y) {
    if (at.flatColour) {
        return at.colour;
    }
    std::uint32_t c[4];
    for (int i = 0; i < 4; ++i) {
        double value = std::clamp(at.channel[i].At(x, y), 0.0, 255.0);
        c[i] = static_cast<std::uint32_t>(std::lround(value));
    }
    return Pack(c[0], c[1], c[2], c[3]);
}

std::int64_t Wrap(std::int64_t i, int size) {
    std::int64_t r = i % size;
    return r < 0 ? r + size : r;
}

// Keeps texture coordinates in a range where the fixed-point step is exact.
double Tame(double t) {
    return std::isfinite(t) ? std::clamp(t, -1e12, 1e12) : 0.0;
}

// Covers the pixels of one triangle (fixed-point vertices, positive area).
void Cover(const Target& target, const DrawState& state, const Attributes& at,
           const std::int64_t px[3], const std::int64_t py[3]) {
    struct Edge {
        std::int64_t a, b, ax, ay, bias;
    };
    Edge edges[3];
    for (int i = 0; i < 3; ++i) {
        const int from = (i + 1) % 3, to = (i + 2) % 3;
        Edge& e = edges[i];
        e.a = px[to] - px[from];
        e.b = py[to] - py[from];
        e.ax = px[from];
        e.ay = py[from];
        const bool topLeft = (e.b == 0 && e.a > 0) || e.b < 0;
        e.bias = topLeft ? 0 : 1;
    }
    const std::int64_t sub = static_cast<std::int64_t>(kSubpixels);
    std::int64_t x0 = CeilDiv(std::min({px[0], px[1], px[2]}), sub);
    std::int64_t x1 = FloorDiv(std::max({px[0], px[1], px[2]}), sub);
    std::int64_t y0 = CeilDiv(std::min({py[0], py[1], py[2]}), sub);
    std::int64_t y1 = FloorDiv(std::max({py[0], py[1], py[2]}), sub);
    x0 = std::max<std::int64_t>(x0, target.clip.left);
    x1 = std::min<std::int64_t>(x1, target.clip.right - 1);
    y0 = std::max<std::int64_t>(y0, target.clip.top);
    y1 = std::min<std::int64_t>(y1, target.clip.bottom - 1);

    for (std::int64_t y = y0; y <= y1; ++y) {
        std::int64_t lo = x0, hi = x1;
        for (const Edge& e : edges) {
            // Inside when c - b * X >= bias, X the pixel centre in fixed point.
            const std::int64_t c = e.a * (y * sub - e.ay) + e.b * e.ax;
            if (e.b == 0) {
                if (c < e.bias) {
                    hi = lo - 1;
                }
            } else if (e.b > 0) {
                hi = std::min(hi, FloorDiv(c - e.bias, e.b * sub));
            } else {
                lo = std::max(lo, CeilDiv(e.bias - c, -e.b * sub));
            }
        }
        std::uint32_t* row = target.pixels + y * target.stride;
        for (std::int64_t x = lo; x <= hi; ++x) {
            const double fx = static_cast<double>(x), fy = static_cast<double>(y);
            const std::uint32_t diffuse = ColourAt(at, fx, fy);
            if (state.texture != nullptr) {
                const TexelSample texel =
                    SampleTexture(*state.texture, at.filter, at.u.At(fx, fy), at.v.At(fx, fy));
                row[x] = ShadePixel(state, &texel, diffuse, row[x]);
            } else {
                row[x] = ShadePixel(state, nullptr, diffuse, row[x]);
            }
        }
    }
}

void CoverSnapped(const Target& target, const DrawState& state, const Attributes& at,
                  const Point p[3]) {
    std::int64_t px[3], py[3];
    for (int i = 0; i < 3; ++i) {
        px[i] = std::llround(p[i].x * kSubpixels);
        py[i] = std::llround(p[i].y * kSubpixels);
    }
    const std::int64_t area = (px[1] - px[0]) * (py[2] - py[0]) - (px[2] - px[0]) * (py[1] - py[0]);
    if (area == 0) {
        return;
    }
    if (area < 0) {
        std::swap(px[1], px[2]);
        std::swap(py[1], py[2]);
    }
    Cover(target, state, at, px, py);
}

// Clips a polygon to the guard band, one side at a time.
std::vector<Point> ClipToGuardBand(std::vector<Point> polygon) {
    for (int side = 0; side < 4 && !polygon.empty(); ++side) {
        auto inside = [side](const Point& p) {
            switch (side) {
                case 0:
                    return p.x >= -kGuardBand;
                case 1:
                    return p.x <= kGuardBand;
                case 2:
                    return p.y >= -kGuardBand;
                default:
                    return p.y <= kGuardBand;
            }
        };
        auto cross = [side](const Point& a, const Point& b) {
            const bool vertical = side < 2;
            const double limit = (side % 2 == 0) ? -kGuardBand : kGuardBand;
            const double t = vertical ? (limit - a.x) / (b.x - a.x) : (limit - a.y) / (b.y - a.y);
            Point p{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
            (vertical ? p.x : p.y) = limit;
            return p;
        };
        std::vector<Point> out;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Point& a = polygon[i];
            const Point& b = polygon[(i + 1) % polygon.size()];
            if (inside(a)) {
                out.push_back(a);
                if (!inside(b)) {
                    out.push_back(cross(a, b));
                }
            } else if (inside(b)) {
                out.push_back(cross(a, b));
            }
        }
        polygon = std::move(out);
    }
    return polygon;
}

}  // namespace

TexelSample SampleTexture(const TextureStorage& texture, Filter filter, double u, double v) {
    const int w = texture.Width(), h = texture.Height();
    const D3DFORMAT format = texture.Format();
    u = Tame(u);
    v = Tame(v);
    if (filter == Filter::kPoint) {
        const std::int64_t x = Wrap(static_cast<std::int64_t>(std::floor(u + kEdgeSlack)), w);
        const std::int64_t y = Wrap(static_cast<std::int64_t>(std::floor(v + kEdgeSlack)), h);
        const std::uint32_t t =
            DecodeTexel(format, texture.Texel(static_cast<int>(x), static_cast<int>(y)));
        return {t, Premultiply(t)};
    }
    const auto fu = static_cast<std::int64_t>(std::floor((u - 0.5) * 65536.0));
    const auto fv = static_cast<std::int64_t>(std::floor((v - 0.5) * 65536.0));
    const int x0 = static_cast<int>(Wrap(fu >> 16, w)),
              x1 = static_cast<int>(Wrap((fu >> 16) + 1, w));
    const int y0 = static_cast<int>(Wrap(fv >> 16, h)),
              y1 = static_cast<int>(Wrap((fv >> 16) + 1, h));
    auto at = [&](int x, int y) { return Premultiply(DecodeTexel(format, texture.Texel(x, y))); };
    const std::uint32_t p =
        Bilinear(at(x0, y0), at(x1, y0), at(x0, y1), at(x1, y1), static_cast<int>((fu >> 9) & 0x7F),
                 static_cast<int>((fv >> 9) & 0x7F));
    return {Unpremultiply(p), p};
}

namespace {

// One channel of the source times its blend factor.
std::uint32_t SourceTerm(DWORD blend, std::uint32_t premultiplied, std::uint32_t colour,
                         std::uint32_t alpha) {
    switch (blend) {
        case D3DBLEND_ONE:
            return colour;
        case D3DBLEND_SRCALPHA:
            return premultiplied;
        case D3DBLEND_INVSRCALPHA:
            return MulUn8(colour, 255 - alpha);
        case D3DBLEND_SRCCOLOR:
            return MulUn8(colour, colour);
        case D3DBLEND_INVSRCCOLOR:
            return MulUn8(colour, 255 - colour);
        default:
            return 0;
    }
}

// One channel of the destination times its blend factor.
std::uint32_t DestinationTerm(DWORD blend, std::uint32_t destination, std::uint32_t colour,
                              std::uint32_t alpha) {
    switch (blend) {
        case D3DBLEND_ONE:
            return destination;
        case D3DBLEND_SRCALPHA:
            return MulUn8(destination, alpha);
        case D3DBLEND_INVSRCALPHA:
            return MulUn8(destination, 255 - alpha);
        case D3DBLEND_SRCCOLOR:
            return MulUn8(destination, colour);
        case D3DBLEND_INVSRCCOLOR:
            return MulUn8(destination, 255 - colour);
        default:
            return 0;
    }
}

}  // namespace

std::uint32_t ShadePixel(const DrawState& state, const TexelSample* texel, std::uint32_t diffuse,
                         std::uint32_t destination) {
    const Combiner& c = state.combiner;
    const bool tc = c.colourTexture && texel != nullptr;
    const bool ta = c.alphaTexture && texel != nullptr;
    // Premultiplied result, multiplied in the order pixman applies a texture
    // and then a mask, so that both paths round alike.
    std::uint32_t s = 0xFFFFFFFFu;
    if (tc && ta) {
        s = texel->premultiplied;
    } else if (tc) {
        s = texel->straight | 0xFF000000u;
    } else if (ta) {
        const std::uint32_t a = Alpha(texel->straight);
        s = Pack(a, a, a, a);
    }
    if (c.colourDiffuse && c.alphaDiffuse) {
        s = MulChannels(s, Premultiply(diffuse));
    } else if (c.colourDiffuse) {
        s = MulChannels(s, diffuse | 0xFF000000u);
    } else if (c.alphaDiffuse) {
        s = MulAll(s, Alpha(diffuse));
    }
    std::uint32_t colour = tc ? texel->straight | 0xFF000000u : 0xFFFFFFFFu;
    if (c.colourDiffuse) {
        colour = MulChannels(colour, diffuse | 0xFF000000u);
    }
    if (!state.blend) {
        return colour | 0xFF000000u;
    }
    const std::uint32_t alpha = Alpha(s);
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t sc = (s >> shift) & 0xFF;
        const std::uint32_t cc = (colour >> shift) & 0xFF;
        const std::uint32_t dc = (destination >> shift) & 0xFF;
        const std::uint32_t src = SourceTerm(state.srcBlend, sc, cc, alpha);
        const std::uint32_t dst = DestinationTerm(state.destBlend, dc, cc, alpha);
        out |= std::min<std::uint32_t>(src + dst, 255) << shift;
    }
    return out;
}

void DrawTriangle(const Target& target, const DrawState& state, const Vertex& a, const Vertex& b,
                  const Vertex& c) {
    const Vertex* v[3] = {&a, &b, &c};
    Point p[3];
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(v[i]->x) || !std::isfinite(v[i]->y)) {
            return;
        }
        p[i] = {Snap(v[i]->x), Snap(v[i]->y)};
    }
    const double area =
        (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (area == 0 || (state.cull == D3DCULL_CCW && area < 0) ||
        (state.cull == D3DCULL_CW && area > 0)) {
        return;
    }

    Attributes at;
    const double w = state.texture ? state.texture->Width() : 1;
    const double h = state.texture ? state.texture->Height() : 1;
    at.u = MakePlane(p, a.u * w, b.u * w, c.u * w);
    at.v = MakePlane(p, a.v * h, b.v * h, c.v * h);
    at.filter = PickFilter(state, at.u.dx, at.v.dx, at.u.dy, at.v.dy);
    at.flatColour = a.diffuse == b.diffuse && a.diffuse == c.diffuse;
    at.colour = a.diffuse;
    if (!at.flatColour) {
        for (int i = 0; i < 4; ++i) {
            const int shift = 24 - 8 * i;
            at.channel[i] = MakePlane(p, (a.diffuse >> shift) & 0xFF, (b.diffuse >> shift) & 0xFF,
                                      (c.diffuse >> shift) & 0xFF);
        }
    }

    bool inside = true;
    for (const Point& q : p) {
        inside = inside && std::abs(q.x) <= kGuardBand && std::abs(q.y) <= kGuardBand;
    }
    if (inside) {
        CoverSnapped(target, state, at, p);
        return;
    }
    const std::vector<Point> polygon = ClipToGuardBand({p[0], p[1], p[2]});
    for (std::size_t i = 2; i < polygon.size(); ++i) {
        const Point piece[3] = {polygon[0], polygon[i - 1], polygon[i]};
        CoverSnapped(target, state, at, piece);
    }
}

}  // namespace d3d9soft

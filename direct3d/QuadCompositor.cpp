#include "direct3d/QuadCompositor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "direct3d/PixelMath.h"
#include "direct3d/Rasterizer.h"
#include "direct3d/ScaledComposite.h"
#include "direct3d/SolidArea.h"
#include "direct3d/TextureStorage.h"

namespace d3d9soft {

namespace {

constexpr double kSubpixels = 256.0;
// Mappings steeper than this (texels per pixel) would overflow pixman's
// fixed-point transform; the rasteriser draws them.
constexpr double kMaxSlope = 4096.0;

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

bool Constrain(double anchor, double& lo, double& hi, double dx, double value) {
    if (dx == 0) {
        return std::abs(value - anchor) <= kMergeTolerance;
    }
    double a = (value - kMergeTolerance - anchor) / dx;
    double b = (value + kMergeTolerance - anchor) / dx;
    if (dx < 0) {
        std::swap(a, b);
    }
    lo = std::max(lo, a);
    hi = std::min(hi, b);
    return lo <= hi;
}

pixman_fixed_t CeilFixed(double value) {
    return static_cast<pixman_fixed_t>(std::ceil(value * 65536.0));
}

// One row of the source transform: value = x * perX + y * perY + constant.
struct Row {
    double perX;
    double perY;
    double constant;
};

// How a run samples its texture: the two texture axes as the rows of
// pixman's transform, their steps in its fixed point, and the allowances
// that make pixman's sampling match Direct3D's.
struct Sampling {
    Row rows[2];
    double sizes[2];
    pixman_fixed_t perX[2];
    pixman_fixed_t perY[2];
    pixman_fixed_t bias;
    double margin;
};

Sampling MakeSampling(const Row& first, const Row& second, double firstSize, double secondSize,
                      Filter filter) {
    // pixman's nearest sampling takes the texel below an exact texel edge,
    // Direct3D the one above. Rounding every coefficient up keeps pixman's
    // positions at or just above the exact ones, never below, and the bias
    // lifts an exact edge onto the upper texel.
    Sampling s{{first, second},
               {firstSize, secondSize},
               {},
               {},
               filter == Filter::kPoint ? 2 : 0,
               filter == Filter::kPoint ? 0.0 : 0.5};
    for (int i = 0; i < 2; ++i) {
        s.perX[i] = CeilFixed(s.rows[i].perX);
        s.perY[i] = CeilFixed(s.rows[i].perY);
    }
    return s;
}

// The transform of the tile of tw x th pixels at (tx, ty); true when every
// sample lies inside the texture.
bool TileTransform(const Sampling& s, int tx, int ty, int tw, int th, pixman_transform_t* t) {
    pixman_transform_init_identity(t);
    bool inside = true;
    for (int i = 0; i < 2; ++i) {
        const Row& r = s.rows[i];
        // The value at the tile's first pixel centre, brought into the
        // texture by whole wraps, which repetition does not notice.
        double start = r.perX * tx + r.perY * ty + r.constant;
        start -= s.sizes[i] * std::floor(start / s.sizes[i]);
        const double endX = r.perX * (tw - 1), endY = r.perY * (th - 1);
        const double lo = start + std::min(0.0, endX) + std::min(0.0, endY);
        const double hi = start + std::max(0.0, endX) + std::max(0.0, endY);
        const double drift = (tw + th + 4) / 65536.0;  // rounding up, at most
        inside = inside && lo >= s.margin && hi + drift < s.sizes[i] - s.margin;
        // pixman samples at (i + 0.5, j + 0.5) from the tile's corner.
        const double constant = start - 0.5 * (s.perX[i] + s.perY[i]) / 65536.0;
        t->matrix[i][0] = s.perX[i];
        t->matrix[i][1] = s.perY[i];
        t->matrix[i][2] = CeilFixed(constant) + s.bias;
    }
    return inside;
}

// The pixels a rasterised triangle may cover, within the clip; the whole
// clip for vertices too far out to bound.
RECT TriangleBounds(const RECT& clip, const Vertex& a, const Vertex& b, const Vertex& c) {
    const double lo = -1e9, hi = 1e9;
    double x0 = hi, y0 = hi, x1 = lo, y1 = lo;
    for (const Vertex* v : {&a, &b, &c}) {
        if (!(v->x > lo && v->x < hi && v->y > lo && v->y < hi)) {
            return clip;
        }
        x0 = std::min<double>(x0, v->x);
        x1 = std::max<double>(x1, v->x);
        y0 = std::min<double>(y0, v->y);
        y1 = std::max<double>(y1, v->y);
    }
    // A pixel beyond each side, whatever the snapping.
    return RECT{std::max(clip.left, static_cast<LONG>(std::floor(x0)) - 1),
                std::max(clip.top, static_cast<LONG>(std::floor(y0)) - 1),
                std::min(clip.right, static_cast<LONG>(std::ceil(x1)) + 2),
                std::min(clip.bottom, static_cast<LONG>(std::ceil(y1)) + 2)};
}

void RasteriseTriangle(const Target& target, const DrawState& state, const Vertex& a,
                       const Vertex& b, const Vertex& c) {
    FlushColumns(target);
    Touch(target, TriangleBounds(target.clip, a, b, c));
    DrawTriangle(target, state, a, b, c);
}

}  // namespace

QuadCompositor::QuadCompositor(const DrawState& state, bool targetImage, StripPlan& plan)
    : state_(state), plan_(&plan) {
    Init(targetImage);
}

QuadCompositor::QuadCompositor(const Target& target, pixman_image_t* targetImage,
                               const DrawState& state)
    : state_(state), target_(&target), targetImage_(targetImage) {
    Init(targetImage != nullptr);
}

void QuadCompositor::Init(bool targetImage) {
    const TextureStorage* texture = state_.texture;
    if (texture == nullptr || !targetImage || !state_.combiner.colourTexture) {
        return;
    }
    const bool opaque = texture->Opaque();
    if (!state_.combiner.alphaTexture && !opaque) {
        return;
    }
    if (state_.blend) {
        usable_ = state_.srcBlend == D3DBLEND_SRCALPHA && state_.destBlend == D3DBLEND_INVSRCALPHA;
    } else {
        usable_ = opaque;
    }
}

// Four strip vertices read as an axis-aligned rectangle in 1/256 pixel, with
// the texel mapping of each texture axis from corner 0.
struct QuadCompositor::Quad {
    struct Map {
        double at0, perX, perY;
    };
    std::int64_t left = 0, right = 0, top = 0, bottom = 0;
    D3DCOLOR colour = 0;
    double x0 = 0, y0 = 0;
    Map u{}, v{};
    bool culled = false;

    // The mapping's value at an x edge on the top row.
    double ValueAt(const Map& m, std::int64_t edge) const {
        return m.at0 + m.perX * (edge / kSubpixels - x0) + m.perY * (top / kSubpixels - y0);
    }
};

std::optional<QuadCompositor::Quad> QuadCompositor::ReadQuad(const Vertex* q) const {
    std::int64_t x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(q[i].x) || !std::isfinite(q[i].y) || q[i].diffuse != q[0].diffuse) {
            return std::nullopt;
        }
        x[i] = RoundHalfAway(static_cast<double>(q[i].x) * kSubpixels);
        y[i] = RoundHalfAway(static_cast<double>(q[i].y) * kSubpixels);
    }
    // Vertices 0 and 3 are opposite corners, 1 and 2 the other two.
    int across = -1, down = -1;  // neighbours of vertex 0 along x and along y
    for (int i : {1, 2}) {
        if (x[i] == x[3] && y[i] == y[0]) {
            across = i;
        } else if (x[i] == x[0] && y[i] == y[3]) {
            down = i;
        }
    }
    const bool colourOk = !state_.combiner.colourDiffuse || (q[0].diffuse & 0xFFFFFF) == 0xFFFFFF;
    if (x[0] == x[3] || y[0] == y[3] || across < 0 || down < 0 || !colourOk ||
        std::abs(x[0]) > (std::int64_t{1} << 40) || std::abs(y[0]) > (std::int64_t{1} << 40)) {
        return std::nullopt;
    }

    const double w = state_.texture->Width(), h = state_.texture->Height();
    const double dxAcross = (x[across] - x[0]) / kSubpixels;
    const double dyDown = (y[down] - y[0]) / kSubpixels;
    auto makeMap = [&](double a0, double aAcross, double aDown, double a3, Quad::Map& m) {
        m.at0 = a0;
        m.perX = (aAcross - a0) / dxAcross;
        m.perY = (aDown - a0) / dyDown;
        // Both triangles must share the mapping: the fourth corner agrees.
        return std::abs(a3 - (aAcross + aDown - a0)) <= kMergeTolerance &&
               std::abs(m.perX) <= kMaxSlope && std::abs(m.perY) <= kMaxSlope;
    };
    Quad quad;
    if (!makeMap(q[0].u * w, q[across].u * w, q[down].u * w, q[3].u * w, quad.u) ||
        !makeMap(q[0].v * h, q[across].v * h, q[down].v * h, q[3].v * h, quad.v)) {
        return std::nullopt;
    }
    // Culling: both triangles of the quad wind alike.
    const double area = static_cast<double>(x[1] - x[0]) * static_cast<double>(y[2] - y[0]) -
                        static_cast<double>(x[2] - x[0]) * static_cast<double>(y[1] - y[0]);
    quad.culled =
        (state_.cull == D3DCULL_CCW && area < 0) || (state_.cull == D3DCULL_CW && area > 0);
    quad.left = std::min(x[0], x[3]);
    quad.right = std::max(x[0], x[3]);
    quad.top = std::min(y[0], y[3]);
    quad.bottom = std::max(y[0], y[3]);
    quad.colour = q[0].diffuse;
    quad.x0 = x[0] / kSubpixels;
    quad.y0 = y[0] / kSubpixels;
    return quad;
}

bool QuadCompositor::Add(const Vertex* q) {
    if (!usable_) {
        return false;
    }
    const std::optional<Quad> quad = ReadQuad(q);
    if (!quad) {
        Flush();
        return false;
    }
    if (quad->culled) {
        Flush();
        return true;
    }
    if (!Extend(*quad)) {
        Flush();
        Start(*quad);
    }
    return true;
}

bool QuadCompositor::Extend(const Quad& quad) {
    if (!pending_ || run_.top != quad.top || run_.bottom != quad.bottom ||
        run_.colour != quad.colour || (quad.left != run_.right && quad.right != run_.left)) {
        return false;
    }
    QuadRun merged = run_;
    const double height = (quad.bottom - quad.top) / kSubpixels;
    bool ok = std::abs(quad.u.perY - merged.u.perY) * height <= kMergeTolerance &&
              std::abs(quad.v.perY - merged.v.perY) * height <= kMergeTolerance;
    for (std::int64_t edge : {quad.left, quad.right}) {
        const double dx = edge / kSubpixels - merged.anchorX;
        ok = ok && Constrain(merged.u.atAnchor, merged.u.slopeLo, merged.u.slopeHi, dx,
                             quad.ValueAt(quad.u, edge));
        ok = ok && Constrain(merged.v.atAnchor, merged.v.slopeLo, merged.v.slopeHi, dx,
                             quad.ValueAt(quad.v, edge));
    }
    if (!ok) {
        return false;
    }
    merged.left = std::min(merged.left, quad.left);
    merged.right = std::max(merged.right, quad.right);
    run_ = merged;
    return true;
}

void QuadCompositor::Start(const Quad& quad) {
    pending_ = true;
    run_ = QuadRun{};
    run_.left = quad.left;
    run_.right = quad.right;
    run_.top = quad.top;
    run_.bottom = quad.bottom;
    run_.colour = quad.colour;
    run_.anchorX = quad.left / kSubpixels;
    const double inf = std::numeric_limits<double>::infinity();
    run_.u = QuadRun::Axis{quad.ValueAt(quad.u, quad.left), quad.u.perY, -inf, inf};
    run_.v = QuadRun::Axis{quad.ValueAt(quad.v, quad.left), quad.v.perY, -inf, inf};
    const double dx = (quad.right - quad.left) / kSubpixels;
    Constrain(run_.u.atAnchor, run_.u.slopeLo, run_.u.slopeHi, dx,
              quad.ValueAt(quad.u, quad.right));
    Constrain(run_.v.atAnchor, run_.v.slopeLo, run_.v.slopeHi, dx,
              quad.ValueAt(quad.v, quad.right));
}

void QuadCompositor::Flush() {
    if (pending_) {
        pending_ = false;
        if (plan_ != nullptr) {
            plan_->steps.push_back(StripPlan::Step{StripPlan::Kind::kRun, 0, run_});
        } else {
            Composite(*target_, targetImage_, state_, run_);
        }
    }
}

void QuadCompositor::Composite(const Target& target, pixman_image_t* targetImage,
                               const DrawState& state, const QuadRun& run) {
    const std::int64_t sub = static_cast<std::int64_t>(kSubpixels);
    const int x0 =
        static_cast<int>(std::max<std::int64_t>(CeilDiv(run.left, sub), target.clip.left));
    const int x1 =
        static_cast<int>(std::min<std::int64_t>(CeilDiv(run.right, sub), target.clip.right));
    const int y0 = static_cast<int>(std::max<std::int64_t>(CeilDiv(run.top, sub), target.clip.top));
    const int y1 =
        static_cast<int>(std::min<std::int64_t>(CeilDiv(run.bottom, sub), target.clip.bottom));
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    const double topY = run.top / kSubpixels;
    auto rowOf = [&](const QuadRun::Axis& a) {
        const double perX = (a.slopeLo + a.slopeHi) / 2;
        return Row{perX, a.perY, a.atAnchor - perX * run.anchorX - a.perY * topY};
    };
    const Row u = rowOf(run.u), v = rowOf(run.v);
    const Filter filter = PickFilter(state, u.perX, v.perX, u.perY, v.perY);
    // Texture rows along screen x and samples along screen y: sample the
    // transposed copy, so that pixman only scales.
    const bool transposed = u.perX == 0 && v.perY == 0 && (v.perX != 0 || u.perY != 0);
    // The diffuse alpha, pixman's solid mask, is applied to the sampling copy.
    const std::uint32_t alpha = state.blend && state.combiner.alphaDiffuse ? run.colour >> 24 : 255;
    // Kept columns may sample the copy that this would build or bring up
    // to date.
    if (target.columns != nullptr && !state.texture->SamplingReady(transposed, alpha)) {
        target.columns->Flush();
    }
    pixman_image_t* source = state.texture->SamplingImage(transposed, alpha);
    if (source == nullptr) {
        return;  // a locked texture draws nothing
    }
    const double width = state.texture->Width(), height = state.texture->Height();
    const Sampling sampling = transposed ? MakeSampling(v, u, height, width, filter)
                                         : MakeSampling(u, v, width, height, filter);

    const RECT drawn{x0, y0, x1, y1};
    ScaledDraw draw;
    draw.op = state.blend ? PIXMAN_OP_OVER : PIXMAN_OP_SRC;
    if (target.solid != nullptr && target.solid->Covers(drawn)) {
        draw.solidTarget = target.solid->Colour();
    }
    draw.filter = filter == Filter::kPoint ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR;
    for (int ty = y0; ty < y1; ty += kTileSize) {
        const int th = std::min(kTileSize, y1 - ty);
        for (int tx = x0; tx < x1; tx += kTileSize) {
            const int tw = std::min(kTileSize, x1 - tx);
            const bool inside = TileTransform(sampling, tx, ty, tw, th, &draw.transform);
            // While every sample lies inside the texture, repetition changes
            // nothing, and pixman is faster without it.
            draw.repeat = inside ? PIXMAN_REPEAT_NONE : PIXMAN_REPEAT_NORMAL;
            if (CompositeScaled(draw, source, targetImage, tx, ty, tw, th, target.columns)) {
                continue;
            }
            pixman_image_set_filter(source, draw.filter, nullptr, 0);
            pixman_image_set_transform(source, &draw.transform);
            pixman_image_set_repeat(source, draw.repeat);
            pixman_image_composite32(draw.op, source, nullptr, targetImage, 0, 0, 0, 0, tx, ty, tw,
                                     th);
        }
    }
    Touch(target, drawn);
}

namespace {

// The strip's quads through the compositor, handing those it cannot take to
// quad, and a last odd triangle to triangle, each by its first vertex.
template <class Quad, class Triangle>
void ForStrip(QuadCompositor& quads, const Vertex* v, UINT primitives, Quad quad,
              Triangle triangle) {
    // Odd strip triangles are taken as (i, i + 2, i + 1), so that all
    // triangles of a strip wind alike.
    UINT i = 0;
    for (; i + 1 < primitives; i += 2) {
        if (!quads.Add(v + i)) {
            quad(i);
        }
    }
    quads.Flush();
    if (i < primitives) {
        triangle(i);
    }
}

}  // namespace

void PlanTriangleStrip(const DrawState& state, bool targetImage, const Vertex* v, UINT primitives,
                       StripPlan& plan) {
    QuadCompositor quads(state, targetImage, plan);
    ForStrip(
        quads, v, primitives,
        [&](UINT i) {
            plan.steps.push_back(StripPlan::Step{StripPlan::Kind::kQuad, i, {}});
        },
        [&](UINT i) {
            plan.steps.push_back(StripPlan::Step{StripPlan::Kind::kTriangle, i, {}});
        });
}

void FlushColumns(const Target& target) {
    if (target.columns != nullptr) {
        target.columns->Flush();
    }
}

void DrawStripPlan(const Target& target, pixman_image_t* targetImage, const DrawState& state,
                   const Vertex* v, const StripPlan& plan) {
    for (const StripPlan::Step& step : plan.steps) {
        const UINT i = step.first;
        switch (step.kind) {
            case StripPlan::Kind::kRun:
                QuadCompositor::Composite(target, targetImage, state, step.run);
                break;
            case StripPlan::Kind::kQuad:
                RasteriseTriangle(target, state, v[i], v[i + 1], v[i + 2]);
                RasteriseTriangle(target, state, v[i + 1], v[i + 3], v[i + 2]);
                break;
            case StripPlan::Kind::kTriangle:
                RasteriseTriangle(target, state, v[i], v[i + 1], v[i + 2]);
                break;
        }
    }
}

void DrawTriangleStrip(const Target& target, pixman_image_t* targetImage, const DrawState& state,
                       const Vertex* v, UINT primitives) {
    QuadCompositor quads(target, targetImage, state);
    ForStrip(
        quads, v, primitives,
        [&](UINT i) {
            RasteriseTriangle(target, state, v[i], v[i + 1], v[i + 2]);
            RasteriseTriangle(target, state, v[i + 1], v[i + 3], v[i + 2]);
        },
        [&](UINT i) { RasteriseTriangle(target, state, v[i], v[i + 1], v[i + 2]); });
}

}  // namespace d3d9soft

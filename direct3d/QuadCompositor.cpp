#include "direct3d/QuadCompositor.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "direct3d/Rasterizer.h"
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

}  // namespace

QuadCompositor::QuadCompositor(const Target& target, pixman_image_t* targetImage,
                               const DrawState& state)
    : target_(target), targetImage_(targetImage), state_(state) {
    const TextureStorage* texture = state.texture;
    if (texture == nullptr || targetImage == nullptr || !state.combiner.colourTexture) {
        return;
    }
    const bool opaque = texture->Opaque();
    if (!state.combiner.alphaTexture && !opaque) {
        return;
    }
    if (state.blend) {
        usable_ = state.srcBlend == D3DBLEND_SRCALPHA && state.destBlend == D3DBLEND_INVSRCALPHA;
    } else {
        usable_ = opaque;
    }
}

bool QuadCompositor::Add(const Vertex* q) {
    if (!usable_) {
        return false;
    }
    std::int64_t x[4], y[4];
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(q[i].x) || !std::isfinite(q[i].y) || q[i].diffuse != q[0].diffuse) {
            Flush();
            return false;
        }
        x[i] = std::llround(static_cast<double>(q[i].x) * kSubpixels);
        y[i] = std::llround(static_cast<double>(q[i].y) * kSubpixels);
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
        Flush();
        return false;
    }

    const double w = state_.texture->Width(), h = state_.texture->Height();
    const double x0 = x[0] / kSubpixels, y0 = y[0] / kSubpixels;
    const double dxAcross = (x[across] - x[0]) / kSubpixels;
    const double dyDown = (y[down] - y[0]) / kSubpixels;
    struct Map {
        double at0, perX, perY;
    };
    auto makeMap = [&](double a0, double aAcross, double aDown, double a3, Map& m) {
        m.at0 = a0;
        m.perX = (aAcross - a0) / dxAcross;
        m.perY = (aDown - a0) / dyDown;
        // Both triangles must share the mapping: the fourth corner agrees.
        return std::abs(a3 - (aAcross + aDown - a0)) <= kMergeTolerance &&
               std::abs(m.perX) <= kMaxSlope && std::abs(m.perY) <= kMaxSlope;
    };
    Map mu, mv;
    if (!makeMap(q[0].u * w, q[across].u * w, q[down].u * w, q[3].u * w, mu) ||
        !makeMap(q[0].v * h, q[across].v * h, q[down].v * h, q[3].v * h, mv)) {
        Flush();
        return false;
    }

    // Culling: both triangles of the quad wind alike.
    const double area = static_cast<double>(x[1] - x[0]) * static_cast<double>(y[2] - y[0]) -
                        static_cast<double>(x[2] - x[0]) * static_cast<double>(y[1] - y[0]);
    if ((state_.cull == D3DCULL_CCW && area < 0) || (state_.cull == D3DCULL_CW && area > 0)) {
        Flush();
        return true;
    }

    const std::int64_t left = std::min(x[0], x[3]), right = std::max(x[0], x[3]);
    const std::int64_t top = std::min(y[0], y[3]), bottom = std::max(y[0], y[3]);
    const double topY = top / kSubpixels;
    auto valueAt = [&](const Map& m, std::int64_t edge) {
        return m.at0 + m.perX * (edge / kSubpixels - x0) + m.perY * (topY - y0);
    };

    if (pending_ && run_.top == top && run_.bottom == bottom && run_.colour == q[0].diffuse &&
        (left == run_.right || right == run_.left)) {
        Run merged = run_;
        const double height = (bottom - top) / kSubpixels;
        bool ok = std::abs(mu.perY - merged.u.perY) * height <= kMergeTolerance &&
                  std::abs(mv.perY - merged.v.perY) * height <= kMergeTolerance;
        for (std::int64_t edge : {left, right}) {
            const double dx = edge / kSubpixels - merged.anchorX;
            ok = ok && Constrain(merged.u.atAnchor, merged.u.slopeLo, merged.u.slopeHi, dx,
                                 valueAt(mu, edge));
            ok = ok && Constrain(merged.v.atAnchor, merged.v.slopeLo, merged.v.slopeHi, dx,
                                 valueAt(mv, edge));
        }
        if (ok) {
            merged.left = std::min(merged.left, left);
            merged.right = std::max(merged.right, right);
            run_ = merged;
            return true;
        }
    }
    Flush();
    pending_ = true;
    run_ = Run{};
    run_.left = left;
    run_.right = right;
    run_.top = top;
    run_.bottom = bottom;
    run_.colour = q[0].diffuse;
    run_.anchorX = left / kSubpixels;
    const double inf = std::numeric_limits<double>::infinity();
    run_.u = Axis{valueAt(mu, left), mu.perY, -inf, inf};
    run_.v = Axis{valueAt(mv, left), mv.perY, -inf, inf};
    const double dx = (right - left) / kSubpixels;
    Constrain(run_.u.atAnchor, run_.u.slopeLo, run_.u.slopeHi, dx, valueAt(mu, right));
    Constrain(run_.v.atAnchor, run_.v.slopeLo, run_.v.slopeHi, dx, valueAt(mv, right));
    return true;
}

void QuadCompositor::Flush() {
    if (pending_) {
        pending_ = false;
        Composite(run_);
    }
}

void QuadCompositor::Composite(const Run& run) {
    const std::int64_t sub = static_cast<std::int64_t>(kSubpixels);
    const int x0 =
        static_cast<int>(std::max<std::int64_t>(CeilDiv(run.left, sub), target_.clip.left));
    const int x1 =
        static_cast<int>(std::min<std::int64_t>(CeilDiv(run.right, sub), target_.clip.right));
    const int y0 =
        static_cast<int>(std::max<std::int64_t>(CeilDiv(run.top, sub), target_.clip.top));
    const int y1 =
        static_cast<int>(std::min<std::int64_t>(CeilDiv(run.bottom, sub), target_.clip.bottom));
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    const double topY = run.top / kSubpixels;
    auto rowOf = [&](const Axis& a) {
        const double perX = (a.slopeLo + a.slopeHi) / 2;
        return Row{perX, a.perY, a.atAnchor - perX * run.anchorX - a.perY * topY};
    };
    const Row u = rowOf(run.u), v = rowOf(run.v);
    const Filter filter = PickFilter(state_, u.perX, v.perX, u.perY, v.perY);
    // Texture rows along screen x and samples along screen y: sample the
    // transposed copy, so that pixman only scales.
    const bool transposed = u.perX == 0 && v.perY == 0 && (v.perX != 0 || u.perY != 0);
    // The diffuse alpha, pixman's solid mask, is applied to the sampling copy.
    const std::uint32_t alpha =
        state_.blend && state_.combiner.alphaDiffuse ? run.colour >> 24 : 255;
    pixman_image_t* source = state_.texture->SamplingImage(transposed, alpha);
    const Row& first = transposed ? v : u;
    const Row& second = transposed ? u : v;
    const double firstSize = transposed ? state_.texture->Height() : state_.texture->Width();
    const double secondSize = transposed ? state_.texture->Width() : state_.texture->Height();

    const pixman_op_t op = state_.blend ? PIXMAN_OP_OVER : PIXMAN_OP_SRC;
    pixman_image_set_filter(
        source, filter == Filter::kPoint ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR, nullptr,
        0);
    // pixman's nearest sampling takes the texel below an exact texel edge,
    // Direct3D the one above. Rounding every coefficient up keeps pixman's
    // positions at or just above the exact ones, never below, and the bias
    // lifts an exact edge onto the upper texel.
    const pixman_fixed_t bias = filter == Filter::kPoint ? 2 : 0;
    const double margin = filter == Filter::kPoint ? 0.0 : 0.5;
    const Row* rows[2] = {&first, &second};
    const double sizes[2] = {firstSize, secondSize};
    pixman_fixed_t perX[2], perY[2];
    for (int i = 0; i < 2; ++i) {
        perX[i] = CeilFixed(rows[i]->perX);
        perY[i] = CeilFixed(rows[i]->perY);
    }

    for (int ty = y0; ty < y1; ty += kTileSize) {
        const int th = std::min(kTileSize, y1 - ty);
        for (int tx = x0; tx < x1; tx += kTileSize) {
            const int tw = std::min(kTileSize, x1 - tx);
            pixman_transform_t t;
            pixman_transform_init_identity(&t);
            bool inside = true;
            for (int i = 0; i < 2; ++i) {
                const Row& r = *rows[i];
                // The value at the tile's first pixel centre, brought into the
                // texture by whole wraps, which repetition does not notice.
                double start = r.perX * tx + r.perY * ty + r.constant;
                start -= sizes[i] * std::floor(start / sizes[i]);
                const double endX = r.perX * (tw - 1), endY = r.perY * (th - 1);
                const double lo = start + std::min(0.0, endX) + std::min(0.0, endY);
                const double hi = start + std::max(0.0, endX) + std::max(0.0, endY);
                const double drift = (tw + th + 4) / 65536.0;  // rounding up, at most
                inside = inside && lo >= margin && hi + drift < sizes[i] - margin;
                // pixman samples at (i + 0.5, j + 0.5) from the tile's corner.
                const double constant = start - 0.5 * (perX[i] + perY[i]) / 65536.0;
                t.matrix[i][0] = perX[i];
                t.matrix[i][1] = perY[i];
                t.matrix[i][2] = CeilFixed(constant) + bias;
            }
            pixman_image_set_transform(source, &t);
            // While every sample lies inside the texture, repetition changes
            // nothing, and pixman is faster without it.
            pixman_image_set_repeat(source, inside ? PIXMAN_REPEAT_NONE : PIXMAN_REPEAT_NORMAL);
            pixman_image_composite32(op, source, nullptr, targetImage_, 0, 0, 0, 0, tx, ty, tw, th);
        }
    }
}

void DrawTriangleStrip(const Target& target, pixman_image_t* targetImage, const DrawState& state,
                       const Vertex* v, UINT primitives) {
    // Odd strip triangles are taken as (i, i + 2, i + 1), so that all
    // triangles of a strip wind alike.
    QuadCompositor quads(target, targetImage, state);
    UINT i = 0;
    for (; i + 1 < primitives; i += 2) {
        if (!quads.Add(v + i)) {
            DrawTriangle(target, state, v[i], v[i + 1], v[i + 2]);
            DrawTriangle(target, state, v[i + 1], v[i + 3], v[i + 2]);
        }
    }
    quads.Flush();
    if (i < primitives) {
        DrawTriangle(target, state, v[i], v[i + 1], v[i + 2]);
    }
}

}  // namespace d3d9soft

#pragma once
// The fast path of DrawPrimitive for triangle strips. Two strip triangles
// that make an axis-aligned rectangle, with one colour and texture
// coordinates that vary affinely over it, are a quad. Quads of the same
// height that follow each other side by side, and whose texture mappings stay
// within kMergeTolerance texel of one affine mapping, make a run; a run is
// drawn as scaled composites of the texture (tiles of at most kTileSize
// pixels, which bounds the error of pixman's 16.16 transform), with the
// diffuse alpha applied to the texture's sampling copy: CompositeScaled
// draws the common ones as pixman would, pixman the rest. When texture rows
// map to screen columns, the texture's transposed copy makes each composite
// a plain scale.
//
// Pixel coverage is the rasteriser's: a rectangle from x0 to x1 covers the
// pixel centres x0 <= x < x1 (likewise in y) after snapping to 1/256 pixel.
#include <cstdint>
#include <optional>
#include <vector>

#include "direct3d/DrawState.h"
#include "platform/PixmanImage.h"

namespace d3d9soft {

constexpr double kMergeTolerance = 1.0 / 64;
constexpr int kTileSize = 512;

// A run of quads: where it covers (1/256 pixel), its colour, and the texel
// mapping of each texture axis from its anchor.
struct QuadRun {
    struct Axis {
        double atAnchor = 0;  // texel coordinate at (anchor x, top)
        double perY = 0;      // texels per pixel down
        double slopeLo = 0;   // texels per pixel across: the corridor
        double slopeHi = 0;
    };
    std::int64_t left = 0, right = 0, top = 0, bottom = 0;
    D3DCOLOR colour = 0;
    double anchorX = 0;
    Axis u, v;
};

// What drawing a triangle strip comes to, in the strip's order: runs for the
// compositor, and quads (two triangles) and single triangles for the
// rasteriser, each by its first vertex. It follows from the vertices and the
// draw's states alone, never from the target or the texels.
struct StripPlan {
    enum class Kind { kRun, kQuad, kTriangle };
    struct Step {
        Kind kind;
        UINT first = 0;  // kQuad, kTriangle
        QuadRun run;     // kRun
    };
    std::vector<Step> steps;
};

class QuadCompositor {
  public:
    // Plans into plan the quads of a strip drawn with the states on a target
    // that has (targetImage) or has not a pixman image.
    QuadCompositor(const DrawState& state, bool targetImage, StripPlan& plan);
    // Draws the runs as they end, planning nothing.
    QuadCompositor(const Target& target, pixman_image_t* targetImage, const DrawState& state);
    QuadCompositor(const QuadCompositor&) = delete;
    QuadCompositor& operator=(const QuadCompositor&) = delete;
    ~QuadCompositor() { Flush(); }

    // Whether the draw's states can be composited at all.
    bool Usable() const { return usable_; }
    // Takes four consecutive strip vertices (the triangles 0-1-2 and 1-2-3).
    // False, with everything taken so far planned or drawn, when they are
    // not a quad the compositor can draw: the caller then plans or draws the
    // two triangles.
    bool Add(const Vertex* quad);
    // Plans or draws the pending run.
    void Flush();

    // Draws a planned run.
    static void Composite(const Target& target, pixman_image_t* targetImage, const DrawState& state,
                          const QuadRun& run);

  private:
    struct Quad;

    std::optional<Quad> ReadQuad(const Vertex* quad) const;
    // Adds the quad to the pending run when it continues it within the
    // tolerance; false when it does not.
    bool Extend(const Quad& quad);
    void Start(const Quad& quad);
    void Init(bool targetImage);

    DrawState state_;
    StripPlan* plan_ = nullptr;  // null when drawing
    const Target* target_ = nullptr;
    pixman_image_t* targetImage_ = nullptr;
    bool usable_ = false;
    bool pending_ = false;
    QuadRun run_;
};

// The plan of the strip of `primitives` triangles from vertices.
void PlanTriangleStrip(const DrawState& state, bool targetImage, const Vertex* vertices,
                       UINT primitives, StripPlan& plan);

// Draws the columns the target's batch keeps, if any: before anything that
// writes the target otherwise.
void FlushColumns(const Target& target);

// Draws the plan's steps; vertices are those it was made from.
void DrawStripPlan(const Target& target, pixman_image_t* targetImage, const DrawState& state,
                   const Vertex* vertices, const StripPlan& plan);

// A triangle strip of `primitives` triangles: quads through the compositor
// when targetImage is given, everything else through the rasteriser.
void DrawTriangleStrip(const Target& target, pixman_image_t* targetImage, const DrawState& state,
                       const Vertex* vertices, UINT primitives);

}  // namespace d3d9soft

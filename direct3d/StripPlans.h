#pragma once
// The plans of long triangle strips drawn into a viewport much narrower than
// the strip, kept until the next Present and found again by their vertices
// and states. A kept picture redrawn in bands draws the same strip once a
// band, only the viewport changing, and planning a strip of many quads costs
// more than compositing a narrow band of it. A strip drawn whole is not kept:
// it is seldom drawn again, and its plan would only cost memory. A plan
// follows from the vertices and the planning states alone, so one found
// again is the plan that would be made.
#include <cstdint>
#include <vector>

#include "direct3d/DrawState.h"
#include "direct3d/QuadCompositor.h"

namespace d3d9soft {

class StripPlans {
  public:
    // Strips kept, the oldest making room for a new one.
    static constexpr std::size_t kKept = 8;
    // Longer strips are not kept, which bounds what is kept.
    static constexpr std::size_t kMaxVertices = 16384;
    // Shorter strips are planned again: keeping them would cost more than
    // planning them (a window per sweep makes a strip of a few quads each).
    static constexpr UINT kMinPrimitives = 64;

    // The plan of the strip of `primitives` triangles from vertices, drawn
    // with the states on a target that has or has not a pixman image: one
    // kept earlier, or, when keep is set, a new one kept from now on. Null
    // for a strip that is not kept: the caller draws it as it plans it.
    const StripPlan* Find(const DrawState& state, bool targetImage, const Vertex* vertices,
                          UINT primitives, bool keep);
    void Clear();

    // Plans made (and kept) and plans found again since the last Clear; for
    // tests.
    int Made() const { return made_; }
    int Reused() const { return reused_; }

  private:
    // The states planning reads.
    struct Key {
        bool texture = false;
        int width = 0;
        int height = 0;
        bool opaque = false;
        Combiner combiner;
        bool blend = false;
        DWORD srcBlend = 0;
        DWORD destBlend = 0;
        DWORD cull = 0;
        bool targetImage = false;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct Entry {
        Key key;
        std::vector<Vertex> vertices;
        StripPlan plan;
    };
    static Key KeyOf(const DrawState& state, bool targetImage);
    static bool Same(const Entry& entry, const Key& key, const Vertex* vertices, std::size_t count);

    std::vector<Entry> entries_;
    std::size_t next_ = 0;  // the entry a new strip takes
    int made_ = 0;
    int reused_ = 0;
};

}  // namespace d3d9soft

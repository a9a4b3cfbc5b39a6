#include "direct3d/StripPlans.h"

#include <cstring>

#include "direct3d/TextureStorage.h"

namespace d3d9soft {

StripPlans::Key StripPlans::KeyOf(const DrawState& state, bool targetImage) {
    Key key;
    if (state.texture != nullptr) {
        key.texture = true;
        key.width = state.texture->Width();
        key.height = state.texture->Height();
        key.opaque = state.texture->Opaque();
    }
    key.combiner = state.combiner;
    key.blend = state.blend;
    key.srcBlend = state.srcBlend;
    key.destBlend = state.destBlend;
    key.cull = state.cull;
    key.targetImage = targetImage;
    return key;
}

bool StripPlans::Same(const Entry& entry, const Key& key, const Vertex* vertices,
                      std::size_t count) {
    return entry.key == key && entry.vertices.size() == count &&
           std::memcmp(entry.vertices.data(), vertices, count * sizeof(Vertex)) == 0;
}

const StripPlan* StripPlans::Find(const DrawState& state, bool targetImage, const Vertex* vertices,
                                  UINT primitives, bool keep) {
    const std::size_t count = static_cast<std::size_t>(primitives) + 2;
    if (primitives < kMinPrimitives || count > kMaxVertices) {
        return nullptr;
    }
    const Key key = KeyOf(state, targetImage);
    for (const Entry& entry : entries_) {
        if (Same(entry, key, vertices, count)) {
            ++reused_;
            return &entry.plan;
        }
    }
    if (!keep) {
        return nullptr;
    }
    // The entries in turn, each frame from the first, so that the storage of
    // the last frame's strips serves this frame's.
    if (next_ == entries_.size()) {
        entries_.emplace_back();
    }
    Entry& entry = entries_[next_];
    next_ = (next_ + 1) % kKept;
    ++made_;
    entry.key = key;
    entry.vertices.assign(vertices, vertices + count);
    entry.plan.steps.clear();
    PlanTriangleStrip(state, targetImage, vertices, primitives, entry.plan);
    return &entry.plan;
}

void StripPlans::Clear() {
    // Forgotten, their storage kept for the next frame's strips.
    for (Entry& entry : entries_) {
        entry.vertices.clear();
    }
    next_ = 0;
    made_ = 0;
    reused_ = 0;
}

}  // namespace d3d9soft

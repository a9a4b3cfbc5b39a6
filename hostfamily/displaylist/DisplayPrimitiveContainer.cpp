#include "hostfamily/displaylist/DisplayPrimitiveContainer.h"

void DisplayPrimitiveContainer::Add(DisplayPrimitive primitive) {
    primitives_.push_back(std::move(primitive));
}

void DisplayPrimitiveContainer::Append(const DisplayPrimitiveContainer& other) {
    // Copied first: other may be this container.
    const std::vector<DisplayPrimitive> copy = other.primitives_;
    primitives_.insert(primitives_.end(), copy.begin(), copy.end());
}

#pragma once
// An ordered list of display primitives: what a display object hands its
// chart host at a symbolization pass.
#include <cstddef>
#include <vector>

#include "hostfamily/displaylist/DisplayPrimitive.h"

class DisplayPrimitiveContainer {
  public:
    void Add(DisplayPrimitive primitive);
    // Appends copies of all of other's primitives, in order.
    void Append(const DisplayPrimitiveContainer& other);
    void Clear() { primitives_.clear(); }

    std::size_t GetCount() const { return primitives_.size(); }
    bool IsEmpty() const { return primitives_.empty(); }
    const DisplayPrimitive& At(std::size_t i) const { return primitives_.at(i); }
    std::vector<DisplayPrimitive>::const_iterator begin() const { return primitives_.begin(); }
    std::vector<DisplayPrimitive>::const_iterator end() const { return primitives_.end(); }

  private:
    std::vector<DisplayPrimitive> primitives_;
};

#pragma once
// Columns of one sweep kept to be drawn together. A column is a row's
// stride apart from row to row, so the pixels and texels of its rows have
// left the first-level cache before the neighbouring column, a separate
// draw, comes back to the same lines. Drawn band by band across all the
// kept columns, in the order they came within each band, the lines are used
// while they are there; every pixel still sees its draws in their order.
// Whoever keeps columns here flushes before anything else reads or writes
// their target or changes their source's pixels. CompositeScaled keeps them,
// and its loops draw them (ScaledComposite.cpp).
#include <cstddef>
#include <vector>

#include "platform/PixmanImage.h"

namespace d3d9soft {

struct ScaledDraw;

class ColumnBatch {
  public:
    ColumnBatch();
    ~ColumnBatch();
    ColumnBatch(const ColumnBatch&) = delete;
    ColumnBatch& operator=(const ColumnBatch&) = delete;

    // Draws what is kept and forgets it.
    void Flush();
    std::size_t Kept() const;

  private:
    friend bool CompositeScaled(const ScaledDraw&, pixman_image_t*, pixman_image_t*, int, int, int,
                                int, ColumnBatch*);
    struct Column;
    std::vector<Column> columns_;
};

}  // namespace d3d9soft

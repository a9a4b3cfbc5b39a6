#pragma once
// The compositor's common case without pixman's per-composite and
// per-scanline costs: a premultiplied 32-bit source scaled (no rotation or
// shear), sampled nearest or bilinear with repeat NONE or NORMAL, and put
// OVER or SRC onto a 32-bit target. The arithmetic is pixman's own, so the
// pixels are the ones pixman draws, bit for bit: its 16.16 stepping of the
// sample positions from the first pixel's transformed centre, its 7-bit
// bilinear weights with the sum of the four weighted texels truncated by 14
// bits, zero outside the texture (NONE) or wrapping (NORMAL), and OVER as
// s + d * (255 - sa) / 255 rounded by ((t + 128) * 257) >> 16 and saturated.
#include <cstdint>
#include <optional>

#include "direct3d/ColumnBatch.h"
#include "platform/PixmanImage.h"

namespace d3d9soft {

struct ScaledDraw {
    pixman_op_t op = PIXMAN_OP_OVER;                  // OVER or SRC
    pixman_filter_t filter = PIXMAN_FILTER_BILINEAR;  // NEAREST or BILINEAR
    pixman_repeat_t repeat = PIXMAN_REPEAT_NONE;      // NONE or NORMAL
    pixman_transform_t transform{};
    // The colour every pixel of the target's rectangle holds, when known:
    // OVER then blends with it instead of reading the pixels.
    std::optional<std::uint32_t> solidTarget;
};

// Draws what pixman_image_composite32(op, source, nullptr, target, 0, 0, 0,
// 0, x, y, width, height) draws once the source has the draw's transform,
// filter and repeat. False, with nothing drawn, for a case this does not
// cover (another operator or format, a rotation, a mirrored or strongly
// shrinking mapping, positions near the fixed-point range): the caller asks
// pixman then. The source is a8r8g8b8, or x8r8g8b8 whose alpha bytes are all
// 0xFF (pixman reads them as they are on some paths); the target a8r8g8b8 or
// x8r8g8b8 without a clip region, whose alpha byte gets what pixman's own
// paths write there.
// With a batch, a column one or two pixels wide is kept there instead of
// drawn, and anything else flushes the batch first, whether drawn here or
// handed back.
bool CompositeScaled(const ScaledDraw& draw, pixman_image_t* source, pixman_image_t* target, int x,
                     int y, int width, int height, ColumnBatch* batch = nullptr);

// Whether the loops may use the processor's 256-bit registers (AVX2) where
// it has them; they do by default. The pixels are the same either way; tests
// and the instruction counts turn them off to check the narrower loops too.
// Returns whether the wide loops are now used.
bool AllowWideVectors(bool allowed);

}  // namespace d3d9soft

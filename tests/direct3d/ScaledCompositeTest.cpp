// The own scaled composite against pixman itself: random textures, mappings,
// tiles and targets (some of one known colour), both filters, both repeats,
// OVER and SRC, and every pixel compared whole, the target's unused alpha
// byte included. Half the rounds keep their columns in a batch, as the device
// does, and draw a few more of them first, each with a window of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

#include "direct3d/ScaledComposite.h"

namespace {

using d3d9soft::AllowWideVectors;
using d3d9soft::ColumnBatch;
using d3d9soft::CompositeScaled;
using d3d9soft::ScaledDraw;

std::uint32_t RandomTexel(std::mt19937& random, bool opaque) {
    const std::uint32_t bits = random();
    switch (random() % 6) {
        case 0:
            return opaque ? bits | 0xFF000000u : 0;  // clear
        case 1:
            return bits | 0xFF000000u;
        case 2: {
            // Premultiplied, as the texture copies hold their texels.
            const std::uint32_t a = opaque ? 255 : bits >> 24;
            std::uint32_t t = a << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                t |= ((((bits >> shift) & 0xFF) * a) / 255) << shift;
            }
            return t;
        }
        default:
            return opaque ? bits | 0xFF000000u : bits;  // any bytes: the arithmetic is the same
    }
}

// A 16.16 step: exact halves and wholes, shrinking and enlarging scales,
// and steps the own path leaves to pixman (mirrored, strongly shrinking).
pixman_fixed_t RandomUnit(std::mt19937& random) {
    switch (random() % 9) {
        case 0:
            return 0;
        case 1:
            return pixman_fixed_1;
        case 2:
            return pixman_fixed_1 / 2;
        case 3:
            return static_cast<pixman_fixed_t>(random() % 4096);
        case 4:
            return static_cast<pixman_fixed_t>(random() % (3 * pixman_fixed_1));
        case 5:
            return -static_cast<pixman_fixed_t>(random() % (2 * pixman_fixed_1));
        default:
            return static_cast<pixman_fixed_t>(random() % (pixman_fixed_1 + 1));
    }
}

pixman_fixed_t RandomOffset(std::mt19937& random, int size) {
    const int texels = static_cast<int>(random() % (3 * size + 6)) - size - 3;
    // Whole and half texels, or anywhere between.
    const int fraction = random() % 3 == 0 ? static_cast<int>(random() % 2) * 0x8000
                                           : static_cast<int>(random() % 65536);
    return texels * pixman_fixed_1 + fraction;
}

// Draws random scales both ways and compares every pixel; wide asks for the
// loops in 256-bit registers where the processor has them.
void CheckAgainstPixman(bool wide) {
    AllowWideVectors(wide);
    std::mt19937 random(21);
    int drawn = 0;
    const int rounds = 8000;
    for (int round = 0; round < rounds; ++round) {
        const bool big = random() % 8 == 0;
        const int sw = 1 + static_cast<int>(random() % (big ? 300 : 24));
        const int sh = 1 + static_cast<int>(random() % (big ? 300 : 24));
        const bool opaque = random() % 3 == 0;
        // Rows padded as the transposed copies pad theirs. Rows of noise
        // above and below the texture show any read beyond it.
        const int stride = sw + static_cast<int>(random() % 3) * 8;
        const int guard = 2;
        std::vector<std::uint32_t> texels(static_cast<std::size_t>(stride) * (sh + 2 * guard));
        for (auto& t : texels) {
            t = RandomTexel(random, opaque);
        }
        std::uint32_t* const rows = texels.data() + guard * stride;
        if (!opaque && random() % 3 == 0) {
            // Empty rows, as below an echogram's bottom.
            const int from = static_cast<int>(random() % sh);
            const int to = std::min(sh, from + 1 + static_cast<int>(random() % 8));
            std::fill(rows + from * stride, rows + to * stride, 0u);
        }
        PixmanImagePtr source(pixman_image_create_bits(opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8,
                                                       sw, sh, rows, stride * 4));

        ScaledDraw draw;
        draw.op = opaque && random() % 2 == 0 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
        draw.filter = random() % 3 == 0 ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR;
        draw.repeat = random() % 2 == 0 ? PIXMAN_REPEAT_NONE : PIXMAN_REPEAT_NORMAL;
        pixman_transform_init_identity(&draw.transform);
        // Columns of one sweep (no step across) are the echogram's common case.
        draw.transform.matrix[0][0] = random() % 4 == 0 ? 0 : RandomUnit(random);
        draw.transform.matrix[1][1] = RandomUnit(random);
        draw.transform.matrix[0][2] = RandomOffset(random, sw);
        draw.transform.matrix[1][2] = RandomOffset(random, sh);
        if (random() % 40 == 0) {
            draw.transform.matrix[0][1] = pixman_fixed_1 / 3;  // a shear: pixman's
        }
        pixman_image_set_transform(source.get(), &draw.transform);
        pixman_image_set_filter(source.get(), draw.filter, nullptr, 0);
        pixman_image_set_repeat(source.get(), draw.repeat);

        const int tw = 1 + static_cast<int>(random() % (big ? 600 : 40));
        const int th = 1 + static_cast<int>(random() % (big ? 80 : 40));
        const pixman_format_code_t targetFormat =
            random() % 4 == 0 ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8;
        std::vector<std::uint32_t> expected(static_cast<std::size_t>(tw) * th);
        // A target of one colour, as after a clear, told to the composite.
        const bool solid = draw.op == PIXMAN_OP_OVER && random() % 3 == 0;
        const std::uint32_t colour = random();
        for (auto& p : expected) {
            p = solid ? colour : random();
        }
        if (solid) {
            draw.solidTarget = colour;
        }
        std::vector<std::uint32_t> actual = expected;
        PixmanImagePtr want(
            pixman_image_create_bits(targetFormat, tw, th, expected.data(), tw * 4));
        PixmanImagePtr got(pixman_image_create_bits(targetFormat, tw, th, actual.data(), tw * 4));
        // The rectangles may reach past the target.

        ColumnBatch batch;
        const bool kept = random() % 2 == 0;
        const int draws = kept ? 1 + static_cast<int>(random() % 4) : 1;
        int x = static_cast<int>(random() % (tw + 4)) - 2;
        int y = static_cast<int>(random() % (th + 4)) - 2;
        int w = 1 + static_cast<int>(random() % (tw + 2));
        int h = 1 + static_cast<int>(random() % (th + 2));
        bool own = false;
        for (int k = 0; k < draws; ++k) {
            if (k > 0) {
                // Another column, sampled through another window, over what
                // the others drew.
                draw.transform.matrix[1][1] = RandomUnit(random);
                draw.transform.matrix[1][2] = RandomOffset(random, sh);
                draw.solidTarget.reset();
                pixman_image_set_transform(source.get(), &draw.transform);
                x = static_cast<int>(random() % (tw + 2)) - 1;
                y = static_cast<int>(random() % (th + 4)) - 2;
                w = 1 + static_cast<int>(random() % 2);
                h = 1 + static_cast<int>(random() % (th + 2));
            }
            pixman_image_composite32(draw.op, source.get(), nullptr, want.get(), 0, 0, 0, 0, x, y,
                                     w, h);
            if (CompositeScaled(draw, source.get(), got.get(), x, y, w, h,
                                kept ? &batch : nullptr)) {
                own = true;
            } else if (kept) {
                // What the composite hands back, the device draws with pixman.
                pixman_image_composite32(draw.op, source.get(), nullptr, got.get(), 0, 0, 0, 0, x,
                                         y, w, h);
            } else {
                break;
            }
        }
        batch.Flush();
        if (!own) {
            continue;
        }
        ++drawn;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (expected[i] != actual[i]) {
                std::ostringstream what;
                what << "round " << round << ": pixel " << i % tw << "," << i / tw << " is "
                     << std::hex << actual[i] << ", pixman drew " << expected[i] << std::dec
                     << "; source " << sw << "x" << sh << (opaque ? " x8" : " a8") << ", op "
                     << draw.op << (solid ? " onto one colour" : "") << ", filter " << draw.filter
                     << ", repeat " << draw.repeat << ", units " << draw.transform.matrix[0][0]
                     << " " << draw.transform.matrix[1][1] << ", offsets "
                     << draw.transform.matrix[0][2] << " " << draw.transform.matrix[1][2]
                     << ", rect " << x << "," << y << " " << w << "x" << h << " on " << tw << "x"
                     << th << (kept ? ", kept" : "") << ", draws " << draws;
                FAIL() << what.str();
            }
        }
    }
    // Most draws are the common case, not handed back to pixman.
    EXPECT_GT(drawn, rounds * 3 / 4);
}

TEST(ScaledComposite, MatchesPixmanBitForBit) {
    CheckAgainstPixman(true);
    CheckAgainstPixman(false);
    AllowWideVectors(true);
}

}  // namespace

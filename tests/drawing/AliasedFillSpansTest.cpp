#include "drawing/AliasedFillSpans.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/CairoHandles.h"

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

struct Shape {
    std::vector<float> xy;
    bool clipped = false;
    RECT clip{0, 0, kWidth, kHeight};
};

// What Cairo covers, filling as the drawing context does: aliased, even-odd,
// pixel centres on whole coordinates, through a translucent colour.
std::vector<bool> CairoCoverage(const Shape& shape) {
    CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight));
    CairoPtr cr(cairo_create(surface.get()));
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
    if (shape.clipped) {
        cairo_rectangle(cr.get(), shape.clip.left, shape.clip.top,
                        shape.clip.right - shape.clip.left, shape.clip.bottom - shape.clip.top);
        cairo_clip(cr.get());
    }
    cairo_translate(cr.get(), 0.5, 0.5);
    for (std::size_t i = 0; i + 1 < shape.xy.size(); i += 2) {
        cairo_line_to(cr.get(), shape.xy[i], shape.xy[i + 1]);
    }
    cairo_close_path(cr.get());
    cairo_set_source_rgba(cr.get(), 1.0, 1.0, 1.0, 150.0 / 255.0);
    cairo_fill(cr.get());
    cairo_surface_flush(surface.get());
    std::vector<bool> covered(kWidth * kHeight);
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < kHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < kWidth; ++x) {
            covered[y * kWidth + x] = (row[x] & 0xFFFFFFu) != 0;
        }
    }
    return covered;
}

// nullopt-like: false when the spans would not be used.
bool SpanCoverage(const Shape& shape, std::vector<bool>* covered) {
    std::vector<AliasedFillSpans::FixedPoint> points;
    for (std::size_t i = 0; i + 1 < shape.xy.size(); i += 2) {
        points.push_back({AliasedFillSpans::ToFixed(double(shape.xy[i]) + 0.5),
                          AliasedFillSpans::ToFixed(double(shape.xy[i + 1]) + 0.5)});
    }
    AliasedFillSpans spans;
    if (!spans.Build(points, shape.clip)) {
        return false;
    }
    covered->assign(kWidth * kHeight, false);
    int lastY = -1;
    int lastX1 = -1;
    for (const AliasedFillSpans::Span& s : spans.Spans()) {
        EXPECT_LT(s.x0, s.x1);
        EXPECT_TRUE(s.y > lastY || (s.y == lastY && s.x0 > lastX1)) << "spans out of order";
        lastY = s.y;
        lastX1 = s.x1;
        for (int x = s.x0; x < s.x1; ++x) {
            (*covered)[s.y * kWidth + x] = true;
        }
    }
    return true;
}

std::string Describe(const Shape& shape) {
    std::string text = shape.clipped ? "clip " + std::to_string(shape.clip.left) + "," +
                                           std::to_string(shape.clip.top) + "," +
                                           std::to_string(shape.clip.right) + "," +
                                           std::to_string(shape.clip.bottom) + " "
                                     : "";
    for (std::size_t i = 0; i + 1 < shape.xy.size(); i += 2) {
        text += "(" + std::to_string(shape.xy[i]) + "," + std::to_string(shape.xy[i + 1]) + ")";
    }
    return text;
}

float Coordinate(std::mt19937& random, float low, float high) {
    const float v = std::uniform_real_distribution<float>(low, high)(random);
    switch (random() % 4) {
        case 0:
            return std::round(v);  // on a pixel centre
        case 1:
            return std::round(v) + 0.5f;  // on a pixel border
        default:
            return v;
    }
}

// Curves closed along a base, as the profile areas are, and tangles.
Shape RandomShape(std::mt19937& random) {
    Shape shape;
    if (random() % 2 == 0) {
        shape.clipped = true;
        const int left = static_cast<int>(random() % 30);
        const int top = static_cast<int>(random() % 20);
        shape.clip = RECT{left, top, left + 10 + static_cast<int>(random() % (kWidth - left - 10)),
                          top + 10 + static_cast<int>(random() % (kHeight - top - 10))};
    }
    const int kind = static_cast<int>(random() % 6);
    if (kind == 0) {
        // Far corners, whose edges cross the surface steeply or nearly level.
        const int count = 3 + static_cast<int>(random() % 5);
        for (int i = 0; i < count; ++i) {
            const float reach = random() % 2 ? 4.0e6f : 3000.0f;
            shape.xy.push_back(Coordinate(random, -reach, reach));
            shape.xy.push_back(random() % 3 ? Coordinate(random, -reach, reach)
                                            : Coordinate(random, 0.0f, kHeight));
        }
    } else if (kind < 4) {
        const int count = 2 + static_cast<int>(random() % 40);
        float x = Coordinate(random, -40.0f, 20.0f);
        const float step = std::uniform_real_distribution<float>(0.3f, 12.0f)(random);
        for (int i = 0; i < count; ++i) {
            shape.xy.push_back(x);
            shape.xy.push_back(Coordinate(random, -20.0f, kHeight + 20.0f));
            x += random() % 5 == 0 ? 0.0f
                                   : std::uniform_real_distribution<float>(0.0f, step)(random);
        }
        const float base =
            random() % 2 ? float(kHeight) : Coordinate(random, -10.0f, kHeight + 10.0f);
        shape.xy.insert(shape.xy.end(), {x, base, shape.xy[0], base});
    } else {
        const int count = 3 + static_cast<int>(random() % 9);
        for (int i = 0; i < count; ++i) {
            shape.xy.push_back(Coordinate(random, -30.0f, kWidth + 30.0f));
            shape.xy.push_back(Coordinate(random, -30.0f, kHeight + 30.0f));
        }
    }
    return shape;
}

}  // namespace

TEST(AliasedFillSpans, CoverWhatCairoFills) {
    std::mt19937 random(20261209);
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        const Shape shape = RandomShape(random);
        std::vector<bool> spans;
        if (!SpanCoverage(shape, &spans)) {
            continue;
        }
        ++compared;
        const std::vector<bool> cairo = CairoCoverage(shape);
        for (int p = 0; p < kWidth * kHeight; ++p) {
            if (spans[p] != cairo[p]) {
                std::string a, b;
                for (int x = 0; x < kWidth; ++x) {
                    a += spans[p / kWidth * kWidth + x] ? '#' : '.';
                    b += cairo[p / kWidth * kWidth + x] ? '#' : '.';
                }
                FAIL() << a << "\n"
                       << b << "\ncase " << i << " pixel " << p % kWidth << "," << p / kWidth
                       << " spans " << spans[p] << " cairo " << cairo[p] << ": " << Describe(shape);
            }
        }
    }
    EXPECT_GT(compared, 19000);
}

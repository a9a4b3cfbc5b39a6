#pragma once
// 8-bit channel arithmetic with pixman's rounding, so that the triangle
// rasteriser and the composited path agree to the last bit where they can.
#include <cmath>
#include <cstdint>

namespace d3d9soft {

// std::llround (halves away from zero) for finite values, without the call:
// below 2^52 the truncation is exact and so is what it leaves.
inline std::int64_t RoundHalfAway(double v) {
    if (!(std::fabs(v) < 4503599627370496.0)) {
        return std::llround(v);
    }
    const auto t = static_cast<std::int64_t>(v);
    const double rest = v - static_cast<double>(t);
    return t + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0);
}

// a * b / 255, rounded to nearest.
inline std::uint32_t MulUn8(std::uint32_t a, std::uint32_t b) {
    std::uint32_t t = a * b + 0x80;
    return (t + (t >> 8)) >> 8;
}

inline std::uint32_t Alpha(std::uint32_t argb) {
    return argb >> 24;
}
inline std::uint32_t Red(std::uint32_t argb) {
    return (argb >> 16) & 0xFF;
}
inline std::uint32_t Green(std::uint32_t argb) {
    return (argb >> 8) & 0xFF;
}
inline std::uint32_t Blue(std::uint32_t argb) {
    return argb & 0xFF;
}
inline std::uint32_t Pack(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Straight 0xAARRGGBB to premultiplied.
inline std::uint32_t Premultiply(std::uint32_t argb) {
    std::uint32_t a = Alpha(argb);
    if (a == 0xFF) {
        return argb;
    }
    return Pack(a, MulUn8(Red(argb), a), MulUn8(Green(argb), a), MulUn8(Blue(argb), a));
}

// Premultiplied to straight, rounded; transparent gives 0.
inline std::uint32_t Unpremultiply(std::uint32_t argb) {
    std::uint32_t a = Alpha(argb);
    if (a == 0xFF || a == 0) {
        return a == 0 ? 0 : argb;
    }
    auto div = [a](std::uint32_t c) {
        std::uint32_t v = (c * 255 + a / 2) / a;
        return v > 255 ? 255u : v;
    };
    return Pack(a, div(Red(argb)), div(Green(argb)), div(Blue(argb)));
}

// Every channel multiplied by the matching channel of f (or by f's alpha).
inline std::uint32_t MulChannels(std::uint32_t x, std::uint32_t f) {
    return Pack(MulUn8(Alpha(x), Alpha(f)), MulUn8(Red(x), Red(f)), MulUn8(Green(x), Green(f)),
                MulUn8(Blue(x), Blue(f)));
}
inline std::uint32_t MulAll(std::uint32_t x, std::uint32_t m) {
    return Pack(MulUn8(Alpha(x), m), MulUn8(Red(x), m), MulUn8(Green(x), m), MulUn8(Blue(x), m));
}

// Bilinear mix of four premultiplied texels with 7-bit weights (0..128), each
// channel truncated, as pixman filters.
inline std::uint32_t Bilinear(std::uint32_t tl, std::uint32_t tr, std::uint32_t bl,
                              std::uint32_t br, int wx, int wy) {
    std::uint32_t dx = static_cast<std::uint32_t>(wx) << 1;
    std::uint32_t dy = static_cast<std::uint32_t>(wy) << 1;
    std::uint32_t wBr = dx * dy;
    std::uint32_t wTr = dx * (256 - dy);
    std::uint32_t wBl = (256 - dx) * dy;
    std::uint32_t wTl = (256 - dx) * (256 - dy);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        std::uint64_t sum = static_cast<std::uint64_t>((tl >> shift) & 0xFF) * wTl +
                            static_cast<std::uint64_t>((tr >> shift) & 0xFF) * wTr +
                            static_cast<std::uint64_t>((bl >> shift) & 0xFF) * wBl +
                            static_cast<std::uint64_t>((br >> shift) & 0xFF) * wBr;
        out |= static_cast<std::uint32_t>(sum >> 16) << shift;
    }
    return out;
}

}  // namespace d3d9soft

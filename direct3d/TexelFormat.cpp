#include "direct3d/TexelFormat.h"

#include <cstring>

#include "direct3d/PixelMath.h"

namespace d3d9soft {

namespace {

std::uint16_t Load16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Widens an n-bit channel to 8 bits by repeating its high bits.
std::uint32_t Widen(std::uint32_t value, int bits) {
    std::uint32_t v = value << (8 - bits);
    return v | (v >> bits);
}

}  // namespace

int TexelSize(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            return 4;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            return 2;
        default:
            return 0;
    }
}

bool HasAlpha(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A4R4G4B4 || format == D3DFMT_A1R5G5B5;
}

std::uint32_t DecodeTexel(D3DFORMAT format, const std::uint8_t* texel) {
    switch (format) {
        case D3DFMT_A8R8G8B8: {
            std::uint32_t v;
            std::memcpy(&v, texel, 4);
            return v;
        }
        case D3DFMT_X8R8G8B8: {
            std::uint32_t v;
            std::memcpy(&v, texel, 4);
            return v | 0xFF000000u;
        }
        case D3DFMT_A4R4G4B4: {
            std::uint32_t v = Load16(texel);
            return Pack(((v >> 12) & 0xF) * 17, ((v >> 8) & 0xF) * 17, ((v >> 4) & 0xF) * 17,
                        (v & 0xF) * 17);
        }
        case D3DFMT_R5G6B5: {
            std::uint32_t v = Load16(texel);
            return Pack(0xFF, Widen((v >> 11) & 0x1F, 5), Widen((v >> 5) & 0x3F, 6),
                        Widen(v & 0x1F, 5));
        }
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            std::uint32_t v = Load16(texel);
            std::uint32_t a = (format == D3DFMT_X1R5G5B5 || (v & 0x8000)) ? 0xFF : 0;
            return Pack(a, Widen((v >> 10) & 0x1F, 5), Widen((v >> 5) & 0x1F, 5),
                        Widen(v & 0x1F, 5));
        }
        default:
            return 0;
    }
}

void DecodeTexels(D3DFORMAT format, const std::uint8_t* src, std::uint32_t* dst, int count,
                  bool premultiply) {
    if (format == D3DFMT_X8R8G8B8 || (format == D3DFMT_A8R8G8B8 && !premultiply)) {
        std::memcpy(dst, src, static_cast<std::size_t>(count) * 4);
        if (format == D3DFMT_X8R8G8B8) {
            for (int i = 0; i < count; ++i) {
                dst[i] |= 0xFF000000u;
            }
        }
        return;
    }
    if (format == D3DFMT_A8R8G8B8) {
        std::memcpy(dst, src, static_cast<std::size_t>(count) * 4);
        for (int i = 0; i < count; ++i) {
            dst[i] = Premultiply(dst[i]);
        }
        return;
    }
    const int size = TexelSize(format);
    for (int i = 0; i < count; ++i) {
        std::uint32_t t = DecodeTexel(format, src + i * size);
        dst[i] = premultiply ? Premultiply(t) : t;
    }
}

}  // namespace d3d9soft

#include "direct3d/TextureStorage.h"

#include <emmintrin.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "direct3d/PixelMath.h"
#include "direct3d/TexelFormat.h"

namespace d3d9soft {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Zeroed pixels on huge pages where the system gives them: a copy's column
// writes then stay within a few pages instead of touching one per texel. The
// allocation is whole huge pages (aligned_alloc asks for a multiple of the
// alignment), but only the pixels are cleared, and the part beyond the last
// whole huge page they fill stays on small pages: the rest is never touched.
std::uint32_t* AllocatePixels(std::size_t count) {
    const std::size_t used = count * 4;
    const std::size_t bytes = (used + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = std::aligned_alloc(kHugePage, bytes);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    if (const std::size_t huge = used / kHugePage * kHugePage; huge > 0) {
        madvise(memory, huge, MADV_HUGEPAGE);
    }
    std::memset(memory, 0, used);
    return static_cast<std::uint32_t*>(memory);
}

// MulAll of each texel, four at a time: ((t + 0x80) * 0x101) >> 16 is
// MulUn8's (t + 0x80 + ((t + 0x80) >> 8)) >> 8 for every product of two bytes.
void MulAllRow(std::uint32_t* texels, int count, std::uint32_t m) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i factor = _mm_set1_epi16(static_cast<short>(m));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i spread = _mm_set1_epi16(0x101);
    auto times = [&](__m128i channels) {
        return _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(channels, factor), half), spread);
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        auto* at = reinterpret_cast<__m128i*>(texels + i);
        const __m128i t = _mm_loadu_si128(at);
        _mm_storeu_si128(at, _mm_packus_epi16(times(_mm_unpacklo_epi8(t, zero)),
                                              times(_mm_unpackhi_epi8(t, zero))));
    }
    for (; i < count; ++i) {
        texels[i] = MulAll(texels[i], m);
    }
}

}  // namespace

void TextureStorage::FreeDeleter::operator()(std::uint32_t* p) const {
    std::free(p);
}

bool LockArea(const RECT* rect, int width, int height, RECT* area) {
    *area = rect != nullptr ? *rect : RECT{0, 0, width, height};
    const RECT& r = *area;
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height &&
           r.left < r.right && r.top < r.bottom;
}

TextureStorage::TextureStorage(UINT width, UINT height, D3DFORMAT format)
    : width_(static_cast<int>(width)),
      height_(static_cast<int>(height)),
      format_(format),
      texelSize_(TexelSize(format)),
      pitch_(width_ * texelSize_),
      opaque_(!HasAlpha(format)) {
    palette_.emplace(width_, height_, texelSize_);
}

HRESULT TextureStorage::Lock(const RECT* rect, DWORD flags, D3DLOCKED_RECT* locked) {
    RECT r;
    if (locked == nullptr || locked_ || !LockArea(rect, width_, height_, &r)) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = true;
    lockReadOnly_ = (flags & D3DLOCK_READONLY) != 0;
    lockRect_ = r;
    if (!palette_) {
        locked->Pitch = pitch_;
        locked->pBits =
            bits_.data() + static_cast<std::size_t>(r.top) * pitch_ + r.left * texelSize_;
        return D3D_OK;
    }
    const int count = r.right - r.left;
    const int rowBytes = count * texelSize_;
    lockBuffer_ = LockBuffer(r, static_cast<std::size_t>(rowBytes) * (r.bottom - r.top));
    for (int y = r.top; y < r.bottom; ++y) {
        palette_->Read(r.left, y, count,
                       lockBuffer_ + static_cast<std::size_t>(y - r.top) * rowBytes);
    }
    locked->Pitch = rowBytes;
    locked->pBits = lockBuffer_;
    return D3D_OK;
}

std::uint8_t* TextureStorage::LockBuffer(const RECT& r, std::size_t bytes) {
    if (r.left == 0 && r.top == 0 && r.right == width_ && r.bottom == height_) {
        // Every texel of a copy is made again after this lock. A copy holds
        // at least four bytes a texel, as many as a texel has at most.
        for (Copy* copy : {&transposed_, &plain_}) {
            if (copy->image) {
                lender_ = copy;
                return reinterpret_cast<std::uint8_t*>(copy->pixels.get());
            }
        }
    }
    staging_.resize(bytes);
    return staging_.data();
}

HRESULT TextureStorage::Unlock() {
    if (!locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    if (palette_ && !lockReadOnly_) {
        WriteBack();
    }
    if (!lockReadOnly_ || lender_ != nullptr) {
        AddDirty(plain_, lockRect_);
        AddDirty(transposed_, lockRect_);
    }
    lender_ = nullptr;
    lockBuffer_ = nullptr;
    // A large lock's buffer is not kept for the small ones that follow.
    constexpr std::size_t kKeptStaging = std::size_t{64} << 10;
    if (staging_.capacity() > kKeptStaging) {
        std::vector<std::uint8_t>().swap(staging_);
    }
    return D3D_OK;
}

void TextureStorage::WriteBack() {
    const RECT& r = lockRect_;
    const int count = r.right - r.left;
    const std::size_t rowBytes = static_cast<std::size_t>(count) * texelSize_;
    if (r.left == 0 && r.top == 0 && r.right == width_ && r.bottom == height_) {
        // The whole texture written starts the palette afresh: values no texel
        // holds any more, an earlier colour scale's, give up their room.
        palette_.emplace(width_, height_, texelSize_);
    }
    for (int y = r.top; y < r.bottom; ++y) {
        if (palette_->Write(r.left, y, count, lockBuffer_ + (y - r.top) * rowBytes)) {
            continue;
        }
        Unpalette();
        for (int rest = y; rest < r.bottom; ++rest) {
            std::memcpy(bits_.data() + static_cast<std::size_t>(rest) * pitch_ +
                            static_cast<std::size_t>(r.left) * texelSize_,
                        lockBuffer_ + (rest - r.top) * rowBytes, rowBytes);
        }
        return;
    }
}

void TextureStorage::Unpalette() {
    bits_.resize(static_cast<std::size_t>(pitch_) * height_);
    for (int y = 0; y < height_; ++y) {
        palette_->Read(0, y, width_, bits_.data() + static_cast<std::size_t>(y) * pitch_);
    }
    palette_.reset();
}

void TextureStorage::AddDirty(Copy& copy, const RECT& r) {
    if (!copy.image) {
        return;  // built in full when first needed
    }
    RECT& d = copy.dirty;
    if (d.left >= d.right || d.top >= d.bottom) {
        d = r;
        return;
    }
    d.left = std::min(d.left, r.left);
    d.top = std::min(d.top, r.top);
    d.right = std::max(d.right, r.right);
    d.bottom = std::max(d.bottom, r.bottom);
}

pixman_image_t* TextureStorage::SamplingImage(bool transposed, std::uint32_t alpha) {
    if (lender_ != nullptr) {
        return nullptr;
    }
    Copy& copy = transposed ? transposed_ : plain_;
    if (!copy.image || copy.alpha != alpha) {
        Build(copy, transposed, alpha);
    } else if (copy.dirty.left < copy.dirty.right && copy.dirty.top < copy.dirty.bottom) {
        Refresh(copy, transposed);
    }
    return copy.image.get();
}

bool TextureStorage::SamplingReady(bool transposed, std::uint32_t alpha) const {
    const Copy& copy = transposed ? transposed_ : plain_;
    return lender_ == nullptr && copy.image && copy.alpha == alpha &&
           (copy.dirty.left >= copy.dirty.right || copy.dirty.top >= copy.dirty.bottom);
}

void TextureStorage::Build(Copy& copy, bool transposed, std::uint32_t alpha) {
    const int w = transposed ? height_ : width_;
    const int h = transposed ? width_ : height_;
    // Rows of a power-of-two length would put a column's texels into the
    // same few cache sets; a line of padding spreads them.
    copy.stride = transposed ? w + 16 : w;
    copy.image.reset();
    copy.pixels.reset(AllocatePixels(static_cast<std::size_t>(copy.stride) * h));
    const bool opaque = opaque_ && alpha == 255;
    copy.image.reset(pixman_image_create_bits(opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, w, h,
                                              copy.pixels.get(), copy.stride * 4));
    copy.alpha = alpha;
    copy.dirty = RECT{0, 0, width_, height_};
    Refresh(copy, transposed);
}

void TextureStorage::Refresh(Copy& copy, bool transposed) {
    const RECT d = copy.dirty;
    copy.dirty = RECT{};
    const int count = d.right - d.left;
    // Paletted, each value is decoded once, and the texels look theirs up.
    std::vector<std::uint32_t> decoded;
    if (palette_) {
        decoded.resize(static_cast<std::size_t>(palette_->ValueCount()));
        DecodeTexels(format_, palette_->ValueBytes(), decoded.data(), palette_->ValueCount(), true);
        if (copy.alpha != 255) {
            MulAllRow(decoded.data(), palette_->ValueCount(), copy.alpha);
        }
    }
    auto decode = [&](int y, std::uint32_t* out) {
        if (palette_) {
            const std::uint8_t* indices = palette_->Row(y) + d.left;
            for (int i = 0; i < count; ++i) {
                out[i] = decoded[indices[i]];
            }
            return;
        }
        DecodeTexels(format_, Texel(d.left, y), out, count, true);
        if (copy.alpha != 255) {
            MulAllRow(out, count, copy.alpha);
        }
    };
    if (!transposed) {
        for (int y = d.top; y < d.bottom; ++y) {
            decode(y, copy.pixels.get() + static_cast<std::size_t>(y) * copy.stride + d.left);
        }
        return;
    }
    // Texel (x, y) goes to (y, x): decode a row, then scatter it down a column.
    std::vector<std::uint32_t> row(static_cast<std::size_t>(count));
    for (int y = d.top; y < d.bottom; ++y) {
        decode(y, row.data());
        std::uint32_t* column =
            copy.pixels.get() + static_cast<std::size_t>(d.left) * copy.stride + y;
        for (int i = 0; i < count; ++i) {
            column[static_cast<std::size_t>(i) * copy.stride] = row[static_cast<std::size_t>(i)];
        }
    }
}

}  // namespace d3d9soft
